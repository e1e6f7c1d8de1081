#include "Bmp.h"

#include <stdexcept>

#include "ByteIo.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;  // bytes
constexpr uint32_t kInfoHeaderSize = 40;  // bytes, BITMAPINFOHEADER
constexpr uint16_t kBitsPerPixel = 24;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

uint32_t RowStride(int width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

}  // namespace

std::vector<uint8_t> EncodeBmp(const Image& image) {
  const uint32_t stride = RowStride(image.width);
  const uint32_t dataSize = stride * static_cast<uint32_t>(image.height);
  const uint32_t dataOffset = kFileHeaderSize + kInfoHeaderSize;

  std::vector<uint8_t> out;
  out.reserve(dataOffset + dataSize);
  // File header.
  out.push_back('B');
  out.push_back('M');
  PutU32(out, dataOffset + dataSize);
  PutU32(out, 0);  // reserved
  PutU32(out, dataOffset);
  // Info header.
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<uint32_t>(image.width));
  PutU32(out, static_cast<uint32_t>(image.height));  // positive: bottom-up rows
  PutU16(out, 1);                                    // planes
  PutU16(out, kBitsPerPixel);
  PutU32(out, 0);  // BI_RGB, no compression
  PutU32(out, dataSize);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, 0);  // colours used: all
  PutU32(out, 0);  // important colours: all
  // Pixels, last row first.
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb c = image.At(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (uint32_t pad = static_cast<uint32_t>(image.width) * 3; pad < stride; ++pad) {
      out.push_back(0);
    }
  }
  return out;
}

Image DecodeBmp(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
    throw std::runtime_error("not a BMP file");
  }
  const uint32_t dataOffset = GetU32(bytes, 10);
  const int32_t width = static_cast<int32_t>(GetU32(bytes, 18));
  const int32_t height = static_cast<int32_t>(GetU32(bytes, 22));
  if (GetU16(bytes, 28) != kBitsPerPixel || GetU32(bytes, 30) != 0) {
    throw std::runtime_error("not an uncompressed 24-bit BMP");
  }
  if (width <= 0 || height <= 0) throw std::runtime_error("unsupported BMP size");
  const uint32_t stride = RowStride(width);
  if (bytes.size() < dataOffset + stride * static_cast<uint64_t>(height)) {
    throw std::runtime_error("BMP pixel data is truncated");
  }
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height);
  for (int32_t row = 0; row < height; ++row) {
    const size_t base = dataOffset + static_cast<size_t>(row) * stride;
    const int32_t y = height - 1 - row;
    for (int32_t x = 0; x < width; ++x) {
      const size_t p = base + static_cast<size_t>(x) * 3;
      image.pixels[static_cast<size_t>(y) * width + x] = Rgb{bytes[p + 2], bytes[p + 1], bytes[p]};
    }
  }
  return image;
}
