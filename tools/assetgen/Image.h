#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
  bool operator!=(const Rgb& other) const { return !(*this == other); }
};

// The game's transparent colour: the sprite loader keys it out.
constexpr Rgb kTransparent{255, 0, 255};

// A picture in memory: width x height pixels, rows top to bottom.
struct Image {
  int width = 0;            // pixels
  int height = 0;           // pixels
  std::vector<Rgb> pixels;  // width * height, row-major from the top-left

  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
