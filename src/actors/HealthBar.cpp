#include "actors/HealthBar.h"

#include "level/Level.h"

namespace {
constexpr float kBarLeft = 0.05f;  // share of the window width
constexpr float kBarTop = 0.05f;   // share of the window height
constexpr float kGoldLeft = 0.9f;
constexpr float kGoldTop = 0.05f;
constexpr float kAmmoLeft = 0.5f;
constexpr float kAmmoTop = 0.1f;

int Share(int size, float share) { return static_cast<int>(static_cast<float>(size) * share); }

void Copy(const Sprite& sprite, int width) {
  SDL_Rect destination{sprite.x, sprite.y, width, sprite.height};
  SDL_RenderCopy(sprite.renderer, sprite.texture, nullptr, &destination);
}
}  // namespace

HealthBar::HealthBar(SDL_Renderer* renderer, TextRenderer* text, Level* level)
    : renderer(renderer), text(text) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(level->window, &width, &height);
  bar = std::make_unique<Sprite>(renderer, "Resources/Assets/Health.bmp");
  bar->x = Share(width, kBarLeft);
  bar->y = Share(height, kBarTop);
  background = std::make_unique<Sprite>(renderer, "Resources/Assets/HealthBackground.bmp");
  background->x = bar->x;
  background->y = bar->y;
  goldTextX = Share(width, kGoldLeft);
  goldTextY = Share(height, kGoldTop);
  ammoTextX = Share(width, kAmmoLeft);
  ammoTextY = Share(height, kAmmoTop);
}

void HealthBar::Draw(int health) {
  if (background->texture) Copy(*background, background->width);
  bar->width = health;
  if (bar->texture && health > 0) Copy(*bar, health);  // nothing to show at 0 or below
}
