#pragma once

#include <SDL.h>

#include <memory>

#include "frontend/GameData.h"
#include "gfx/Sprite.h"

struct Input;
class TextRenderer;
class Game;
class Audio;

// The front end: main menu, level select with records, options with the two
// volumes, exit confirmation; and the launching of levels.
class Menu {
 public:
  // The screens, as screen holds them.
  enum Screen : int { kMainMenu = 0, kLevelSelect = 1, kOptions = 2, kExitConfirm = 3 };
  // The main menu's rows, as selection holds them.
  enum Row : int { kStartRow = 0, kOptionsRow = 1, kExitRow = 2 };
  // The options screen's rows, as optionsRow holds them.
  enum VolumeRow : int { kMusicRow = 0, kEffectsRow = 1 };

  // Loads the icon and applies the stored volumes to the audio (may be null).
  Menu(SDL_Window* window, SDL_Renderer* renderer, Input* input, TextRenderer* text, Game* game,
       Audio* audio, int* playing);

  // The four screens: each draws, then reacts to at most one key.
  void MainMenu();
  void LevelSelect();
  void Options();
  void ExitConfirm();
  // Draws and handles the screen that screen names; any other value draws
  // nothing (a black frame).
  void ShowScreen();
  // Measures "Resources/Data/Level<levelChoice>.txt" and starts it in the game.
  void LaunchLevel();
  // Reads both volumes from the save file (clamped to 0-100); a missing key
  // leaves its volume unchanged.
  void LoadVolumes();
  // Draws the high score and best time of levelChoice.
  void DrawRecords();

  SDL_Window* window = nullptr;      // not owned
  SDL_Renderer* renderer = nullptr;  // not owned
  std::unique_ptr<Sprite> icon;
  Input* input = nullptr;        // not owned
  TextRenderer* text = nullptr;  // not owned
  Game* game = nullptr;          // not owned
  Audio* audio = nullptr;        // not owned; null when silent
  int* playing = nullptr;        // the shell's flag
  int screen = kMainMenu;        // a Screen
  int selection = kStartRow;     // a Row
  int optionsRow = kMusicRow;    // a VolumeRow
  int levelChoice = 0;           // level number 0-9
  // The save's defaults are given once, here: a key that the save lacks
  // later leaves its field as it is.
  int levelReached = kDefaultLevelReached;  // highest level number offered, 0-9
  int musicVolume = kDefaultMusic;          // 0-100
  int effectsVolume = kDefaultEffects;      // 0-100
  bool quit = false;
};
