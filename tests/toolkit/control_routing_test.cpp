// Routing inside the control tree: hit order, pressed-inside capture, double clicks, the wheel,
// keyboard descent, the timer cascade, focus, repaint requests and lookups.
#include <gtest/gtest.h>

#include <memory>

#include "control_probe.h"
#include "toolkit/window/paint_manager.h"

using toolkit_test::Probe;
using toolkit_test::RecordingOwner;

namespace {

class RoutingTest : public ::testing::Test {
 protected:
  Zelvo::PaintManager manager;  // outlives the controls that know it
  RecordingOwner owner;
  std::vector<std::string> log;
  std::unique_ptr<Probe> root = std::make_unique<Probe>(&owner, 10, CRect(0, 0, 200, 200), &log, "root");
};

TEST_F(RoutingTest, PressGoesToTheLastResponsiveEnabledVisibleChildUnderThePoint) {
  struct Case {
    const char* name;
    BOOL secondVisible, secondEnabled, secondResponds;
    const char* expected;
  };
  const Case cases[] = {
      {"all on", TRUE, TRUE, TRUE, "b:ldown@15,15"},
      {"b hidden", FALSE, TRUE, TRUE, "a:ldown@15,15"},
      {"b disabled", TRUE, FALSE, TRUE, "a:ldown@15,15"},
      {"b without mouse response", TRUE, TRUE, FALSE, "a:ldown@15,15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    auto parent = std::make_unique<Probe>(&owner, 1, CRect(0, 0, 100, 100), &log, "p");
    parent->AddChild(2, CRect(10, 10, 30, 30), "a");
    Probe* b = parent->AddChild(3, CRect(10, 10, 30, 30), "b");
    b->SetVisible(c.secondVisible, FALSE);
    b->SetEnabled(c.secondEnabled);
    b->SetRresponse(c.secondResponds);
    parent->OnLButtonDown(0, CPoint(15, 15));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], c.expected);
  }
}

TEST_F(RoutingTest, ControlWithoutMouseResponseIgnoresEveryEntryPoint) {
  root->SetRresponse(FALSE);
  root->answer = TRUE;
  EXPECT_EQ(root->OnMouseMove(0, CPoint(5, 5)), 0);
  EXPECT_EQ(root->OnLButtonDown(0, CPoint(5, 5)), 0);
  EXPECT_EQ(root->OnLButtonUp(0, CPoint(5, 5)), 0);
  EXPECT_EQ(root->OnRButtonDown(0, CPoint(5, 5)), 0);
  EXPECT_EQ(root->OnKeyDown(13, 1, 0), 0);
  EXPECT_TRUE(log.empty());
}

TEST_F(RoutingTest, PressInsideKeepsMovesGoingToTheChildUntilRelease) {
  Probe* a = root->AddChild(2, CRect(10, 10, 30, 30), "a");
  root->AddChild(3, CRect(50, 50, 90, 90), "b");
  a->answer = TRUE;
  root->OnMouseMove(0, CPoint(15, 15));
  EXPECT_EQ(root->GetActiveChild(), a);
  root->OnLButtonDown(0, CPoint(15, 15));
  log.clear();
  // Outside a, over b: still a's while the button is held.
  root->OnMouseMove(0, CPoint(60, 60));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "a:move@60,60");
  EXPECT_EQ(root->GetActiveChild(), a);
  root->OnLButtonUp(0, CPoint(60, 60));
  EXPECT_EQ(log.back(), "a:lup@60,60");
  log.clear();
  // Released: the next move leaves a and reaches b.
  root->OnMouseMove(0, CPoint(60, 60));
  EXPECT_NE(std::find(log.begin(), log.end(), "b:move@60,60"), log.end());
  EXPECT_NE(root->GetActiveChild(), a);
}

TEST_F(RoutingTest, MouseLeaveReachesTheActiveChildsHoverCheckAndForgetsIt) {
  Probe* a = root->AddChild(2, CRect(10, 10, 30, 30), "a");
  a->answer = TRUE;
  root->OnMouseMove(0, CPoint(15, 15));
  ASSERT_EQ(root->GetActiveChild(), a);
  log.clear();
  root->OnMouseMove(0, CPoint(-1, -1));
  EXPECT_EQ(root->GetActiveChild(), nullptr);
  // Every control sees the leave point, so a drops its hover look.
  EXPECT_NE(std::find(log.begin(), log.end(), "a:move@-1,-1"), log.end());
}

TEST_F(RoutingTest, DoubleClickOnAChildThatIsNotDoubleClickAwareCountsAsASecondPress) {
  Probe* button = root->AddChild(2, CRect(10, 10, 30, 30), "btn");
  button->answer = TRUE;  // a button handles its presses
  const CPoint at(15, 15);
  root->OnLButtonDown(0, at);
  root->OnLButtonUp(0, at);
  root->OnLButtonDblClk(0, at);
  root->OnLButtonUp(0, at);
  const std::vector<std::string> expected = {"btn:ldown@15,15", "btn:lup@15,15", "btn:ldown@15,15", "btn:lup@15,15"};
  EXPECT_EQ(log, expected);
}

TEST_F(RoutingTest, DoubleClickAwareChildGetsItsDoubleClickHook) {
  Probe* list = root->AddChild(2, CRect(10, 10, 30, 30), "list");
  list->SetDblClkAware(TRUE);
  list->answer = TRUE;
  root->OnLButtonDown(0, CPoint(15, 15));
  log.clear();
  EXPECT_EQ(root->OnLButtonDblClk(0, CPoint(15, 15)), 1);
  const std::vector<std::string> expected = {"list:ldbl@15,15"};
  EXPECT_EQ(log, expected);
}

TEST_F(RoutingTest, DeclinedDoubleClickIsRepeatedAsAFullPress) {
  // The child's own hook declines; the parent then presses it again.
  Probe* child = root->AddChild(2, CRect(10, 10, 30, 30), "c");
  root->OnLButtonDown(0, CPoint(15, 15));
  log.clear();
  EXPECT_EQ(root->OnLButtonDblClk(0, CPoint(15, 15)), 0);
  const std::vector<std::string> expected = {"c:ldown@15,15", "c:ldown@15,15"};
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(child->IsPressedInside()) << "the repeated press is a press inside";
}

TEST_F(RoutingTest, RightButtonMirrorsTheLeftIncludingDoubleClickAsPress) {
  Probe* child = root->AddChild(2, CRect(10, 10, 30, 30), "c");
  child->answer = TRUE;
  root->OnRButtonDown(0, CPoint(12, 12));
  root->OnRButtonUp(0, CPoint(12, 12));
  root->OnRButtonDblClk(0, CPoint(12, 12));
  const std::vector<std::string> expected = {"c:rdown@12,12", "c:rup@12,12", "c:rdown@12,12"};
  EXPECT_EQ(log, expected);
}

TEST_F(RoutingTest, PressOnNoChildMovesKeyboardFocusToTheControl) {
  auto other = std::make_unique<Probe>(&owner, 11, CRect(300, 0, 310, 10), &log, "other");
  root->SetManager(&manager);
  other->SetManager(&manager);
  manager.SetFocusControl(other.get());
  ASSERT_EQ(other->focusTrue, 1);
  root->OnLButtonDown(0, CPoint(150, 150));
  EXPECT_EQ(manager.GetFocusControl(), root.get());
  EXPECT_EQ(other->focusFalse, 1);
  EXPECT_EQ(root->focusTrue, 1);
  EXPECT_TRUE(root->IsFocusControl());
}

TEST_F(RoutingTest, WheelGoesToTheChildUnderThePointOrTheControlItself) {
  Probe* a = root->AddChild(2, CRect(10, 10, 30, 30), "a");
  a->scrollAnswer = TRUE;
  EXPECT_EQ(root->OnScroll(1, 1, CPoint(15, 15)), 1);
  EXPECT_EQ(log.back(), "a:scroll1@15,15");
  log.clear();
  EXPECT_EQ(root->OnScroll(1, 0, CPoint(500, 500)), 0) << "outside the control";
  EXPECT_TRUE(log.empty());
  root->scrollAnswer = TRUE;
  EXPECT_EQ(root->OnScroll(1, 0, CPoint(100, 100)), 1);
  EXPECT_EQ(log.back(), "root:scroll0@100,100");
  root->SetEnabled(FALSE);
  EXPECT_EQ(root->OnScroll(1, 0, CPoint(100, 100)), 0) << "a disabled control takes no wheel";
}

TEST_F(RoutingTest, KeyboardDescendsIntoTheFocusedChain) {
  Probe* a = root->AddChild(2, CRect(0, 0, 10, 10), "a");
  Probe* b = root->AddChild(3, CRect(0, 0, 10, 10), "b");
  Probe* b1 = b->AddChild(4, CRect(0, 0, 10, 10), "b1");
  b->SetFocusedFlag(TRUE);
  b1->SetFocusedFlag(TRUE);
  b1->answer = TRUE;
  a->answer = TRUE;
  EXPECT_EQ(root->OnKeyDown(65, 1, 0), 1);
  const std::vector<std::string> expected = {"b1:key@65,0"};
  EXPECT_EQ(log, expected);

  log.clear();
  b1->SetVisible(FALSE, FALSE);
  EXPECT_EQ(root->OnKeyDown(65, 1, 0), 0) << "an invisible control on the way stops the key";
  EXPECT_TRUE(log.empty());
}

TEST_F(RoutingTest, KeyWithoutFocusedChildIsOfferedToTheControlThenEachChild) {
  Probe* a = root->AddChild(2, CRect(0, 0, 10, 10), "a");
  root->AddChild(3, CRect(0, 0, 10, 10), "b");
  a->answer = FALSE;
  EXPECT_EQ(root->OnKeyDown(9, 1, 0), 0);
  const std::vector<std::string> expected = {"root:key@9,0", "a:key@9,0", "b:key@9,0"};
  EXPECT_EQ(log, expected);
}

TEST_F(RoutingTest, TimerCascadeReachesVisibleChildrenThatRunTimers) {
  Probe* running = root->AddChild(2, CRect(0, 0, 10, 10), "running");
  Probe* idle = root->AddChild(3, CRect(0, 0, 10, 10), "idle");
  Probe* hidden = root->AddChild(4, CRect(0, 0, 10, 10), "hidden");
  Probe* grandchild = running->AddChild(5, CRect(0, 0, 10, 10), "grand");
  running->SetRunTimer(TRUE);
  hidden->SetRunTimer(TRUE);
  hidden->SetVisible(FALSE, FALSE);
  grandchild->SetRunTimer(TRUE);
  (void)idle;
  EXPECT_EQ(root->OnTimer(), 0);
  const std::vector<std::string> expected = {"root:timer@0,0", "running:timer@0,0", "grand:timer@0,0"};
  EXPECT_EQ(log, expected);
  grandchild->answer = TRUE;
  EXPECT_EQ(root->OnTimer(), 1) << "a child that changed makes the tick count";
}

TEST_F(RoutingTest, RepaintRequestsTravelToTheOwner) {
  root->SetRect(CRect(50, 50, 60, 60));
  ASSERT_EQ(owner.repaints.size(), 1u);
  EXPECT_EQ(owner.repaints[0].rect, CRect(0, 0, 200, 200)) << "one request covering old and new";
  EXPECT_TRUE(owner.repaints[0].refresh);

  owner.repaints.clear();
  root->SetVisible(FALSE, FALSE);
  EXPECT_TRUE(owner.repaints.empty());
  root->SetVisible(TRUE);
  root->SetVisible(FALSE);
  EXPECT_EQ(owner.repaints.size(), 2u) << "hiding repaints the area it covered";
  owner.repaints.clear();
  root->SetVisible(FALSE);
  root->SetEnabled(TRUE);
  EXPECT_TRUE(owner.repaints.empty()) << "unchanged values ask for nothing";
  root->UpdateControl(FALSE, FALSE);
  EXPECT_TRUE(owner.repaints.empty()) << "invisible without force";
  root->UpdateControl(TRUE, TRUE);
  ASSERT_EQ(owner.repaints.size(), 1u);
  EXPECT_EQ(owner.repaints[0].control, root.get());
}

TEST_F(RoutingTest, AnimationRequestsRepaintWithoutRefresh) {
  root->UpdateAControl(TRUE, FALSE);
  EXPECT_FALSE(root->IsAnimationPending());
  ASSERT_EQ(owner.repaints.size(), 1u);
  EXPECT_FALSE(owner.repaints[0].refresh);
  root->UpdateAControl(FALSE, FALSE);
  EXPECT_TRUE(root->IsAnimationPending());
  root->UpdateControl(CRect(1, 2, 3, 4), FALSE, TRUE);
  ASSERT_EQ(owner.repaints.size(), 3u);
  EXPECT_EQ(owner.repaints[2].rect, CRect(1, 2, 3, 4));
  EXPECT_TRUE(owner.repaints[2].refresh) << "the rectangle form takes (rect, force, refresh)";
}

TEST_F(RoutingTest, NotificationsCarryTheControlId) {
  root->SendMessageW(2, 7, 9);
  ASSERT_EQ(owner.notifications.size(), 1u);
  EXPECT_EQ(owner.notifications[0].id, 10u);
  EXPECT_EQ(owner.notifications[0].code, 2u);
  EXPECT_EQ(owner.notifications[0].wParam, 7u);
  EXPECT_EQ(owner.notifications[0].lParam, 9);
}

TEST_F(RoutingTest, GetControlSearchesDepthFirstControlsBeforeAreas) {
  Probe* first = root->AddChild(1, CRect(), "first");
  Probe* grand = first->AddChild(7, CRect(), "grand");
  Probe* later = root->AddChild(7, CRect(), "later");
  Probe* area = root->AddArea(8, CRect(), "area");
  Probe* controlAfterArea = root->AddChild(8, CRect(), "control8");
  EXPECT_EQ(root->GetControl(7), grand);
  EXPECT_EQ(root->GetControl(8), controlAfterArea);
  EXPECT_EQ(root->GetControl(10), nullptr) << "the control's own id is not compared";
  (void)later;
  (void)area;
}

TEST_F(RoutingTest, RemovedChildIsForgottenAsActiveChildAndFocus) {
  root->SetManager(&manager);
  Probe* a = root->AddChild(2, CRect(10, 10, 30, 30), "a");
  a->SetManager(&manager);
  a->answer = TRUE;
  root->OnMouseMove(0, CPoint(15, 15));
  manager.SetFocusControl(a);
  ASSERT_EQ(root->GetActiveChild(), a);
  manager.SetHoverControl(a);
  root->RemoveControl(a);
  EXPECT_EQ(root->GetActiveChild(), nullptr);
  EXPECT_EQ(manager.GetFocusControl(), nullptr);
  EXPECT_EQ(manager.GetHoverControl(), nullptr);
  EXPECT_TRUE(root->GetControls().empty());
  log.clear();
  root->OnMouseMove(0, CPoint(15, 15));  // must not touch the removed child
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(RoutingTest, DrawPutsAreasBelowAndChildControlsAboveInCreationOrder) {
  root->AddChild(2, CRect(0, 0, 10, 10), "c1");
  root->AddArea(3, CRect(0, 0, 10, 10), "area");
  root->AddChild(4, CRect(0, 0, 10, 10), "c2");
  Probe* hidden = root->AddChild(5, CRect(0, 0, 10, 10), "hidden");
  hidden->SetVisible(FALSE, FALSE);
  root->AddArea(6, CRect(300, 300, 310, 310), "far-area");
  HDC dc = nullptr;
  root->Draw(dc, CRect(0, 0, 200, 200));
  const std::vector<std::string> expected = {"area:draw@0,0", "root:draw@0,0", "c1:draw@0,0", "c2:draw@0,0"};
  EXPECT_EQ(log, expected);
  log.clear();
  root->Draw(dc, CRect(500, 500, 600, 600));
  EXPECT_TRUE(log.empty()) << "outside the paint rectangle nothing draws";
}

TEST_F(RoutingTest, SetUpdateReachesOverlappingChildren) {
  Probe* inside = root->AddChild(2, CRect(0, 0, 10, 10), "in");
  Probe* outside = root->AddChild(3, CRect(300, 300, 310, 310), "out");
  inside->SetUpdate(TRUE, 0);
  outside->SetUpdate(TRUE, 0);
  root->SetUpdate(FALSE, 0);
  EXPECT_FALSE(inside->GetUpdate());
  EXPECT_TRUE(outside->GetUpdate());
}

TEST(PositionItemTest, RelativePositions) {
  struct Case {
    int type;
    BOOL fromEnd;
    float value;
    int expected;
  };
  const Case cases[] = {
      {0, FALSE, 5.7f, 105}, {0, TRUE, 5.0f, 195}, {1, FALSE, 3.0f, 153},
      {1, TRUE, 3.0f, 147},  {2, FALSE, 25.0f, 125}, {2, FALSE, 150.0f, 200}, {9, FALSE, 1.0f, 0},
  };
  for (const Case& c : cases) {
    Zelvo::FS_POSITION_ITEM item{c.type, c.fromEnd, c.value};
    EXPECT_EQ(Zelvo::MControl::PositionItem2Value(item, 100, 200), c.expected) << "type " << c.type;
  }
}

TEST(ClassNameTest, IsClassIsExactAndCaseSensitive) {
  RecordingOwner owner;
  Probe probe(&owner, 1, CRect(), nullptr, "p");
  EXPECT_TRUE(probe.IsClass(L"MControl"));
  EXPECT_FALSE(probe.IsClass(L"mcontrol"));
  EXPECT_FALSE(owner.IsClass(L"MControl")) << "an object without a class name";
}

TEST(ParentVisibilityTest, WalksUpToTheDialog) {
  struct Dialog : RecordingOwner {
    const wchar_t* GetClassNameW() const override { return L"MDialog"; }
  } dialog;
  Probe outer(&dialog, 1, CRect(), nullptr, "outer");
  Probe* inner = outer.AddChild(2, CRect(), "inner");
  EXPECT_TRUE(inner->IsParentVisible());
  outer.SetVisible(FALSE, FALSE);
  EXPECT_FALSE(inner->IsParentVisible());
  Probe orphan(nullptr, 3, CRect(), nullptr, "orphan");
  EXPECT_FALSE(orphan.IsParentVisible());
}

}  // namespace
