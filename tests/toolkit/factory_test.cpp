// The window-level and container-level factories: accepted names, argument patterns, which
// names build a class today, the two lists and their lookup, removal and clearing.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "control_probe.h"
#include "toolkit/core/carea.h"
#include "toolkit/core/control_factory.h"
#include "toolkit/core/mpanel.h"
#include "toolkit/window/paint_manager.h"

using Zelvo::ControlPattern;
using Zelvo::FactoryLevel;

namespace {

std::set<std::wstring> NamesThatBuild(FactoryLevel level) {
  std::set<std::wstring> built;
  toolkit_test::RecordingOwner owner;
  for (const Zelvo::ControlClassEntry* entry : Zelvo::FactoryEntries(level)) {
    Zelvo::MControl* control =
        Zelvo::ConstructControl(level, &owner, entry->name, 5, CRect(0, 0, 10, 10), L"t", TRUE, TRUE);
    if (control != nullptr) built.insert(entry->name);
    delete control;
  }
  return built;
}

TEST(FactoryTableTest, AcceptedNameCounts) {
  EXPECT_EQ(Zelvo::FactoryEntries(FactoryLevel::Window).size(), 43u);
  EXPECT_EQ(Zelvo::FactoryEntries(FactoryLevel::Container).size(), 78u);
}

TEST(FactoryTableTest, NamesMatchExactlyAndPerLevel) {
  struct Case {
    const wchar_t* name;
    bool window;
    bool container;
  };
  const Case cases[] = {
      {L"CArea", true, true},          {L"carea", false, false},        {L"CAREA", false, false},
      {L"CArea ", false, false},       {L"", false, false},             {nullptr, false, false},
      {L"CComboBoxList", true, false}, {L"MButton3", false, true},      {L"SysInfo2Ctrl", false, true},
      {L"CHomeFuncCtrl", true, true},  {L"MPanel", false, false},       {L"CScrollVertical", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? std::string(c.name, c.name + wcslen(c.name)) : std::string("(null)"));
    EXPECT_EQ(Zelvo::FindFactoryEntry(c.name, FactoryLevel::Window) != nullptr, c.window);
    EXPECT_EQ(Zelvo::FindFactoryEntry(c.name, FactoryLevel::Container) != nullptr, c.container);
  }
}

TEST(FactoryTableTest, PatternsOfSampleRows) {
  struct Case {
    const wchar_t* name;
    ControlPattern pattern;
  };
  const Case cases[] = {
      {L"CArea", ControlPattern::V1},     {L"MText", ControlPattern::T},         {L"MPicture", ControlPattern::VE},
      {L"MButton", ControlPattern::TVE},  {L"MTabLayout", ControlPattern::V},    {L"MenuItem", ControlPattern::TV1},
      {L"MButton3", ControlPattern::T11}, {L"CRadioButton2", ControlPattern::TV1}, {L"CComboBoxList", ControlPattern::V1},
  };
  for (const Case& c : cases) {
    const auto* entry = Zelvo::FindFactoryEntry(c.name, FactoryLevel::Container);
    if (entry == nullptr) entry = Zelvo::FindFactoryEntry(c.name, FactoryLevel::Window);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->pattern, c.pattern);
  }
}

TEST(FactoryTableTest, ArgumentPatternsTurnTitleP1P2IntoConstructorArguments) {
  struct Case {
    const wchar_t* name;
    int p1, p2;
    bool hasTitle;
    BOOL visible, enabled;
  };
  const Case cases[] = {
      {L"MText", 1, 1, true, TRUE, FALSE},      // T: starts disabled
      {L"MPicture", 0, 1, false, FALSE, TRUE},  // VE
      {L"MPicture", 1, 0, false, TRUE, FALSE},
      {L"MButton", 1, 0, true, TRUE, FALSE},    // TVE
      {L"MListBox", 0, 0, false, FALSE, TRUE},  // V
      {L"CArea", 0, 0, false, FALSE, TRUE},     // V1
      {L"MenuItem", 1, 0, true, TRUE, TRUE},    // TV1
      {L"MButton3", 0, 0, true, TRUE, TRUE},    // T11 ignores p1 and p2
      {L"MRichEdit", 1, 0, true, TRUE, TRUE},   // rich edits ignore p2
      {L"MEditEx", 1, 0, true, TRUE, TRUE},
      {L"CSpinButton", 1, 0, false, TRUE, TRUE},
  };
  for (const Case& c : cases) {
    const auto* entry = Zelvo::FindFactoryEntry(c.name, FactoryLevel::Container);
    ASSERT_NE(entry, nullptr);
    const Zelvo::ControlArgs args = Zelvo::ResolveControlArgs(*entry, L"title", c.p1, c.p2);
    EXPECT_EQ(args.title != nullptr, c.hasTitle);
    EXPECT_EQ(args.visible, c.visible);
    EXPECT_EQ(args.enabled, c.enabled);
    EXPECT_EQ(args.mouseResponse, TRUE);
  }
}

// Which names build a class today; grows as the widget classes arrive.
TEST(FactoryTableTest, NamesThatCreateAClassToday) {
  const std::set<std::wstring> expected = {L"CArea"};
  EXPECT_EQ(NamesThatBuild(FactoryLevel::Window), expected);
  EXPECT_EQ(NamesThatBuild(FactoryLevel::Container), expected);
}

class WindowFactoryTest : public ::testing::Test {
 protected:
  Zelvo::PaintManager manager;
  toolkit_test::RecordingOwner owner;
};

TEST_F(WindowFactoryTest, CAreaIsBuiltWiredAndListed) {
  Zelvo::MControl* area = manager.CreateControl(&owner, L"CArea", 7, CRect(1, 2, 3, 4), L"ignored", FALSE, FALSE);
  ASSERT_NE(area, nullptr);
  EXPECT_NE(dynamic_cast<Zelvo::CArea*>(area), nullptr);
  EXPECT_EQ(area->GetManager(), &manager);
  EXPECT_EQ(area->GetParantObject(), &owner);
  EXPECT_EQ(area->GetControlID(), 7u);
  EXPECT_EQ(area->GetRect(), CRect(1, 2, 3, 4));
  EXPECT_FALSE(area->IsVisible());
  EXPECT_TRUE(area->IsEnabled()) << "V1 starts enabled whatever p2 says";
  EXPECT_TRUE(area->GetRresponse());
  ASSERT_EQ(manager.GetControls().size(), 1u);
  EXPECT_TRUE(manager.GetAreas().empty());
}

TEST_F(WindowFactoryTest, UnknownOrUnbuiltNamesLeaveTheListsUnchanged) {
  for (const wchar_t* name : {L"carea", L"", L"MButton", L"MButton3", L"NoSuchClass"}) {
    EXPECT_EQ(manager.CreateControl(&owner, name, 1, CRect(), nullptr, 1, 1), nullptr);
    EXPECT_EQ(manager.CreateArea(&owner, name, 1, CRect(), nullptr, 1, 1), nullptr);
  }
  EXPECT_EQ(manager.CreateControl(&owner, nullptr, 1, CRect(), nullptr, 1, 1), nullptr);
  EXPECT_EQ(manager.CreateControl(2, &owner, L"CArea", 1, CRect(), nullptr, 1, 1), nullptr)
      << "a mode neither list takes would leave the control unowned";
  EXPECT_TRUE(manager.GetControls().empty());
  EXPECT_TRUE(manager.GetAreas().empty());
}

TEST_F(WindowFactoryTest, AreasLeaveOnlyThroughTheClearOperations) {
  Zelvo::MControl* area = manager.CreateArea(&owner, L"CArea", 1, CRect(), nullptr, 1, 1);
  Zelvo::MControl* first = manager.CreateControl(&owner, L"CArea", 2, CRect(), nullptr, 1, 1);
  Zelvo::MControl* second = manager.CreateControl(&owner, L"CArea", 3, CRect(), nullptr, 1, 1);
  Zelvo::MControl* third = manager.CreateControl(&owner, L"CArea", 4, CRect(), nullptr, 1, 1);
  manager.RemoveControl(area);
  EXPECT_EQ(manager.GetAreas().size(), 1u);
  manager.RemoveControl(second);
  const std::vector<Zelvo::MControl*> remaining = {first, third};
  EXPECT_EQ(manager.GetControls(), remaining);
  manager.ClearAreaControls();
  EXPECT_TRUE(manager.GetAreas().empty());
  EXPECT_EQ(manager.GetControls().size(), 2u);
  manager.ClearAllControls();
  EXPECT_TRUE(manager.GetControls().empty());
}

TEST_F(WindowFactoryTest, GetControlSearchesControlsThenAreas) {
  Zelvo::MControl* area = manager.CreateArea(&owner, L"CArea", 5, CRect(), nullptr, 1, 1);
  Zelvo::MControl* control = manager.CreateControl(&owner, L"CArea", 5, CRect(), nullptr, 1, 1);
  Zelvo::MControl* onlyArea = manager.CreateArea(&owner, L"CArea", 6, CRect(), nullptr, 1, 1);
  EXPECT_EQ(manager.GetControl(5), control);
  EXPECT_EQ(manager.GetControl(6), onlyArea);
  EXPECT_EQ(manager.GetControl(99), nullptr);
  (void)area;
}

TEST_F(WindowFactoryTest, DestroyedControlsLeaveHoverFocusAndAnimation) {
  Zelvo::MControl* control = manager.CreateControl(&owner, L"CArea", 1, CRect(), nullptr, 1, 1);
  manager.SetHoverControl(control);
  manager.SetFocusControl(control);
  control->AddMTimer();
  control->AddMTimer();
  EXPECT_EQ(manager.GetAnimationControls().size(), 2u) << "no duplicate check";
  manager.ClearControls();
  EXPECT_EQ(manager.GetHoverControl(), nullptr);
  EXPECT_EQ(manager.GetFocusControl(), nullptr);
  EXPECT_TRUE(manager.GetAnimationControls().empty());
}

TEST_F(WindowFactoryTest, RepaintRequestMarksLaterOverlappingControlsStale) {
  Zelvo::MControl* area = manager.CreateArea(&owner, L"CArea", 1, CRect(0, 0, 50, 50), nullptr, 1, 1);
  Zelvo::MControl* below = manager.CreateControl(&owner, L"CArea", 2, CRect(0, 0, 50, 50), nullptr, 1, 1);
  Zelvo::MControl* above = manager.CreateControl(&owner, L"CArea", 3, CRect(10, 10, 20, 20), nullptr, 1, 1);
  Zelvo::MControl* apart = manager.CreateControl(&owner, L"CArea", 4, CRect(100, 100, 120, 120), nullptr, 1, 1);
  Zelvo::MControl* hidden = manager.CreateControl(&owner, L"CArea", 5, CRect(0, 0, 50, 50), nullptr, 0, 1);
  auto markAllFresh = [&] {
    for (Zelvo::MControl* c : {area, below, above, apart, hidden}) c->SetUpdate(TRUE, 0);
  };

  markAllFresh();
  manager.OnControlUpdate(below->GetRect(), FALSE, below);
  EXPECT_TRUE(below->GetUpdate()) << "refresh FALSE keeps the requester's cache";
  EXPECT_TRUE(above->GetUpdate()) << "before the manager is bound nothing else is marked";

  manager.SetInitialised(TRUE);
  markAllFresh();
  manager.OnControlUpdate(below->GetRect(), TRUE, below);
  EXPECT_FALSE(below->GetUpdate());
  EXPECT_FALSE(above->GetUpdate());
  EXPECT_TRUE(apart->GetUpdate());
  EXPECT_TRUE(hidden->GetUpdate());
  EXPECT_TRUE(area->GetUpdate()) << "what lies below is not marked";

  markAllFresh();
  manager.OnControlUpdate(area->GetRect(), FALSE, area);
  EXPECT_FALSE(below->GetUpdate()) << "a request from an area refreshes the controls above it";
  EXPECT_FALSE(above->GetUpdate());

  markAllFresh();
  manager.OnControlUpdate(apart->GetRect(), TRUE, apart);
  EXPECT_FALSE(apart->GetUpdate());
  EXPECT_TRUE(hidden->GetUpdate());
  EXPECT_EQ(manager.OnControlUpdate(CRect(), TRUE, nullptr), 0);
}

TEST_F(WindowFactoryTest, SetFocusControlMovesTheFocusFlagCalls) {
  toolkit_test::Probe a(&owner, 1, CRect(), nullptr, "a");
  toolkit_test::Probe b(&owner, 2, CRect(), nullptr, "b");
  manager.SetFocusControl(&a);
  manager.SetFocusControl(&a);
  manager.SetFocusControl(&b);
  EXPECT_EQ(a.focusTrue, 1);
  EXPECT_EQ(a.focusFalse, 1);
  EXPECT_EQ(b.focusTrue, 1);
  manager.SetFocusControl(nullptr);
  EXPECT_EQ(b.focusFalse, 1);
}

}  // namespace
