// Module resources: the entries embedded into this test program by vq_embed_resources (the
// toolkit's scroll-bar pictures and font, rendered from the same sources, and a sample text).
#include <cstring>
#include <memory>
#include <string>

#include "gdi_test_util.h"
#include "platform/gdi/gdiplus.h"
#include "platform/system/resources.h"

namespace {

int LocalFunction() { return 1; }

TEST(Resources, ProgramModuleAndLookupByTypeWithoutCase) {
  HMODULE program = platform::ProgramModule();
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(platform::ModuleFromAddress(reinterpret_cast<const void*>(&LocalFunction)), program);
  HRSRC text = platform::FindResourceW(nullptr, 7u, L"txt");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(platform::FindResourceW(program, 7u, L"TXT"), text);
  const DWORD size = platform::SizeofResource(program, text);
  const void* bytes = platform::LockResource(platform::LoadResource(program, text));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(bytes), size), "embedded sample\n");
  EXPECT_EQ(platform::FindResourceW(program, 8u, L"TXT"), nullptr);
  EXPECT_EQ(platform::FindResourceW(program, 7u, L"PNG"), nullptr);
  EXPECT_EQ(platform::FindResourceW(program, L"sample", L"TXT"), nullptr);
  // The platform library's own module holds none of them.
  HMODULE library = platform::ModuleFromAddress(reinterpret_cast<const void*>(&platform::ProgramModule));
  EXPECT_NE(library, program);
  EXPECT_EQ(platform::FindResourceW(library, 7u, L"TXT"), nullptr);
}

struct PictureCase {
  unsigned id;
  UINT width;
  UINT height;
};

class ScrollPictures : public testing::TestWithParam<PictureCase> {};

TEST_P(ScrollPictures, DecodeToTheSizesTheScrollBarsExpect) {
  const PictureCase& c = GetParam();
  HMODULE program = platform::ProgramModule();
  HRSRC r = platform::FindResourceW(program, c.id, L"PNG");
  ASSERT_NE(r, nullptr);
  std::unique_ptr<Gdiplus::Image> image(
      Gdiplus::Image::FromMemory(platform::LockResource(platform::LoadResource(program, r)), platform::SizeofResource(program, r)));
  ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(image->GetWidth(), c.width);
  EXPECT_EQ(image->GetHeight(), c.height);
  // The thumbs are visible (not fully transparent) pictures.
  bool painted = false;
  for (UINT y = 0; y < c.height; ++y)
    for (UINT x = 0; x < c.width; ++x) painted |= (image->ActiveFrame()->PixelAt(x, y) >> 24) > 100;
  EXPECT_TRUE(painted);
}

INSTANTIATE_TEST_SUITE_P(Ids, ScrollPictures, testing::Values(PictureCase{101, 22, 20}, PictureCase{102, 12, 72}));

TEST(Resources, EmbeddedFontRegistersAsOpenSansSemibold) {
  HMODULE program = platform::ProgramModule();
  HRSRC r = platform::FindResourceW(program, 106u, L"ttf");
  ASSERT_NE(r, nullptr);
  const DWORD size = platform::SizeofResource(program, r);
  void* bytes = platform::LockResource(platform::LoadResource(program, r));
  DWORD count = 0;
  HANDLE font = platform::AddFontMemResourceEx(bytes, size, nullptr, &count);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Gdiplus::FontFamily(L"Open Sans Semibold").GetLastStatus(), Gdiplus::Ok);
  EXPECT_TRUE(platform::RemoveFontMemResourceEx(font));
}

}  // namespace
