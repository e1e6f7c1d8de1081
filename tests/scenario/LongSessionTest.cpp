// A long session through the real shell, as a player would play it: a level
// started and restarted fifty times, a death and its game over running out,
// a door passed, every menu screen opened, the program quit. Nothing it
// allocates may stay behind: the heap does not grow from restart to
// restart, and in the sanitizer build LeakSanitizer finds no leak after the
// shell is gone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/Shell.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "harness/Harness.h"
#include "harness/Memory.h"

namespace {
constexpr int kRestarts = 50;
constexpr int kGameOverSteps = 10000 / rules::kStepMs + 10;  // a little over ten seconds
// What fifty restarts may add to the heap: far less than one level's tiles,
// enemies and items, which a leak per restart would add each time.
constexpr size_t kRestartGrowthLimit = 512 * 1024;  // bytes

// Enemies of every kind in a sealed room above the player, who cannot be
// reached by them; coins, items and the door below; a pit on the left.
const char* const kLevel0 =
    "WWWWWWWWWWWWWWWWWWWW\n"
    "W.E..E...E...E..E..W\n"
    "W....E....E....E...W\n"
    "WWWWWWWWWWWWWWWWWWWW\n"
    "W..................W\n"
    "W.....S..C.I.C.I..DW\n"
    "W..WWWWWWWWWWWWWWWWW\n";
const char* const kLevel1 =
    "WWWWWWWWWWWW\n"
    "W..E.......W\n"
    "WS...C..I..W\n"
    "WWWWWWWWWWWW\n";

const size_t kEnemies =
    static_cast<size_t>(std::count(kLevel0, kLevel0 + std::strlen(kLevel0), 'E'));

// The real shell in a private run folder, driven by real key events.
struct ShellSession {
  ShellSession() {
    folder.Write("Resources/Data/Level0.txt", kLevel0);
    folder.Write("Resources/Data/Level1.txt", kLevel1);
    SDL_Event leftOver;
    while (SDL_PollEvent(&leftOver)) {
    }
    Clock::UseManual(100000);
    ResetFrameTimers();
    shell = std::make_unique<Shell>();
    std::srand(2026);  // the shell seeds from the calendar; the session must repeat
  }
  ~ShellSession() {
    shell.reset();
    SDL_Event leftOver;
    while (SDL_PollEvent(&leftOver)) {
    }
  }
  // One loop pass, with the clock moving as much as the pass would take.
  bool Pass() {
    Clock::Advance(shell->instance->playing ? rules::kStepMs : 16);
    return shell->RunIteration();
  }
  bool Passes(int n) {
    for (int i = 0; i < n; ++i)
      if (!Pass()) return false;
    return true;
  }
  void Down(SDL_Keycode key) {
    SDL_Event event = harness::KeyDown(key);
    SDL_PushEvent(&event);
  }
  void Up(SDL_Keycode key) {
    SDL_Event event = harness::KeyUp(key);
    SDL_PushEvent(&event);
  }
  // Pressed for one pass, released in the next.
  bool Tap(SDL_Keycode key) {
    Down(key);
    bool goesOn = Pass();
    Up(key);
    return goesOn && Pass();
  }
  // Held for n passes.
  bool Hold(SDL_Keycode key, int n) {
    Down(key);
    bool goesOn = Passes(n);
    Up(key);
    return goesOn && Pass();
  }

  harness::TempRunFolder folder;
  std::unique_ptr<Shell> shell;
};

}  // namespace

TEST(LongSession, FiftyRestartsADeathADoorAndEveryScreenLeaveNothingBehind) {
  size_t heapAfterTenRestarts = 0;
  size_t heapAfterAllRestarts = 0;
  {
    ShellSession s;
    Shell& shell = *s.shell;

    // --- The level select, and level 0.
    ASSERT_TRUE(s.Tap(SDLK_z));
    ASSERT_EQ(shell.instance->menu->screen, 1);
    shell.instance->menu->levelChoice = 0;
    ASSERT_TRUE(s.Tap(SDLK_z));
    ASSERT_EQ(shell.instance->playing, 1);
    ASSERT_TRUE(s.Hold(SDLK_x, 60));

    // --- Fifty restarts, each after some play with shots in the air.
    for (int restart = 1; restart <= kRestarts; ++restart) {
      ASSERT_TRUE(s.Hold(SDLK_x, 30));
      ASSERT_TRUE(s.Tap(SDLK_r));
      ASSERT_EQ(shell.instance->playing, 1) << "restart " << restart;
      ASSERT_TRUE(shell.instance->game->player != nullptr);
      EXPECT_EQ(shell.instance->game->enemies.size(), kEnemies)
          << "a restart rebuilds the level from scratch";
      if (restart == 10) heapAfterTenRestarts = harness::HeapInUse();
    }
    heapAfterAllRestarts = harness::HeapInUse();

    // --- A death in the pit, and the game over running out.
    ASSERT_TRUE(s.Hold(SDLK_LEFT, 200));
    EXPECT_TRUE(shell.instance->game->player == nullptr) << "the player fell into the pit";
    ASSERT_TRUE(s.Passes(kGameOverSteps));
    ASSERT_EQ(shell.instance->playing, 0) << "game over ran out";
    ASSERT_EQ(shell.instance->menu->screen, 1);

    // --- Level 0 again, through the door into level 1, and back with Escape.
    ASSERT_TRUE(s.Tap(SDLK_z));
    ASSERT_EQ(shell.instance->playing, 1);
    ASSERT_TRUE(s.Hold(SDLK_RIGHT, 500));
    EXPECT_EQ(shell.instance->menu->levelChoice, 1) << "the door led to level 1";
    ASSERT_TRUE(s.Hold(SDLK_x, 100));
    ASSERT_TRUE(s.Tap(SDLK_ESCAPE));
    ASSERT_EQ(shell.instance->playing, 0);

    // --- Every menu screen: level select, main menu, options, exit question.
    ASSERT_TRUE(s.Tap(SDLK_x));
    ASSERT_EQ(shell.instance->menu->screen, 0);
    ASSERT_TRUE(s.Tap(SDLK_DOWN));
    ASSERT_TRUE(s.Tap(SDLK_z));
    ASSERT_EQ(shell.instance->menu->screen, 2);
    ASSERT_TRUE(s.Hold(SDLK_LEFT, 10));
    ASSERT_TRUE(s.Tap(SDLK_x));
    ASSERT_EQ(shell.instance->menu->screen, 0);
    ASSERT_TRUE(s.Tap(SDLK_DOWN));
    ASSERT_TRUE(s.Tap(SDLK_z));
    ASSERT_EQ(shell.instance->menu->screen, 3);
    ASSERT_TRUE(s.Tap(SDLK_x));
    ASSERT_EQ(shell.instance->menu->screen, 0);
    ASSERT_TRUE(s.Tap(SDLK_z));
    ASSERT_EQ(shell.instance->menu->screen, 3);

    // --- Quit from the exit question: the loop ends at its next exit test.
    s.Down(SDLK_z);
    EXPECT_TRUE(s.Pass());
    EXPECT_TRUE(shell.instance->menu->quit);
    EXPECT_FALSE(s.Pass()) << "Z on the exit question ends the program";
    s.Up(SDLK_z);
  }

  std::printf("heap in use after 10 restarts: %zu bytes, after %d: %zu bytes\n",
              heapAfterTenRestarts, kRestarts, heapAfterAllRestarts);
  EXPECT_LT(heapAfterAllRestarts, heapAfterTenRestarts + kRestartGrowthLimit)
      << "the heap grew by " << (heapAfterAllRestarts - heapAfterTenRestarts) << " bytes over "
      << (kRestarts - 10) << " restarts";
  if (harness::kLeakCheckAvailable) {
    EXPECT_FALSE(harness::LeaksFound()) << "LeakSanitizer found leaks (see its report above)";
  }
}
