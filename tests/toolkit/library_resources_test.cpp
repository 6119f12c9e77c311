// The toolkit library's own resources through a window's caches: the scroll-bar pictures and
// the embedded font, registered once per window.
#include <gtest/gtest.h>

#include "platform/gdi/gdiplus.h"
#include "toolkit/core/manager.h"
#include "toolkit/window/paint_manager.h"

namespace {

TEST(LibraryResourcesTest, ScrollBarPicturesLoadFromTheLibraryOnce) {
  Zelvo::PaintManager window;
  Zelvo::ImgResInfo* horizontal = window.AddImgResInfo(101, L"PNG", 4, FALSE);
  ASSERT_NE(horizontal, nullptr);
  EXPECT_EQ(horizontal->image->GetWidth(), 22u);
  EXPECT_EQ(horizontal->height, 20);
  EXPECT_EQ(horizontal->frameWidth, 5);
  EXPECT_EQ(horizontal->resourceId, 101u);
  EXPECT_TRUE(horizontal->name.IsEmpty());
  Zelvo::ImgResInfo* vertical = window.AddImgResInfo(102, L"png", 4, FALSE);
  ASSERT_NE(vertical, nullptr);
  EXPECT_EQ(vertical->frameWidth, 3);
  EXPECT_EQ(vertical->height, 72);
  EXPECT_EQ(window.AddImgResInfo(101, L"PNG", 1, FALSE), horizontal) << "cached by id";
  EXPECT_EQ(window.AddImgResInfo(4040, L"PNG", 4, FALSE), nullptr);
}

TEST(LibraryResourcesTest, HostResourcesAreLookedUpInTheHostModule) {
  Zelvo::PaintManager window;
  // The test program embeds no images: the host map stays empty.
  EXPECT_EQ(window.AddImgResInfo(101, L"PNG", 4, TRUE), nullptr);
}

TEST(LibraryResourcesTest, EachWindowRegistersAndReleasesItsOwnMemoryFont) {
  Zelvo::PaintManager first;
  Zelvo::PaintManager second;
  first.AddGDITempFont(106);
  second.AddGDITempFont(106);
  EXPECT_EQ(first.GetMemoryFontCount(), 1u);
  EXPECT_EQ(second.GetMemoryFontCount(), 1u);
  first.ClearTempFont();
  EXPECT_EQ(first.GetMemoryFontCount(), 0u);
  EXPECT_EQ(second.GetMemoryFontCount(), 1u);
  first.AddGDITempFont(999);
  EXPECT_EQ(first.GetMemoryFontCount(), 0u) << "a missing resource changes nothing";
}

TEST(LibraryResourcesTest, PrivateFamilyFromTheFontResource) {
  const CString saved = Zelvo::Manager::GetFontName();
  Zelvo::Manager::SetFontName(L"Quillon Label");
  {
    Zelvo::PaintManager window;
    EXPECT_EQ(window.FindTempFont(nullptr), nullptr) << "no such installed font";
    Gdiplus::FontFamily* family = window.AddTempFont(L"Quillon Label", 106);
    ASSERT_NE(family, nullptr);
    EXPECT_TRUE(family->IsAvailable());
    EXPECT_EQ(window.FindTempFont(nullptr), family) << "the registered family serves control text";
    EXPECT_EQ(window.AddTempFont(L"Other", 999), nullptr);
  }
  Zelvo::Manager::SetFontName(saved);
}

}  // namespace
