#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Reading back what the game drew in the harness window.
namespace harness {

// Everything drawn so far in the window, read back once.
class Frame {
 public:
  Frame();
  // The pixel at window position (x, y) as 0xRRGGBB.
  Uint32 At(int x, int y) const;
  // True when any pixel of the w x h box at (x, y) is not black.
  bool Lit(int x, int y, int w, int h) const;

 private:
  std::vector<Uint32> pixels;
};

// Succeeds when frame shows line in white at points with its top-left corner
// at (x, y): the pixels there equal the line rendered alone on black with the
// game's font. Clears the window.
testing::AssertionResult ShowsText(const Frame& frame, const std::string& line, int points, int x,
                                   int y);

}  // namespace harness
