#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

// Encodes image as an uncompressed 24-bit BMP (BITMAPINFOHEADER, rows stored
// bottom-up in blue-green-red order, each row padded to a multiple of 4 bytes).
// Precondition: width and height are at least 1.
std::vector<uint8_t> EncodeBmp(const Image& image);
// Reads back a 24-bit BMP written by EncodeBmp (used by tests and checks);
// throws std::runtime_error for anything else.
Image DecodeBmp(const std::vector<uint8_t>& bytes);
