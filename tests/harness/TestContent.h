#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "harness/Harness.h"

// Small levels and plain bitmaps that tests build for themselves, so that
// they do not depend on the shipped levels and art, which may change.
namespace harness {

struct Cell {
  int column;
  int row;
  char code;
};

// A level of columns x rows cells closed by walls on all four sides, with the
// given cells placed inside; lines end with a line feed.
std::string Room(int columns, int rows, const std::vector<Cell>& cells);

// Writes a 24-bit BMP whose left and right halves have their own colours.
void WriteBitmap(const std::string& path, int width, int height, SDL_Color left, SDL_Color right);
// Writes a 24-bit BMP of one colour.
void WriteBitmap(const std::string& path, int width, int height, SDL_Color colour);

// A save with every key the game reads and no records yet (the defaults of
// a first save), "Level Reached" at reached.
std::string FreshSave(const std::string& reached = "0");

// Replaces the folder's linked assets with an empty folder of its own that
// holds only the staged font; returns that folder's path.
std::string UseOwnAssets(const TempRunFolder& folder);

}  // namespace harness
