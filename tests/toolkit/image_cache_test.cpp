// The per-window image cache and MControlFont's skin image: one decode per window and name,
// shared by the window's controls and never across windows; MImageList.
#include <gtest/gtest.h>

#include "canvas.h"
#include "control_probe.h"
#include "toolkit/core/mcontrol_font.h"
#include "toolkit/core/mimage_list.h"
#include "toolkit/core/mrender.h"
#include "toolkit/window/paint_manager.h"

using toolkit_test::SkinFixtures;

namespace {

class TextControl : public Zelvo::MControlFont {
 public:
  TextControl(Zelvo::MObject* owner, UINT id)
      : MControlFont(owner, id, CRect(0, 0, 10, 10), L"title", TRUE, TRUE, TRUE) {}
  void DrawControl(HDC&, CRect) override {}
};

// Four 2-pixel slices, each its own colour.
void WriteFourSlices(const std::filesystem::path& file) {
  toolkit_test::WritePng(file, 8, 3, [](int x, int) { return 0xFF000000u | static_cast<std::uint32_t>(x / 2 + 1) * 0x40; });
}

class ImageCacheTest : public ::testing::Test {
 protected:
  SkinFixtures skins{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  toolkit_test::RecordingOwner owner;
  Zelvo::PaintManager window1;
  Zelvo::PaintManager window2;
};

TEST_F(ImageCacheTest, OneWindowSharesOneImageAndAnotherWindowLoadsItsOwn) {
  WriteFourSlices(skins.Path("img_btn.png"));
  TextControl a(&owner, 1), b(&owner, 2), c(&owner, 3);
  a.SetManager(&window1);
  b.SetManager(&window1);
  c.SetManager(&window2);
  ASSERT_TRUE(a.SetImage(skins.Name("img_btn.png").c_str(), 4));
  ASSERT_TRUE(b.SetImage(skins.Name("img_btn.png").c_str(), 4));
  ASSERT_TRUE(c.SetImage(skins.Name("img_btn.png").c_str(), 4));
  EXPECT_EQ(a.GetImage(), b.GetImage());
  EXPECT_NE(a.GetImage(), c.GetImage());
  EXPECT_EQ(a.GetImageSize(), CSize(2, 3));
  EXPECT_EQ(owner.repaints.size(), 3u) << "each visible control asks for a repaint";
}

TEST_F(ImageCacheTest, FirstSliceCountFixesTheFrameWidth) {
  WriteFourSlices(skins.Path("img_two.png"));
  TextControl four(&owner, 1), two(&owner, 2);
  four.SetManager(&window1);
  two.SetManager(&window1);
  ASSERT_TRUE(four.SetImage(skins.Name("img_two.png").c_str(), 4));
  ASSERT_TRUE(two.SetImage(skins.Name("img_two.png").c_str(), 2));
  EXPECT_EQ(two.GetImageSize(), CSize(2, 3)) << "width / 4 from the first load";
  EXPECT_EQ(two.GetImageCount(), 2) << "the control keeps the count it asked for";
}

TEST_F(ImageCacheTest, MissingFileIsNotCachedAndFailsSoftly) {
  TextControl control(&owner, 1);
  EXPECT_FALSE(control.SetImage(skins.Name("img_late.png").c_str(), 4)) << "no manager";
  control.SetManager(&window1);
  EXPECT_FALSE(control.SetImage(skins.Name("img_late.png").c_str(), 4));
  EXPECT_EQ(control.GetImage(), nullptr);
  EXPECT_TRUE(owner.repaints.empty());
  WriteFourSlices(skins.Path("img_late.png"));
  EXPECT_TRUE(control.SetImage(skins.Name("img_late.png").c_str(), 4));
  EXPECT_NE(control.GetImage(), nullptr);
}

TEST_F(ImageCacheTest, NamesCompareExactly) {
  WriteFourSlices(skins.Path("img_case.png"));
  ASSERT_NE(window1.AddImgResInfo(skins.Name("img_case.png").c_str(), 4), nullptr);
  EXPECT_EQ(window1.AddImgResInfo(skins.Name("IMG_CASE.png").c_str(), 4), nullptr);
}

TEST_F(ImageCacheTest, ClearingReleasesAndReloads) {
  WriteFourSlices(skins.Path("img_clear.png"));
  Zelvo::ImgResInfo* first = window1.AddImgResInfo(skins.Name("img_clear.png").c_str(), 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->frameWidth, 8);
  EXPECT_EQ(first->height, 3);
  EXPECT_EQ(first->name, CString(skins.Name("img_clear.png").c_str()));
  window1.ClearImgResInfo();
  Zelvo::ImgResInfo* again = window1.AddImgResInfo(skins.Name("img_clear.png").c_str(), 4);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->frameWidth, 2);
}

TEST_F(ImageCacheTest, LoadingFromFiles) {
  WriteFourSlices(skins.Path("img_load.png"));
  const CString folder = Zelvo::GetSkinFolder() + CString(FromUtf8(skins.prefix));
  EXPECT_EQ(Zelvo::MRender::LoadImageFromFile(folder + L"nothing.png"), nullptr);
  std::unique_ptr<Gdiplus::Image> image(Zelvo::MRender::LoadImageFromFile(folder + L"img_load.png"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 8u);
  std::unique_ptr<Gdiplus::Image> thumb(Zelvo::MRender::LoadImageFromFileEx(folder + L"img_load.png", 4, 6));
  ASSERT_NE(thumb, nullptr);
  EXPECT_EQ(thumb->GetWidth(), 4u);
  EXPECT_EQ(thumb->GetHeight(), 6u);
  std::unique_ptr<Gdiplus::Image> same(Zelvo::MRender::LoadImageFromFileEx(folder + L"img_load.png", 0, 0));
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(same->GetHeight(), 3u);
}

TEST_F(ImageCacheTest, ImageListKeepsIndexedSlicedImages) {
  WriteFourSlices(skins.Path("img_list.png"));
  const CString full = Zelvo::GetSkinFolder() + CString(FromUtf8(skins.prefix)) + L"img_list.png";
  Zelvo::MImageList list;
  EXPECT_EQ(list.AddImage(full, 7, 4), 0);
  EXPECT_EQ(list.AddImage(L"/nonexistent/none.png", 8, 4), 1) << "a file that does not load is still added";
  EXPECT_EQ(list.InsertImage(0, full, 9, 2), -1) << "inserting returns -1";
  EXPECT_EQ(list.InsertImage(5, full, 9, 2), -1);
  EXPECT_EQ(list.AddImage(nullptr, 1, 1), -1);
  ASSERT_EQ(list.GetImageCount(), 3);
  EXPECT_EQ(list.GetItemImageData(0)->id, 9);
  EXPECT_EQ(list.GetItemImageData(0)->frameWidth, 4);
  EXPECT_EQ(list.GetImageDataByID(8)->frameWidth, 0);
  EXPECT_EQ(list.GetImageDataByID(42), nullptr);
  EXPECT_EQ(list.GetItemImageData(3), nullptr);
  EXPECT_EQ(list.GetImagePathByID(7), full);

  toolkit_test::Canvas canvas(4, 4);
  {
    Gdiplus::Graphics graphics(canvas.dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    list.DrawItemIcon(graphics, CRect(0, 0, 2, 2), 1, 9);  // state beyond the count: the last slice
    list.DrawItemIcon(graphics, CRect(2, 2, 4, 4), 1);
  }
  EXPECT_EQ(canvas.At(0, 0), 0xFF000100u) << "slice 3";
  EXPECT_EQ(canvas.At(3, 3), 0xFF000040u) << "slice 0";
  EXPECT_TRUE(list.DelAllImages());
  EXPECT_EQ(list.GetImageCount(), 0);
}

}  // namespace
