// Decoding encoded images (PNG, GIF with its frames, ICO, BMP, JPEG) with gdk-pixbuf into
// premultiplied BGRA bitmaps. Internal to the drawing layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/bitmap.h"

namespace platform {

struct DecodedFrame {
  std::unique_ptr<Bitmap> pixels;
  unsigned delayMs = 0;  // 0 for still images
};

// Every frame of the image (one for still images); false when the bytes do not decode.
// `animated` tells whether the frames are an animation's.
bool DecodeImage(const std::uint8_t* data, std::size_t size, std::vector<DecodedFrame>* frames, bool* animated);

// The number of pictures in GIF bytes (0 when not a well-formed GIF).
int CountGifFrames(const std::uint8_t* data, std::size_t size);

// Straight RGBA bytes -> premultiplied 0xAARRGGBB; each channel c × a / 255 rounded to nearest.
std::uint32_t PremultiplyRgba(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

}  // namespace platform
