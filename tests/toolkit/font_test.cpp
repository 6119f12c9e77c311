// The font registry of a window and the family rule: every control draws GDI+ text in the family
// of the process-wide font name, resolved once per window; GDI fonts take the same name.
#include <gtest/gtest.h>

#include "control_probe.h"
#include "platform/gdi/gdi.h"
#include "toolkit/core/manager.h"
#include "toolkit/core/mcontrol_font.h"
#include "toolkit/window/paint_manager.h"

namespace {

constexpr const wchar_t* kDejaVuFile = L"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class TextControl : public Zelvo::MControlFont {
 public:
  explicit TextControl(Zelvo::MObject* owner) : MControlFont(owner, 1, CRect(), L"", TRUE, TRUE, TRUE) {}
  void DrawControl(HDC&, CRect) override {}
};

std::wstring FamilyName(const Gdiplus::FontFamily* family) {
  WCHAR name[LF_FACESIZE] = {};
  family->GetFamilyName(name);
  return name;
}

class FontTest : public ::testing::Test {
 protected:
  void TearDown() override { Zelvo::Manager::SetFont(savedName_, savedSize_); }
  Zelvo::PaintManager manager;
  toolkit_test::RecordingOwner owner;

 private:
  CString savedName_ = Zelvo::Manager::GetFontName();
  int savedSize_ = Zelvo::Manager::GetFontWidth();
};

TEST_F(FontTest, ControlsDrawInTheProcessFontWhateverTheirOwnFaceName) {
  TextControl a(&owner), b(&owner);
  a.SetManager(&manager);
  b.SetManager(&manager);
  a.SetFont(L"DejaVu Serif", 12, Gdiplus::FontStyleRegular);
  b.SetFont(L"Open Sans", 12, Gdiplus::FontStyleBold);
  EXPECT_EQ(a.GetTextFont(), CString(L"DejaVu Serif"));
  Gdiplus::FontFamily* fa = a.GetFontFamily(L"DejaVu Serif");
  Gdiplus::FontFamily* fb = b.GetFontFamily(L"Open Sans");
  ASSERT_NE(fa, nullptr) << "Arial resolves through its installed alias";
  ASSERT_NE(fb, nullptr);
  EXPECT_NE(fa, fb) << "each control holds its own copy";
  EXPECT_EQ(FamilyName(fa), FamilyName(fb));
  EXPECT_EQ(manager.FindTempFont(L"ignored"), manager.FindTempFont(L"also ignored")) << "resolved once per window";
}

TEST_F(FontTest, RegisteredFamilyUnderTheExactProcessNameTakesPrecedence) {
  Zelvo::Manager::SetFontName(L"Arial");
  Gdiplus::FontFamily* lowerCase = manager.AddTempFont(L"arial", kDejaVuFile);
  ASSERT_NE(lowerCase, nullptr);
  Gdiplus::FontFamily* found = manager.FindTempFont(nullptr);
  ASSERT_NE(found, nullptr);
  EXPECT_NE(found, lowerCase) << "a name in other letter case is another key";
  EXPECT_NE(FamilyName(found), L"DejaVu Sans");

  Zelvo::PaintManager fresh;
  Gdiplus::FontFamily* registered = fresh.AddTempFont(L"Arial", kDejaVuFile);
  ASSERT_NE(registered, nullptr);
  EXPECT_EQ(FamilyName(registered), L"DejaVu Sans");
  EXPECT_EQ(fresh.FindTempFont(nullptr), registered);
}

TEST_F(FontTest, UnknownFilesAndNamesGiveNull) {
  EXPECT_EQ(manager.AddTempFont(L"X", L"/nonexistent/font.ttf"), nullptr);
  Zelvo::Manager::SetFontName(L"No Such Font Family 4711");
  EXPECT_EQ(manager.FindTempFont(nullptr), nullptr);
  TextControl control(&owner);
  control.SetManager(&manager);
  EXPECT_EQ(control.GetFontFamily(nullptr), nullptr);
  TextControl unmanaged(&owner);
  Zelvo::Manager::SetFontName(L"Arial");
  EXPECT_EQ(unmanaged.GetFontFamily(nullptr), nullptr) << "no manager";
}

TEST_F(FontTest, GdiFontUsesTheProcessNameSizeAndStyle) {
  Zelvo::Manager::SetFont(L"DejaVu Sans", 14);
  TextControl control(&owner);
  control.SetFont(L"Open Sans", 18, static_cast<Gdiplus::FontStyle>(Gdiplus::FontStyleBold | Gdiplus::FontStyleItalic));
  LOGFONTW stock{};
  platform::GetObjectW(platform::GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  HFONT font = control.GetGDIFont();
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(control.GetGDIFont(), font) << "kept until cleared";
  LOGFONTW made{};
  ASSERT_NE(platform::GetObjectW(font, sizeof(made), &made), 0);
  EXPECT_EQ(std::wstring(made.lfFaceName), L"DejaVu Sans");
  EXPECT_EQ(made.lfHeight, -18);
  EXPECT_EQ(made.lfWeight, stock.lfWeight + 700);
  EXPECT_TRUE(made.lfItalic);
  EXPECT_FALSE(made.lfUnderline);
  control.SetTitle(L"new");
  EXPECT_NE(control.GetGDIFont(), nullptr) << "recreated after SetTitle released it";
}

TEST_F(FontTest, TitleAndAlignmentRepaintRules) {
  TextControl control(&owner);
  control.SetAlignment(0);
  control.SetVAlignment(4);
  EXPECT_TRUE(owner.repaints.empty()) << "unchanged values";
  control.SetAlignment(1, 8);
  EXPECT_EQ(owner.repaints.size(), 1u);
  control.SetVisible(FALSE, FALSE);
  control.SetTitle(L"hidden");
  EXPECT_EQ(owner.repaints.size(), 1u);
  EXPECT_EQ(control.GetTitle(), CString(L"hidden"));
  control.SetTitle(nullptr);
  EXPECT_EQ(control.GetTitle(), CString(L""));
  UINT h = 0, v = 0;
  control.GetAlignment(h, v);
  EXPECT_EQ(h, 1u);
  EXPECT_EQ(v, 8u);
}

TEST_F(FontTest, NewControlsCopyTheProcessDefaults) {
  Zelvo::Manager::SetFont(L"Open Sans", 22);
  TextControl control(&owner);
  EXPECT_EQ(control.GetTextFont(), CString(L"Open Sans"));
  EXPECT_EQ(control.GetFontWidth(), 22);
  EXPECT_EQ(control.GetTextColor().GetValue(), 0xFFFFFFFFu);
  EXPECT_EQ(control.GetTextRenderingHint(), Gdiplus::TextRenderingHintClearTypeGridFit);
  EXPECT_EQ(control.GetImageCount(), 4);
  control.SetTextColor(Gdiplus::Color(0xFF112233));
  Gdiplus::Color brushColour;
  control.GetTextBrush()->GetColor(&brushColour);
  EXPECT_EQ(brushColour.GetValue(), 0xFF112233u);
}

}  // namespace
