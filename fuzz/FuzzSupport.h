#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Shared set-up of the fuzz targets: a private copy of the run folder as the
// working directory (without the font and the music), SDL's dummy drivers,
// one small window and software renderer, the game's console silenced.
namespace fuzz {

// Makes the folder and the window once; safe to call on every input.
void SetUp();
SDL_Window* Window();
SDL_Renderer* Renderer();
// Writes bytes to a file relative to the working directory.
void WriteFile(const std::string& relative, const uint8_t* data, size_t size);

}  // namespace fuzz
