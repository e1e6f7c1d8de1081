#include "Svg.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace {

constexpr int kNominalSize = 128;  // pixels; the icon's size where a viewer asks for none

// The opaque pixels' bounds: columns [left, right) and rows [top, bottom).
struct Bounds {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

Bounds OpaqueBounds(const Image& image) {
  Bounds bounds{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.At(x, y) == kTransparent) continue;
      bounds.left = std::min(bounds.left, x);
      bounds.top = std::min(bounds.top, y);
      bounds.right = std::max(bounds.right, x + 1);
      bounds.bottom = std::max(bounds.bottom, y + 1);
    }
  }
  if (bounds.right == 0) throw std::runtime_error("the picture has no opaque pixel");
  return bounds;
}

std::string HexColour(Rgb colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.r, colour.g, colour.b);
  return text;
}

}  // namespace

std::string EncodeSvg(const Image& image) {
  const Bounds bounds = OpaqueBounds(image);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const int side = std::max(width, height);

  std::ostringstream out;
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kNominalSize << "\" height=\""
      << kNominalSize << "\" viewBox=\"" << bounds.left - (side - width) / 2.0 << ' '
      << bounds.top - (side - height) / 2.0 << ' ' << side << ' ' << side
      << "\" shape-rendering=\"crispEdges\">\n";
  for (int y = bounds.top; y < bounds.bottom; ++y) {
    for (int x = bounds.left; x < bounds.right;) {
      const Rgb colour = image.At(x, y);
      int end = x + 1;
      while (end < bounds.right && image.At(end, y) == colour) ++end;
      if (colour != kTransparent) {
        out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x
            << "\" height=\"1\" fill=\"" << HexColour(colour) << "\"/>\n";
      }
      x = end;
    }
  }
  out << "</svg>\n";
  return out.str();
}
