#pragma once

#include <map>
#include <string>

#include "Image.h"
#include "TextSource.h"

// The legend from picture characters to colours. '.' is always present and
// always the transparent magenta; no other character may be magenta.
struct Palette {
  std::map<char, Rgb> colours;
};

// Parses a palette file: one "<char> <red> <green> <blue> [name]" per line.
// Throws ContentError naming the file and line for any fault.
Palette ParsePalette(const TextSource& source);

// Parses a picture: "size <width> <height>", optional "colour <char> <r> <g> <b>"
// lines that add to or override the shared palette for this picture only,
// then "grid" followed by exactly height rows of exactly width characters.
// Throws ContentError naming the file and line for any fault.
Image ParsePicture(const TextSource& source, const Palette& shared);
