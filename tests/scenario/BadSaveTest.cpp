// A damaged save in a whole session: the menus read it, a door stores
// records in it, the options store the volumes. Play goes on, and nothing
// the file held is lost: keys the file lacks are not added, garbage stays
// as it was, and a damaged value is only ever replaced by a sound one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/PlayLoop.h"

namespace {
using harness::GameSession;
using harness::Tap;

size_t LineCount(const std::string& text) {
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}
}  // namespace

TEST(BadSave, DamagedSavesNeitherStopPlayNorLoseWhatTheyHold) {
  std::srand(5);
  std::string garbage;
  for (int i = 0; i < 3000; ++i) {
    char c = static_cast<char>(std::rand() & 0xFF);
    garbage += c == '\r' ? 'r' : c;  // a CR before a line feed would be dropped by a rewrite
  }
  garbage += '\n';
  struct Case {
    const char* what;
    std::string save;
    bool unchanged;  // no key the game writes is in it, so it must stay byte for byte
  };
  const Case cases[] = {
      {"garbage", garbage, true},
      {"empty", "", true},
      {"values out of range",
       "Music\n99999999999\nFX\n-5\nLevel Reached\n2147483648\nLevel0 Score\n-99999999999\n"
       "Level0 Time\nnone\n",
       false},
      {"keys twice", "Music\n40\nMusic\n41\nLevel0 Score\n3\nLevel0 Score\n4\nLevel0 Time\n50\n",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameSession session(2);
    harness::UseKnownSpriteLists(session);
    session.folder.Write("Resources/Data/GameData.txt", c.save);
    session.WriteLevel(0, "WWWWWWW\nWS.C.DW\nWWWWWWW\n");
    session.WriteLevel(1, "WWWWWWW\nWS....W\nWWWWWWW\n");

    harness::CaptureStdout out;
    harness::DeferredChecks check;
    Tap(session, SDLK_z);
    check.Expect(session.menu.screen == 1, "Z on Start opens the level select");
    check.Expect(session.menu.levelReached >= 0 && session.menu.levelReached <= rules::kLastLevel,
                 "the level reached is a level that exists");
    session.menu.levelChoice = 0;
    Tap(session, SDLK_z);
    check.Expect(session.playing == 1, "level 0 starts");
    session.Press(SDLK_RIGHT);
    session.Steps(400);
    session.Release(SDLK_RIGHT);
    check.Expect(session.playing == 1 && session.menu.levelChoice == 1, "the door led to level 1");
    Tap(session, SDLK_ESCAPE);
    Tap(session, SDLK_x);
    session.menu.selection = 1;
    Tap(session, SDLK_z);
    check.Expect(session.menu.screen == 2, "the options open");
    check.Expect(session.menu.musicVolume >= 0 && session.menu.musicVolume <= 100,
                 "the music volume is a volume");
    Tap(session, SDLK_x);
    check.Expect(session.menu.screen == 0, "X stores the volumes and leaves the options");
    out.Text();
    check.Report();

    const std::string after = harness::SaveText(session);
    if (c.unchanged) {
      EXPECT_TRUE(after == c.save) << "the save was changed";
    } else {
      EXPECT_EQ(LineCount(after), LineCount(c.save)) << "a line was lost or added:\n" << after;
      int music = -1;
      ReadValue("Music", music);
      EXPECT_GE(music, 0) << "the stored music volume reads back as a volume";
      EXPECT_LE(music, 100);
    }
  }
}
