#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Rules.h"
#include "harness/GameHarness.h"
#include "harness/Harness.h"

namespace harness {

constexpr int kMenuFrameMs = 16;  // what one menu frame takes in the shell, milliseconds

// One menu frame as the shell draws it: clear, the current screen, present.
inline void MenuFrame(GameSession& session) { session.instance.MenuFrame(); }

// One pass of the shell's loop over a session, without the menu's sleep: a
// Game::Update while playing, otherwise the two exit tests and one menu
// screen. The clock moves as the shell's would. False when the shell would
// end the program.
inline bool LoopPass(GameSession& session) {
  if (session.playing) {
    session.instance.Step();
    return true;
  }
  if (session.input.escape || session.menu.quit) return false;
  MenuFrame(session);
  Clock::Advance(kMenuFrameMs);
  return true;
}

// A key pressed before one loop pass and released after it.
inline bool Tap(GameSession& session, SDL_Keycode key) {
  session.Press(key);
  bool goesOn = LoopPass(session);
  session.Release(key);
  return goesOn;
}

// Sprite lists naming bitmaps that the build makes, so that every actor has
// a real frame, and so a real collision box, whatever lists the content holds.
inline void UseKnownSpriteLists(const GameSession& session) {
  session.folder.Write("Resources/Data/PlayerSpriteList.txt",
                       "PlayerStand.bmp\nPlayerRun0.bmp\nPlayerRun1.bmp\nPlayerRun2.bmp\n");
  for (const char* list : {"DumbEnemy", "Stalker", "BirdEnemy"})
    session.folder.Write(std::string("Resources/Data/") + list + "SpriteList.txt",
                         "PlayerStand.bmp\n");
}

// Checks made while stdout is captured, where a failure's message would go
// into the capture with the game's console lines: they are kept, and
// reported as failures by Report once the capture has ended.
class DeferredChecks {
 public:
  void Expect(bool ok, const std::string& what) {
    if (!ok) failures.push_back(what);
  }
  void Report() {
    for (const std::string& failure : failures) ADD_FAILURE() << failure;
    failures.clear();
  }

 private:
  std::vector<std::string> failures;
};

// The save file of the session's run folder, as it is now.
inline std::string SaveText(const GameSession& session) {
  return session.folder.Read("Resources/Data/GameData.txt");
}

// Succeeds when after is the save before with, at most, the records that
// passing level 0's door stores: every key still there in its place, the
// volumes and all other values as they were.
inline testing::AssertionResult OnlyLevel0RecordsChanged(const std::string& before,
                                                         const std::string& after) {
  auto lines = [](const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      result.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return result;
  };
  const std::vector<std::string> old = lines(before);
  const std::vector<std::string> now = lines(after);
  if (old.size() != now.size())
    return testing::AssertionFailure()
           << "the save had " << old.size() << " lines, now " << now.size();
  for (size_t i = 0; i < old.size(); ++i) {
    if (old[i] == now[i]) continue;
    const std::string key = i > 0 ? old[i - 1] : "";
    if (key != "Level Reached" && key != "Level0 Score" && key != "Level0 Time")
      return testing::AssertionFailure()
             << "line " << i + 1 << " changed from \"" << old[i] << "\" to \"" << now[i] << "\"";
  }
  return testing::AssertionSuccess();
}

}  // namespace harness
