#include "harness/Screen.h"

#include <SDL_ttf.h>

#include "harness/Harness.h"

namespace harness {
namespace {
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
}  // namespace

Frame::Frame() : pixels(kWindowWidth * kWindowHeight) {
  SDL_RenderReadPixels(Renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                       kWindowWidth * 4);
}

Uint32 Frame::At(int x, int y) const { return pixels[y * kWindowWidth + x] & 0xFFFFFF; }

bool Frame::Lit(int x, int y, int w, int h) const {
  for (int py = y; py < y + h; ++py)
    for (int px = x; px < x + w; ++px)
      if (At(px, py) != 0) return true;
  return false;
}

testing::AssertionResult ShowsText(const Frame& frame, const std::string& line, int points, int x,
                                   int y) {
  TTF_Font* font = TTF_OpenFont("Resources/Assets/DejaVuSans.ttf", points);
  if (!font) return testing::AssertionFailure() << "the font did not open";
  SDL_Surface* surface = TTF_RenderText_Solid(font, line.c_str(), SDL_Color{255, 255, 255, 255});
  TTF_CloseFont(font);
  if (!surface) return testing::AssertionFailure() << "could not render \"" << line << "\"";
  SDL_Texture* texture = SDL_CreateTextureFromSurface(Renderer(), surface);
  SDL_Rect where{x, y, surface->w, surface->h};
  SDL_FreeSurface(surface);
  ClearWindow();
  SDL_RenderCopy(Renderer(), texture, nullptr, &where);
  SDL_DestroyTexture(texture);
  Frame reference;
  ClearWindow();
  int differing = 0;
  int lit = 0;
  for (int py = y; py < y + where.h && py < kWindowHeight; ++py) {
    for (int px = x; px < x + where.w && px < kWindowWidth; ++px) {
      if (reference.At(px, py) != 0) ++lit;
      if (reference.At(px, py) != frame.At(px, py)) ++differing;
    }
  }
  if (lit == 0) return testing::AssertionFailure() << "\"" << line << "\" renders as nothing";
  if (differing > 0)
    return testing::AssertionFailure()
           << differing << " pixels differ from \"" << line << "\" at (" << x << ", " << y << ")";
  return testing::AssertionSuccess();
}

}  // namespace harness
