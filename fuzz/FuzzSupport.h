#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Shared set-up of the fuzz targets: a private copy of the run folder as the
// working directory, SDL's dummy drivers, one window and software renderer.
namespace fuzz {

// Makes the folder and the window once; safe to call on every input.
void SetUp();
SDL_Window* Window();
SDL_Renderer* Renderer();
// Writes bytes to a file relative to the working directory.
void WriteFile(const std::string& relative, const uint8_t* data, size_t size);

}  // namespace fuzz
