// The soak: a monkey at the keyboard for 100,000 passes of the loop, across
// every menu screen and every level, with a fixed seed. Nothing may fault,
// and memory must stay flat: the heap and the resident size on a menu
// screen (no level loaded) once the first tenth of the run is over and
// every level has been played are what they are on the last menu screen of
// the run, give or take a little.
//
// ILSMARK_SOAK_STEPS sets another number of passes (for a longer soak, or a
// shorter one while working on the test).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/Memory.h"
#include "harness/PlayLoop.h"

namespace {
namespace fs = std::filesystem;

constexpr long kDefaultPasses = 100000;
constexpr unsigned kSeed = 20261209;
// How much the heap and the resident size may grow between those two menu
// screens. A level's tiles take tens of megabytes (each tile holds its own
// bitmap), so anything kept per level start would pass these, and so would
// anything kept per step. Measured in play, the figures would only say which
// level happened to be loaded.
constexpr long kHeapGrowthLimit = 2L << 20;  // bytes
constexpr long kRssGrowthLimit = 24L << 10;  // kilobytes

// The monkey's keys and how often it hits each, in play and on the menu
// screens: Escape and R rarely (Escape on a menu screen ends the program,
// which then starts again), Z less on the menus, so that the level select
// wanders before it starts a level.
struct MonkeyKey {
  SDL_Keycode key;
  int inPlay;
  int inMenus;
};
const MonkeyKey kKeys[] = {{SDLK_UP, 10, 14},    {SDLK_DOWN, 10, 14}, {SDLK_LEFT, 14, 14},
                           {SDLK_RIGHT, 14, 14}, {SDLK_x, 12, 4},     {SDLK_z, 14, 5},
                           {SDLK_r, 2, 1},       {SDLK_ESCAPE, 1, 1}};

SDL_Keycode PickKey(bool playing) {
  int total = 0;
  for (const MonkeyKey& k : kKeys) total += playing ? k.inPlay : k.inMenus;
  int pick = std::rand() % total;
  for (const MonkeyKey& k : kKeys) {
    const int weight = playing ? k.inPlay : k.inMenus;
    if (pick < weight) return k.key;
    pick -= weight;
  }
  return SDLK_z;
}

long Passes() {
  const char* wanted = std::getenv("ILSMARK_SOAK_STEPS");
  long passes = wanted ? std::atol(wanted) : kDefaultPasses;
  return passes > 0 ? passes : kDefaultPasses;
}
}  // namespace

TEST(Monkey, HundredThousandRandomPassesOverEveryScreenAndLevel) {
  const long passes = Passes();
  const long checkpoint = passes / 10;
  harness::GameSession session(kSeed);
  harness::UseKnownSpriteLists(session);
  WriteValue("Level Reached", rules::kLevelCount - 1);  // every level can be chosen
  std::set<int> levelsThere;
  for (int n = 0; n < rules::kLevelCount; ++n)
    if (fs::exists("Resources/Data/Level" + std::to_string(n) + ".txt")) levelsThere.insert(n);

  std::set<int> screensSeen;
  std::set<int> levelsPlayed;
  std::set<SDL_Keycode> held;
  long programEnds = 0, gameSteps = 0;
  long baselinePass = -1;  // the menu pass the figures are measured from
  size_t heapAtCheckpoint = 0, heapAtEnd = 0;
  long rssAtCheckpoint = 0, rssAtEnd = 0;
  {
    for (long pass = 0; pass < passes; ++pass) {
      // --- A key goes down or up about every third pass.
      if (std::rand() % 3 == 0) {
        SDL_Keycode key = PickKey(session.playing != 0);
        if (held.count(key)) {
          session.Release(key);
          held.erase(key);
        } else {
          session.Press(key);
          held.insert(key);
        }
      }
      // --- One pass of the loop; the program ending starts a fresh one.
      const bool wasPlaying = session.playing != 0;
      if (!wasPlaying) screensSeen.insert(session.menu.screen);
      if (!harness::LoopPass(session)) {
        ++programEnds;
        session.input = Input();
        held.clear();
        session.menu.quit = false;
        session.menu.screen = 0;
        session.menu.selection = 0;
        continue;
      }
      if (wasPlaying) ++gameSteps;
      if (!wasPlaying && session.playing) levelsPlayed.insert(session.menu.levelChoice);
      if (session.game.player) {
        ASSERT_LE(session.game.player->health, 100) << "pass " << pass;
        ASSERT_FALSE(session.game.player->frames.empty()) << "pass " << pass;
      }
      const bool inMenu = !session.playing && !session.game.level;
      const bool everyLevelPlayed = levelsPlayed == levelsThere || passes < kDefaultPasses;
      if (inMenu && pass + 1 >= checkpoint && everyLevelPlayed) {
        heapAtEnd = harness::HeapInUse();
        rssAtEnd = harness::StatusKilobytes("VmRSS");
        if (baselinePass < 0) {
          baselinePass = pass;
          heapAtCheckpoint = heapAtEnd;
          rssAtCheckpoint = rssAtEnd;
        }
      }
    }
  }
  const long peakRss = harness::StatusKilobytes("VmHWM");
  std::printf(
      "monkey: %ld passes (%ld game steps), %ld program ends, %zu levels played\n"
      "monkey: on a menu screen, heap in use %zu bytes after %ld passes, %zu at the last\n"
      "monkey: on a menu screen, resident %ld kB after %ld passes, %ld kB at the last, peak %ld "
      "kB\n",
      passes, gameSteps, programEnds, levelsPlayed.size(), heapAtCheckpoint, baselinePass + 1,
      heapAtEnd, rssAtCheckpoint, baselinePass + 1, rssAtEnd, peakRss);
  RecordProperty("peak_rss_kb", static_cast<int>(peakRss));

  EXPECT_EQ(screensSeen, (std::set<int>{0, 1, 2, 3})) << "the monkey saw every menu screen";
  if (passes >= kDefaultPasses) {  // a shorter run need not get everywhere
    EXPECT_EQ(levelsPlayed, levelsThere) << "the monkey played every level there is";
    EXPECT_GT(gameSteps, passes / 5) << "a good part of the run should be play";
  }
  ASSERT_GE(baselinePass, 0) << "the monkey never came back to a menu after playing every level";
  EXPECT_LT(static_cast<long>(heapAtEnd) - static_cast<long>(heapAtCheckpoint), kHeapGrowthLimit)
      << "the heap grew";
  if (!harness::kLeakCheckAvailable) {
    // The sanitizer's quarantine holds freed memory back, so the resident
    // size is only telling in the normal build.
    EXPECT_LT(rssAtEnd - rssAtCheckpoint, kRssGrowthLimit) << "the resident size grew";
  }
}
