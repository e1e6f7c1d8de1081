#pragma once

#include <SDL.h>

struct Input;

// The event record that polling fills, and the Input it is applied to.
struct EventHolder {
  Input* input = nullptr;  // not owned
  SDL_Event event{};
};
