#pragma once

#include <string>

#include "Image.h"

// Encodes image as a square SVG icon: the opaque pixels' bounding box centred
// in a square view, each row's runs of one colour drawn as one rectangle with
// crisp edges, so the pixel art stays sharp at any size. Transparent (magenta)
// pixels are left out. Throws std::runtime_error when no pixel is opaque.
std::string EncodeSvg(const Image& image);
