#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

// One line of text ready to draw: a copy of the text, its top-left window
// position, the font opened at its point size (null when the font failed).
class TextItem {
 public:
  TextItem(const char* text, int pointSize, int x, int y, SDL_Color colour);
  // Closes the font.
  ~TextItem();
  TextItem(const TextItem&) = delete;
  TextItem& operator=(const TextItem&) = delete;

  std::string text;
  int x = 0;
  int y = 0;
  TTF_Font* font = nullptr;  // owned
  SDL_Color colour{255, 255, 255, 255};
};
