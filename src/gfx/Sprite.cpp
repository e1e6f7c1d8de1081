#include "gfx/Sprite.h"

#include <cstdio>

namespace {
// Pixels of exactly this colour are not drawn.
constexpr Uint8 kKeyRed = 255;
constexpr Uint8 kKeyGreen = 0;
constexpr Uint8 kKeyBlue = 255;
// The game's pictures are tiles and frames; a bitmap whose header claims
// more pixels than this is damaged, and loading it would ask for gigabytes.
constexpr long long kMaxPixels = 4096LL * 4096LL;
constexpr size_t kHeaderBytes = 26;  // file header and the info header up to the height

// The pixel count a BMP header claims, or 0 when the header is too short to
// tell (the loader then reports it). Heights may be negative (top-down rows).
long long ClaimedPixels(SDL_RWops* stream) {
  Uint8 header[kHeaderBytes] = {};
  size_t got = SDL_RWread(stream, header, 1, kHeaderBytes);
  SDL_RWseek(stream, 0, RW_SEEK_SET);
  if (got < kHeaderBytes || header[0] != 'B' || header[1] != 'M') return 0;
  auto le32 = [&header](int at) {
    return static_cast<Sint32>(Uint32{header[at]} | Uint32{header[at + 1]} << 8 |
                               Uint32{header[at + 2]} << 16 | Uint32{header[at + 3]} << 24);
  };
  auto le16 = [&header](int at) { return Uint16{header[at]} | Uint16(header[at + 1] << 8); };
  long long width = 0;
  long long height = 0;
  if (le32(14) == 12) {  // the old core header: 16-bit sizes
    width = le16(18);
    height = le16(20);
  } else {
    width = le32(18);
    height = le32(22);
  }
  return (width < 0 ? -width : width) * (height < 0 ? -height : height);
}
}  // namespace

Sprite::Sprite(SDL_Renderer* renderer, const std::string& path) : renderer(renderer) {
  // The loader closes the stream, and fails cleanly when the file could not
  // be opened (a null stream).
  SDL_RWops* stream = SDL_RWFromFile(path.c_str(), "rb");
  if (stream && ClaimedPixels(stream) > kMaxPixels) {
    SDL_RWclose(stream);
    std::printf("Surface for bitmap '%s' not loaded!\n", path.c_str());
    std::printf("The bitmap claims more than %lld pixels: it is damaged.\n", kMaxPixels);
    return;
  }
  surface = SDL_LoadBMP_RW(stream, 1);
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
