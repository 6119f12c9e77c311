// MPanel: built-in scroll bars, content coordinates, notification bubbling, the container
// factory, the wheel and repaint requests of children.
#include <gtest/gtest.h>

#include "control_probe.h"
#include "toolkit/controls/mscroll.h"
#include "toolkit/core/carea.h"
#include "toolkit/core/mpanel.h"
#include "toolkit/window/paint_manager.h"

using toolkit_test::Probe;
using toolkit_test::RecordingOwner;

namespace {

class TestPanel : public Zelvo::MPanel {
 public:
  using MPanel::MPanel;
  Probe* Adopt(UINT id, CRect rect, std::vector<std::string>* log, const char* name) {
    auto* child = new Probe(this, id, rect, log, name);
    AppendControl(child);
    return child;
  }
};

class PanelTest : public ::testing::Test {
 protected:
  Zelvo::PaintManager manager;
  RecordingOwner owner;
  std::vector<std::string> log;
  TestPanel panel{&owner, 20, CRect(0, 0, 100, 100), TRUE};
};

TEST_F(PanelTest, OwnsTwoScrollBarsAsFirstChildren) {
  ASSERT_GE(panel.GetControls().size(), 2u);
  EXPECT_EQ(panel.GetControls()[0], panel.GetScrollVertical());
  EXPECT_EQ(panel.GetControls()[1], panel.GetScrollHorizontal());
  EXPECT_NE(dynamic_cast<Zelvo::CScrollVertical*>(panel.GetControl(1)), nullptr);
  EXPECT_NE(dynamic_cast<Zelvo::CScrollHorizontal*>(panel.GetControl(2)), nullptr);
  EXPECT_EQ(panel.GetControl(99), nullptr);
  EXPECT_TRUE(panel.GetDblClk());
  EXPECT_EQ(panel.GetScrollVertical()->GetScrollMaxRange(), 1000);
  EXPECT_EQ(panel.GetScrollVertical()->GetRowStep(), 10);
}

TEST_F(PanelTest, ScrolledContentReceivesTranslatedPointsAndBarsTheRawOnes) {
  Probe* child = panel.Adopt(5, CRect(0, 100, 50, 150), &log, "c");
  child->answer = TRUE;
  panel.SetVirtualHeight(300);
  panel.GetScrollVertical()->SetScrollMaxRange(10);
  panel.GetScrollVertical()->SetScrollCurrentPos(5);
  panel.OnLButtonDown(0, CPoint(10, 10));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "c:ldown@10,110");

  CPoint raw(10, 10);
  panel.SetEnableScroll(FALSE);
  EXPECT_EQ(panel.OnMousePointChange(raw), 0);
  EXPECT_EQ(raw, CPoint(10, 10));
}

TEST_F(PanelTest, ContentThatFitsIsNotTranslated) {
  panel.SetVirtualHeight(100);
  panel.SetVirtualWidth(80);
  panel.GetScrollVertical()->SetScrollCurrentPos(500);
  CPoint point(10, 10);
  EXPECT_EQ(panel.OnMousePointChange(point), 0);
  EXPECT_EQ(point, CPoint(10, 10));
}

TEST_F(PanelTest, ZeroRangeGivesNoOffset) {
  panel.SetVirtualHeight(300);
  panel.GetScrollVertical()->SetScrollMaxRange(0);
  CPoint point(3, 4);
  EXPECT_EQ(panel.OnMousePointChange(point), 1);
  EXPECT_EQ(point, CPoint(3, 4));
}

TEST_F(PanelTest, NotificationsBubbleUnchanged) {
  Probe* child = panel.Adopt(5, CRect(), &log, "c");
  child->SendMessageW(8, 3, -4);
  ASSERT_EQ(owner.notifications.size(), 1u);
  EXPECT_EQ(owner.notifications[0].id, 5u) << "the child's id, not the panel's";
  EXPECT_EQ(owner.notifications[0].code, 8u);
  EXPECT_EQ(owner.notifications[0].wParam, 3u);
  EXPECT_EQ(owner.notifications[0].lParam, -4);
}

TEST_F(PanelTest, ContainerFactoryWiresTheManagerOnlyWhenItHasOne) {
  Zelvo::MControl* early = panel.CreateControl(L"CArea", 30, CRect(), nullptr, 1, 1);
  ASSERT_NE(early, nullptr);
  EXPECT_EQ(early->GetManager(), nullptr);
  EXPECT_EQ(early->GetParantObject(), &panel);
  panel.SetManager(&manager);
  EXPECT_TRUE(panel.IsInitialised());
  EXPECT_EQ(panel.GetScrollVertical()->GetManager(), &manager);
  Zelvo::MControl* late = panel.CreateArea(L"CArea", 31, CRect(), nullptr, 1, 1);
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->GetManager(), &manager);
  EXPECT_EQ(panel.GetAreas().size(), 1u);
  EXPECT_EQ(panel.GetControl(31), late);
  EXPECT_EQ(panel.CreateControl(L"CComboBoxList", 32, CRect(), nullptr, 1, 1), nullptr) << "window factory only";
  EXPECT_EQ(panel.CreateControl(L"MButton3", 33, CRect(), nullptr, 1, 1), nullptr) << "accepted, not built yet";
  EXPECT_EQ(panel.GetControls().size(), 3u);
}

TEST_F(PanelTest, WheelMovesTheVerticalBarOneRowAndRepaints) {
  panel.SetVirtualHeight(300);
  EXPECT_EQ(panel.OnScroll(1, 1, CPoint(50, 50)), 1);
  EXPECT_EQ(panel.GetScrollVertical()->GetScrollCurrentPos(), 10);
  EXPECT_FALSE(owner.repaints.empty());
  owner.repaints.clear();
  EXPECT_EQ(panel.OnScroll(1, 0, CPoint(50, 50)), 1);
  EXPECT_EQ(panel.OnScroll(1, 0, CPoint(50, 50)), 1) << "at the top the bar does not move, still handled";
  EXPECT_EQ(panel.GetScrollVertical()->GetScrollCurrentPos(), 0);
  EXPECT_EQ(owner.repaints.size(), 1u);

  panel.SetVirtualHeight(50);
  EXPECT_EQ(panel.OnScroll(1, 1, CPoint(50, 50)), 0) << "content shorter than the panel";
}

TEST_F(PanelTest, ChildRepaintMarksLaterOverlappingChildrenOnceInitialised) {
  Probe* first = panel.Adopt(5, CRect(0, 0, 50, 50), &log, "a");
  Probe* second = panel.Adopt(6, CRect(10, 10, 20, 20), &log, "b");
  second->SetUpdate(TRUE, 0);
  first->UpdateControl(TRUE, FALSE);
  EXPECT_FALSE(first->GetUpdate());
  EXPECT_TRUE(second->GetUpdate()) << "not initialised yet";
  EXPECT_TRUE(owner.repaints.empty()) << "the request stops at the container";
  panel.SetManager(&manager);
  first->UpdateControl(FALSE, FALSE);
  EXPECT_FALSE(second->GetUpdate());
}

TEST_F(PanelTest, RemovedScrollBarsAreForgotten) {
  panel.SetVirtualHeight(300);
  panel.RemoveAllControl();
  EXPECT_EQ(panel.GetScrollVertical(), nullptr);
  EXPECT_EQ(panel.GetScrollHorizontal(), nullptr);
  CPoint point(10, 10);
  panel.OnMousePointChange(point);
  EXPECT_EQ(point, CPoint(10, 10));
  EXPECT_EQ(panel.OnScroll(1, 1, CPoint(50, 50)), 0);
}

TEST_F(PanelTest, EnablingReachesEveryChildWithRepaints) {
  Probe* child = panel.Adopt(5, CRect(0, 0, 10, 10), &log, "a");
  panel.SetEnabled(FALSE);
  EXPECT_FALSE(child->IsEnabled());
  EXPECT_FALSE(panel.GetScrollVertical()->IsEnabled());
  EXPECT_EQ(owner.repaints.size(), 1u) << "the panel's own request; children ask the panel";
}

}  // namespace
