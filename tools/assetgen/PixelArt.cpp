#include "PixelArt.h"

#include <cctype>

#include "ContentError.h"

namespace {

constexpr char kTransparentChar = '.';
constexpr int kMaxPictureSide = 1024;  // pixels; far beyond any sprite, catches typos

// Checks that word is a usable legend character and returns it.
char LegendChar(const TextSource& source, const TextLine& line, const std::string& word) {
  if (word.size() != 1 || !std::isgraph(static_cast<unsigned char>(word[0]))) {
    throw ContentError(source.name, line.number,
                       "'" + word + "' is not a single visible character");
  }
  return word[0];
}

// Reads "<r> <g> <b>" from line.words[first..first+2].
Rgb ParseColour(const TextSource& source, const TextLine& line, size_t first) {
  Rgb c;
  c.r = static_cast<uint8_t>(ParseInteger(source, line, line.words[first], 0, 255));
  c.g = static_cast<uint8_t>(ParseInteger(source, line, line.words[first + 1], 0, 255));
  c.b = static_cast<uint8_t>(ParseInteger(source, line, line.words[first + 2], 0, 255));
  return c;
}

// The transparent colour belongs to '.' alone, and '.' is always transparent.
void CheckTransparency(const TextSource& source, const TextLine& line, char key, Rgb colour) {
  if (key == kTransparentChar && colour != kTransparent) {
    throw ContentError(source.name, line.number,
                       "'.' is the transparent character: it must be 255 0 255");
  }
  if (key != kTransparentChar && colour == kTransparent) {
    throw ContentError(source.name, line.number,
                       std::string("'") + key +
                           "' is magenta 255 0 255, the transparent colour: only '.' may use it");
  }
}

}  // namespace

Palette ParsePalette(const TextSource& source) {
  Palette palette;
  for (const TextLine& line : source.lines) {
    if (line.words.size() < 4) {
      throw ContentError(source.name, line.number,
                         "a palette line is '<char> <red> <green> <blue> [name]'");
    }
    const char key = LegendChar(source, line, line.words[0]);
    const Rgb colour = ParseColour(source, line, 1);
    CheckTransparency(source, line, key, colour);
    if (!palette.colours.emplace(key, colour).second) {
      throw ContentError(source.name, line.number,
                         std::string("'") + key + "' is already in the palette");
    }
  }
  palette.colours[kTransparentChar] = kTransparent;
  return palette;
}

Image ParsePicture(const TextSource& source, const Palette& shared) {
  Palette palette = shared;
  palette.colours[kTransparentChar] = kTransparent;
  Image image;
  bool haveSize = false;
  size_t at = 0;

  // Header: the size and any colours of this picture's own.
  for (; at < source.lines.size(); ++at) {
    const TextLine& line = source.lines[at];
    const std::string& keyword = line.words[0];
    if (keyword == "size") {
      ExpectArguments(source, line, 2);
      image.width = ParseInteger(source, line, line.words[1], 1, kMaxPictureSide);
      image.height = ParseInteger(source, line, line.words[2], 1, kMaxPictureSide);
      haveSize = true;
    } else if (keyword == "colour" || keyword == "color") {
      ExpectArguments(source, line, 4);
      const char key = LegendChar(source, line, line.words[1]);
      const Rgb colour = ParseColour(source, line, 2);
      CheckTransparency(source, line, key, colour);
      palette.colours[key] = colour;
    } else if (keyword == "grid") {
      ExpectArguments(source, line, 0);
      if (!haveSize) throw ContentError(source.name, line.number, "'grid' before 'size'");
      ++at;
      break;
    } else {
      throw ContentError(source.name, line.number,
                         "unknown keyword '" + keyword + "' (expected size, colour or grid)");
    }
  }
  if (!haveSize) throw ContentError(source.name, 0, "no 'size' line");

  // The grid: one line per row, one character per pixel.
  const int lastLine = source.lines.empty() ? 0 : source.lines.back().number;
  image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
  int row = 0;
  for (; at < source.lines.size(); ++at, ++row) {
    const TextLine& line = source.lines[at];
    if (line.words.size() != 1) {
      throw ContentError(source.name, line.number, "a grid row must not contain spaces");
    }
    if (row >= image.height) {
      throw ContentError(source.name, line.number,
                         "more than " + std::to_string(image.height) + " grid rows");
    }
    const std::string& text = line.words[0];
    if (static_cast<int>(text.size()) != image.width) {
      throw ContentError(source.name, line.number,
                         "grid row is " + std::to_string(text.size()) + " characters wide, not " +
                             std::to_string(image.width));
    }
    for (size_t x = 0; x < text.size(); ++x) {
      const auto found = palette.colours.find(text[x]);
      if (found == palette.colours.end()) {
        throw ContentError(source.name, line.number,
                           std::string("'") + text[x] + "' at column " + std::to_string(x + 1) +
                               " is not in the palette");
      }
      image.pixels.push_back(found->second);
    }
  }
  if (row != image.height) {
    throw ContentError(
        source.name, lastLine,
        "the grid has " + std::to_string(row) + " rows, not " + std::to_string(image.height));
  }
  return image;
}
