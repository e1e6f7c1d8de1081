#pragma once

#include <SDL.h>

#include <string>

// One bitmap with magenta (255, 0, 255) as the transparent colour, drawn at
// its natural size, plain or mirrored. A bitmap that fails to load leaves a
// sprite that draws nothing (and has size 0 when the surface failed).
class Sprite {
 public:
  // Loads the BMP at path (relative to the working directory).
  Sprite(SDL_Renderer* renderer, const std::string& path);
  // Destroys the texture and frees the surface; the renderer is untouched.
  ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Copies the whole bitmap with its top-left corner at window pixel (x, y).
  void Draw(int x, int y);
  // As Draw when facingRight, else mirrored left to right in the same rectangle.
  void DrawFacing(bool facingRight, int x, int y);

  SDL_Surface* surface = nullptr;   // owned; null when loading failed
  SDL_Texture* texture = nullptr;   // owned; null when loading failed
  SDL_Renderer* renderer = nullptr; // not owned
  int width = 0;                    // pixels
  int height = 0;                   // pixels
  int x = 0;                        // placement kept by owners that stay put
  int y = 0;
};
