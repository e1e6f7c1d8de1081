#pragma once

#include <SDL.h>

#include <memory>

class TextRenderer;
struct Input;
struct EventHolder;
class Audio;
class Game;
class Menu;

// The process's spine: starts SDL, opens the window, builds and wires the
// long-lived objects, runs the main loop and tears everything down in order.
class Shell {
 public:
  // Start-up: seeds rand(), starts SDL and SDL_ttf, opens the window and
  // renderer (printing and waiting for a key on failure), builds the objects.
  Shell();
  // Teardown: menu, game, audio, event holder, input, text, renderer, window.
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Runs the loop until Escape or the menu's quit in menu mode.
  void Run();
  // One pass of the loop; false when the loop is to end.
  bool RunIteration();

  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  int playing = 0;
  std::unique_ptr<TextRenderer> text;
  std::unique_ptr<Input> input;
  std::unique_ptr<EventHolder> events;
  std::unique_ptr<Audio> audio;  // null when the audio device failed
  std::unique_ptr<Game> game;
  std::unique_ptr<Menu> menu;
};
