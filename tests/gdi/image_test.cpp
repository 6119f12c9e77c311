// Image decoding of every format, GIF frames, thumbnails and pixel access. Fixture images are
// made at run time: PNG, JPEG, BMP and ICO with gdk-pixbuf, GIF by a tiny encoder here.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gdi_test_util.h"
#include "platform/base/cstring.h"
#include "platform/gdi/gdiplus.h"
#include "platform/gdi/image_decode.h"

namespace {

using Gdiplus::Image;

// A 4 × 2 RGBA picture: top row red, green, blue, half-transparent white; bottom row black.
GdkPixbuf* MakePixbuf(bool alpha) {
  GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, 4, 2);
  guchar* px = gdk_pixbuf_get_pixels(p);
  const int stride = gdk_pixbuf_get_rowstride(p);
  const int n = gdk_pixbuf_get_n_channels(p);
  const guchar colours[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 128}};
  for (int x = 0; x < 4; ++x) {
    for (int c = 0; c < n; ++c) px[x * n + c] = colours[x][c];
    for (int c = 0; c < n; ++c) px[stride + x * n + c] = c == 3 ? 255 : 0;
  }
  return p;
}

std::vector<std::uint8_t> Encode(GdkPixbuf* p, const char* type) {
  gchar* buffer = nullptr;
  gsize size = 0;
  GError* error = nullptr;
  const gboolean ok = gdk_pixbuf_save_to_buffer(p, &buffer, &size, type, &error, nullptr);
  if (error) g_clear_error(&error);
  std::vector<std::uint8_t> out;
  if (ok) out.assign(buffer, buffer + size);
  g_free(buffer);
  return out;
}

// GIF with a 4-colour palette, every picture `width` × `height`, one palette index per frame
// (filled), 10 ms delays. Codes are written uncompressed: a clear code before every pixel keeps
// the code width at 3 bits.
std::vector<std::uint8_t> MakeGif(int width, int height, const std::vector<int>& frameColours) {
  std::vector<std::uint8_t> g = {'G', 'I', 'F', '8', '9', 'a'};
  auto word = [&](int v) {
    g.push_back(static_cast<std::uint8_t>(v & 0xFF));
    g.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  word(width);
  word(height);
  g.insert(g.end(), {0x81, 0, 0});  // global table of 4 colours
  g.insert(g.end(), {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
  g.insert(g.end(), {0x21, 0xFF, 0x0B});  // loop forever
  for (char c : std::string("NETSCAPE2.0")) g.push_back(static_cast<std::uint8_t>(c));
  g.insert(g.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  for (int colour : frameColours) {
    g.insert(g.end(), {0x21, 0xF9, 0x04, 0x00, 10, 0, 0, 0});  // 10 hundredths of a second
    g.push_back(0x2C);
    word(0);
    word(0);
    word(width);
    word(height);
    g.push_back(0);
    g.push_back(2);  // LZW minimum code size
    std::vector<std::uint8_t> data;
    std::uint32_t bits = 0;
    int count = 0;
    auto code = [&](int c) {
      bits |= static_cast<std::uint32_t>(c) << count;
      count += 3;
      while (count >= 8) {
        data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
        bits >>= 8;
        count -= 8;
      }
    };
    for (int i = 0; i < width * height; ++i) {
      code(4);  // clear
      code(colour);
    }
    code(5);  // end
    if (count > 0) data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    for (size_t i = 0; i < data.size(); i += 255) {
      const size_t n = std::min<size_t>(255, data.size() - i);
      g.push_back(static_cast<std::uint8_t>(n));
      g.insert(g.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
    }
    g.push_back(0);
  }
  g.push_back(0x3B);
  return g;
}

std::uint32_t PixelOf(Image* image, int x, int y) { return image->ActiveFrame()->PixelAt(x, y); }

struct FormatCase {
  const char* type;
  bool alpha;
  bool exact;
};

const FormatCase kFormats[] = {
    {"png", true, true},
    {"bmp", false, true},
    {"ico", true, true},
    {"jpeg", false, false},
};

class DecodeFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(DecodeFormat, SizeAndPixels) {
  const FormatCase& c = GetParam();
  GdkPixbuf* p = MakePixbuf(c.alpha);
  // The ICO writer wants square pictures of at least 16 pixels; JPEG needs blocks larger than its
  // colour subsampling to keep colours apart.
  const std::string type = c.type;
  const int scale = type == "ico" ? 16 : (type == "jpeg" ? 32 : 0);
  GdkPixbuf* source = scale ? gdk_pixbuf_scale_simple(p, scale, scale, GDK_INTERP_NEAREST) : g_object_ref(p);
  const std::vector<std::uint8_t> bytes = Encode(source, c.type);
  ASSERT_FALSE(bytes.empty()) << c.type;
  std::unique_ptr<Image> image(Image::FromMemory(bytes.data(), bytes.size()));
  ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok) << c.type;
  EXPECT_EQ(image->GetWidth(), static_cast<UINT>(gdk_pixbuf_get_width(source)));
  EXPECT_EQ(image->GetHeight(), static_cast<UINT>(gdk_pixbuf_get_height(source)));
  const std::uint32_t red = PixelOf(image.get(), scale ? 3 : 0, scale ? 5 : 0);
  if (c.exact) {
    EXPECT_EQ(red, 0xFFFF0000u) << c.type;
    if (c.alpha && std::string(c.type) == "png") {
      EXPECT_EQ(PixelOf(image.get(), 3, 0), 0x80808080u);  // 255 × 128 / 255, premultiplied
    }
  } else {
    EXPECT_EQ(red >> 24, 0xFFu);
    EXPECT_GT((red >> 16) & 0xFF, 200u);
    EXPECT_LT((red >> 8) & 0xFF, 60u);
  }
  g_object_unref(source);
  g_object_unref(p);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeFormat, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<FormatCase>& i) { return std::string(i.param.type); });

TEST(Gif, FramesInTheTimeDimension) {
  const std::vector<std::uint8_t> gif = MakeGif(3, 2, {0, 1, 2});
  EXPECT_EQ(platform::CountGifFrames(gif.data(), gif.size()), 3);
  std::unique_ptr<Image> image(Image::FromMemory(gif.data(), gif.size()));
  ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(image->GetWidth(), 3u);
  ASSERT_EQ(image->GetFrameDimensionsCount(), 1u);
  GUID dimension{};
  ASSERT_EQ(image->GetFrameDimensionsList(&dimension, 1), Gdiplus::Ok);
  EXPECT_TRUE(dimension == Gdiplus::FrameDimensionTime);
  EXPECT_EQ(image->GetFrameCount(&Gdiplus::FrameDimensionTime), 3u);
  EXPECT_EQ(image->GetFrameCount(&Gdiplus::FrameDimensionPage), 0u);
  const std::uint32_t expected[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (UINT i = 0; i < 3; ++i) {
    ASSERT_EQ(image->SelectActiveFrame(&Gdiplus::FrameDimensionTime, i), Gdiplus::Ok);
    EXPECT_EQ(PixelOf(image.get(), 2, 1), expected[i]) << "frame " << i;
    EXPECT_EQ(image->GetFrameDelay(i), 100u);
  }
  EXPECT_EQ(image->SelectActiveFrame(&Gdiplus::FrameDimensionTime, 3), Gdiplus::InvalidParameter);
}

TEST(Gif, SingleFrameIsAPage) {
  const std::vector<std::uint8_t> gif = MakeGif(2, 2, {3});
  std::unique_ptr<Image> image(Image::FromMemory(gif.data(), gif.size()));
  ASSERT_EQ(image->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(image->GetFrameCount(&Gdiplus::FrameDimensionPage), 1u);
  EXPECT_EQ(PixelOf(image.get(), 1, 1), 0xFFFFFFFFu);
}

TEST(ImageLoading, FilesAndFailures) {
  const std::string path = "/tmp/gdi-tests-image-" + std::to_string(getpid()) + ".png";
  GdkPixbuf* p = MakePixbuf(true);
  ASSERT_TRUE(gdk_pixbuf_save(p, path.c_str(), "png", nullptr, nullptr));
  g_object_unref(p);
  std::unique_ptr<Image> image(Image::FromFile(FromUtf8(path).c_str()));
  EXPECT_EQ(image->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(image->GetWidth(), 4u);
  std::unique_ptr<Image> thumb(image->GetThumbnailImage(8, 4));
  EXPECT_EQ(thumb->GetWidth(), 8u);
  EXPECT_EQ(thumb->GetHeight(), 4u);
  EXPECT_EQ(PixelOf(thumb.get(), 0, 0), 0xFFFF0000u);
  std::unique_ptr<Image> same(image->GetThumbnailImage(0, 0));
  EXPECT_EQ(same->GetWidth(), 4u);
  std::remove(path.c_str());

  std::unique_ptr<Image> missing(Image::FromFile(L"/nonexistent/picture.png"));
  EXPECT_EQ(missing->GetLastStatus(), Gdiplus::FileNotFound);
  EXPECT_EQ(missing->GetWidth(), 0u);
  const std::uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::unique_ptr<Image> bad(Image::FromMemory(junk, sizeof junk));
  EXPECT_NE(bad->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(bad->GetFrameDimensionsCount(), 0u);
}

TEST(BitmapPixels, StraightAlphaAccessAndConversions) {
  Gdiplus::Bitmap b(2, 2);
  ASSERT_EQ(b.SetPixel(0, 0, Gdiplus::Color(128, 255, 0, 0)), Gdiplus::Ok);
  EXPECT_EQ(b.ActiveFrame()->PixelAt(0, 0), 0x80800000u);  // stored premultiplied
  Gdiplus::Color c;
  ASSERT_EQ(b.GetPixel(0, 0, &c), Gdiplus::Ok);
  EXPECT_EQ(c.GetValue(), 0x80FF0000u);
  Gdiplus::BitmapData data{};
  Gdiplus::Rect all(0, 0, 2, 2);
  ASSERT_EQ(b.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat32bppARGB, &data),
            Gdiplus::Ok);
  EXPECT_EQ(static_cast<std::uint32_t*>(data.Scan0)[0], 0x80FF0000u);
  static_cast<std::uint32_t*>(data.Scan0)[1] = 0xFF00FF00u;
  ASSERT_EQ(b.UnlockBits(&data), Gdiplus::Ok);
  EXPECT_EQ(b.ActiveFrame()->PixelAt(1, 0), 0xFF00FF00u);
  HBITMAP h = nullptr;
  ASSERT_EQ(b.GetHBITMAP(Gdiplus::Color(255, 0, 0, 255), &h), Gdiplus::Ok);
  EXPECT_EQ(platform::GetBitmapPixels(h)->PixelAt(0, 0), 0xFF80007Fu);  // red at half over blue
  Gdiplus::Bitmap back(h, nullptr);
  EXPECT_EQ(back.ActiveFrame()->PixelAt(1, 0), 0xFF00FF00u);
  platform::DeleteObject(h);
  HICON icon = nullptr;
  ASSERT_EQ(b.GetHICON(&icon), Gdiplus::Ok);
  EXPECT_EQ(platform::GetIconBitmap(icon)->PixelAt(0, 0), 0x80800000u);
  EXPECT_TRUE(platform::DestroyIcon(icon));
}

TEST(Icons, FromImageFiles) {
  const std::string path = "/tmp/gdi-tests-icon-" + std::to_string(getpid()) + ".ico";
  GdkPixbuf* p = MakePixbuf(true);
  GdkPixbuf* square = gdk_pixbuf_scale_simple(p, 16, 16, GDK_INTERP_NEAREST);
  ASSERT_TRUE(gdk_pixbuf_save(square, path.c_str(), "ico", nullptr, nullptr));
  g_object_unref(square);
  g_object_unref(p);
  std::wstring wide = FromUtf8(path);
  WORD index = 7;
  HICON icon = platform::ExtractAssociatedIconW(nullptr, wide.data(), &index);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(platform::GetIconBitmap(icon)->width(), 16);
  ICONINFO info{};
  ASSERT_TRUE(platform::GetIconInfo(icon, &info));
  EXPECT_EQ(platform::GetBitmapPixels(info.hbmColor)->PixelAt(0, 0), 0xFFFF0000u);
  platform::DeleteObject(info.hbmColor);
  platform::DeleteObject(info.hbmMask);
  platform::DestroyIcon(icon);
  std::remove(path.c_str());
  std::wstring none = L"/nonexistent.ico";
  EXPECT_EQ(platform::ExtractAssociatedIconW(nullptr, none.data(), nullptr), nullptr);
}

}  // namespace
