#include "gfx/TextItem.h"

namespace {
const char* const kFontPath = "Resources/Assets/DejaVuSans.ttf";
}  // namespace

TextItem::TextItem(const char* text, int pointSize, int x, int y, SDL_Color colour)
    : text(text ? text : ""), x(x), y(y), colour(colour) {
  // A font that fails to open leaves font null; RenderItem then reports it.
  font = TTF_OpenFont(kFontPath, pointSize);
}

TextItem::~TextItem() {
  if (font) TTF_CloseFont(font);
}
