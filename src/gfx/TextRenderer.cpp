#include "gfx/TextRenderer.h"

#include <cstdio>

#include "base/Clock.h"

namespace {
constexpr int kNoticePointSize = 24;
constexpr float kNoticeLeft = 0.05f;  // fraction of the window width
constexpr float kNoticeTop = 0.95f;   // fraction of the window height
}  // namespace

TextRenderer::TextRenderer(SDL_Window* window, SDL_Renderer* renderer)
    : window(window), renderer(renderer) {}

void TextRenderer::DrawText(const char* text, int pointSize, int x, int y) {
  // The font is opened and closed for every line: nothing is kept between calls.
  TextItem item(text, pointSize, x, y, colour);
  RenderItem(item);
}

void TextRenderer::RenderItem(const TextItem& item) {
  // TTF_RenderText_Solid refuses a null font with an error of its own, which
  // is how a missing font file shows up here.
  SDL_Surface* surface = item.font ? TTF_RenderText_Solid(item.font, item.text.c_str(), item.colour)
                                   : nullptr;
  if (!surface) {
    std::printf("Surface for font not loaded!\n");
    std::printf("%s\n", SDL_GetError());
    return;
  }
  SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
  if (!texture) {
    std::printf("Texture for font not loaded!\n");
    std::printf("%s\n", SDL_GetError());
    SDL_FreeSurface(surface);
    return;
  }
  int width = 0;
  int height = 0;
  SDL_QueryTexture(texture, nullptr, nullptr, &width, &height);
  SDL_Rect destination{item.x, item.y, width, height};
  SDL_RenderCopy(renderer, texture, nullptr, &destination);
  SDL_DestroyTexture(texture);
  SDL_FreeSurface(surface);
}

void TextRenderer::ShowNotice(const char* text) {
  int windowWidth = 0;
  int windowHeight = 0;
  if (window) SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  // Products in single precision, truncated: (64, 684) in the 1280x720 window.
  int x = static_cast<int>(static_cast<float>(windowWidth) * kNoticeLeft);
  int y = static_cast<int>(static_cast<float>(windowHeight) * kNoticeTop);
  noticeExpiry = Clock::Now() + noticeDuration;
  // Assigning releases any notice still showing: the new one replaces it at once.
  notice = std::make_unique<TextItem>(text, kNoticePointSize, x, y, colour);
}

void TextRenderer::UpdateNotice() {
  if (!notice) return;
  RenderItem(*notice);
  if (Clock::Now() > noticeExpiry) notice.reset();
}
