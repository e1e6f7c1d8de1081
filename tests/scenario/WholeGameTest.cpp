// The whole game as a player meets it: the real shell, its event queue, menu
// and game, from the main menu through all ten levels' doors and back to the
// level select, with the staged art and sound.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "app/Input.h"
#include "app/Shell.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "harness/Harness.h"
#include "harness/TestContent.h"

namespace {
using harness::Room;
constexpr int kColumns = 42;
constexpr int kRows = 10;
constexpr int kFloorRow = kRows - 2;
constexpr int kStepsPerLevel = 600;  // a short corridor takes about a second
const char* const kSavePath = "Resources/Data/GameData.txt";

void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

void DrainEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
  }
}

// One pass of the main loop on the manual clock, 8 ms after the last.
bool Iterate(Shell& shell) {
  Clock::Advance(rules::kStepMs);
  return shell.RunIteration();
}

// A key pressed and released over two passes of the loop, as a quick tap.
void Tap(Shell& shell, SDL_Keycode key) {
  Push(harness::KeyDown(key));
  EXPECT_TRUE(Iterate(shell));
  Push(harness::KeyUp(key));
  EXPECT_TRUE(Iterate(shell));
}

int Stored(const std::string& key) {
  int value = -1;
  ReadValue(key.c_str(), value);
  return value;
}

TEST(WholeGame, FromTheMainMenuThroughAllTenDoorsAndBackToTheLevelSelect) {
  harness::TempRunFolder folder;
  for (int n = 0; n < rules::kLevelCount; ++n) {
    // The start, three coins (the door asks for two) and the door, in one corridor.
    folder.Write("Resources/Data/Level" + std::to_string(n) + ".txt",
                 Room(kColumns, kRows,
                      {{2, kFloorRow, 'S'},
                       {4, kFloorRow, 'C'},
                       {5, kFloorRow, 'C'},
                       {6, kFloorRow, 'C'},
                       {9 + n, kFloorRow, 'D'}}));
  }
  folder.Write(kSavePath, harness::FreshSave());
  DrainEvents();
  Clock::UseManual(100000);
  ResetFrameTimers();
  {
    Shell shell;
    ASSERT_NE(shell.instance->game, nullptr);
    ASSERT_NE(shell.instance->menu, nullptr);

    Tap(shell, SDLK_z);  // Start
    ASSERT_EQ(shell.instance->menu->screen, 1) << "the level select";
    EXPECT_EQ(shell.instance->menu->levelChoice, 0);
    Tap(shell, SDLK_z);  // play level 0
    ASSERT_EQ(shell.instance->playing, 1);

    // Right held all the way: every level's corridor leads into its door, and
    // each new level starts with the key still down.
    Push(harness::KeyDown(SDLK_RIGHT));
    int steps = 0;
    while (shell.instance->playing && steps < rules::kLevelCount * kStepsPerLevel) {
      ASSERT_TRUE(Iterate(shell));
      ++steps;
    }
    Push(harness::KeyUp(SDLK_RIGHT));
    ASSERT_EQ(shell.instance->playing, 0)
        << "still playing level " << shell.instance->menu->levelChoice << " after " << steps
        << " steps";
    EXPECT_TRUE(Iterate(shell));
    EXPECT_EQ(shell.instance->menu->screen, 1) << "back on the level select";
    EXPECT_EQ(shell.instance->menu->levelChoice, 9);
    EXPECT_EQ(shell.instance->menu->levelReached, 9);
    EXPECT_EQ(shell.instance->game->level, nullptr);

    for (int n = 0; n < rules::kLevelCount; ++n) {
      const std::string level = "Level" + std::to_string(n);
      EXPECT_EQ(Stored(level + " Score"), 30) << level << ": all three coins";
      int time = Stored(level + " Time");
      EXPECT_GE(time, 0) << level;
      EXPECT_LE(time, 3) << level << ": a short corridor";
    }
    EXPECT_EQ(Stored("Level Reached"), 9);
    EXPECT_EQ(Stored("Music"), 100) << "the volumes are untouched";
    EXPECT_EQ(Stored("FX"), 100);

    // Escape on the level select ends the program.
    Push(harness::KeyDown(SDLK_ESCAPE));
    EXPECT_FALSE(Iterate(shell));
  }
  Clock::UseWall();
}

}  // namespace
