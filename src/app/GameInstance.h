#pragma once

#include <SDL.h>

#include <memory>

class TextRenderer;
struct Input;
struct EventHolder;
class Audio;
class Game;
class Menu;

// A running game: the long-lived objects the shell plays with (text renderer,
// input, event holder, audio when there is a device, game, menu and the
// playing flag), made and wired in the order the game relies on, for a window
// and renderer that someone else owns. The shell, the tests and the tools all
// build their games with it.
class GameInstance {
 public:
  // Builds the objects for window and renderer (either may be null); with
  // withAudio, opens the audio device and keeps the Audio only when it opened.
  GameInstance(SDL_Window* window, SDL_Renderer* renderer, bool withAudio);
  // Tears down menu, game, audio, event holder, input, text, in this order;
  // the window and renderer stay.
  ~GameInstance();
  GameInstance(const GameInstance&) = delete;
  GameInstance& operator=(const GameInstance&) = delete;

  // Starts level (0-9) as the level select does: the step clock restarted,
  // the file measured and started, playing set. False when it was refused.
  bool StartLevel(int level);
  // As StartLevel, from a fresh start: the keys all up, rand seeded with
  // seed and every frame timer back at its start-up value.
  bool StartLevel(int level, unsigned seed);
  // One game step on the manual clock: the clock moves one step on, then
  // one Game::Update.
  void Step();
  // A key pressed or let go, as the shell hands a real key event to Input.
  void Press(SDL_Keycode key);
  void Release(SDL_Keycode key);
  // Drains SDL's event queue into Input: key events only, as the shell does.
  void PollEvents();
  // One menu frame: clear, the current screen (which also reacts to the
  // keys), a sleep of sleepMs milliseconds when positive, present.
  void MenuFrame(int sleepMs = 0);

  SDL_Window* window = nullptr;      // not owned
  SDL_Renderer* renderer = nullptr;  // not owned
  int playing = 0;
  std::unique_ptr<TextRenderer> text;
  std::unique_ptr<Input> input;
  std::unique_ptr<EventHolder> events;
  std::unique_ptr<Audio> audio;  // null when silent
  std::unique_ptr<Game> game;
  std::unique_ptr<Menu> menu;
};
