#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "gfx/Sprite.h"

// Loads an actor's frames from a sprite list: one bitmap name per line,
// relative to "Resources/Assets/", in frame order. A list that is missing or
// names nothing still yields one (empty) frame, with a console line, so that
// the actor always has a current frame.
std::vector<std::unique_ptr<Sprite>> LoadAnimationSet(SDL_Renderer* renderer,
                                                      const std::string& listPath);
