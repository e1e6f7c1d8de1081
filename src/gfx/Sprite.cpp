#include "gfx/Sprite.h"

#include <cstdio>

namespace {
// Pixels of exactly this colour are not drawn.
constexpr Uint8 kKeyRed = 255;
constexpr Uint8 kKeyGreen = 0;
constexpr Uint8 kKeyBlue = 255;
}  // namespace

Sprite::Sprite(SDL_Renderer* renderer, const std::string& path) : renderer(renderer) {
  // The loader closes the stream, and fails cleanly when the file could not
  // be opened (a null stream).
  surface = SDL_LoadBMP_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
  if (!surface) {
    std::printf("Surface for bitmap '%s' not loaded!\n", path.c_str());
    std::printf("%s\n", SDL_GetError());
    return;
  }
  Uint32 key = SDL_MapRGB(surface->format, kKeyRed, kKeyGreen, kKeyBlue);
  SDL_SetColorKey(surface, SDL_TRUE, key);
  texture = SDL_CreateTextureFromSurface(renderer, surface);
  if (!texture) {
    std::printf("Texture for bitmap '%s' not loaded!\n", path.c_str());
    std::printf("%s\n", SDL_GetError());
  }
  // The surface keeps its size even when only the texture failed.
  width = surface->w;
  height = surface->h;
}

Sprite::~Sprite() {
  if (texture) SDL_DestroyTexture(texture);
  if (surface) SDL_FreeSurface(surface);
}

void Sprite::Draw(int x, int y) {
  if (!texture) return;
  SDL_Rect destination{x, y, width, height};
  SDL_RenderCopy(renderer, texture, nullptr, &destination);
}

void Sprite::DrawFacing(bool facingRight, int x, int y) {
  if (facingRight) {
    Draw(x, y);
    return;
  }
  if (!texture) return;
  SDL_Rect destination{x, y, width, height};
  SDL_RenderCopyEx(renderer, texture, nullptr, &destination, 0.0, nullptr, SDL_FLIP_HORIZONTAL);
}
