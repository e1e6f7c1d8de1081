#pragma once

#include <SDL.h>

#include <memory>

#include "gfx/TextItem.h"

// Draws single lines of white text in DejaVu Sans at any point size, placed
// by their top-left corner, and holds the one timed notice (one second).
class TextRenderer {
 public:
  TextRenderer(SDL_Window* window, SDL_Renderer* renderer);

  // Opens the font at pointSize, draws text at window pixel (x, y), closes it.
  void DrawText(const char* text, int pointSize, int x, int y);
  // Draws a prepared item; prints a console line when rendering fails.
  void RenderItem(const TextItem& item);
  // Shows text at the bottom left (5 % across, 95 % down) for noticeDuration ms,
  // replacing any notice still showing.
  void ShowNotice(const char* text);
  // The game step's notice handling: draw the notice, then drop it once
  // Clock::Now() is past noticeExpiry.
  void UpdateNotice();

  SDL_Window* window = nullptr;      // not owned
  SDL_Renderer* renderer = nullptr;  // not owned
  std::unique_ptr<TextItem> notice;  // null when no notice shows
  int noticeExpiry = 0;              // Clock::Now() milliseconds
  int noticeDuration = 1000;         // milliseconds
  SDL_Color colour{255, 255, 255, 255};
};
