// The front end as the shell shows it, one screen operation per frame: the
// main menu, the level select and its records, the options, the exit
// question, the launching of levels, and what a damaged save gives.

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "audio/Audio.h"
#include "audio/SoundEffect.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "harness/GameHarness.h"
#include "harness/PlayLoop.h"
#include "harness/Screen.h"
#include "harness/TestContent.h"

namespace {
namespace fs = std::filesystem;
using harness::Frame;
using harness::GameSession;
using harness::MenuFrame;
using harness::ShowsText;
using harness::Tap;
using harness::WriteBitmap;

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr SDL_Color kIconColour{250, 140, 20, 255};
constexpr int kIconSize = 20;
const char* const kSavePath = "Resources/Data/GameData.txt";

Uint32 Rgb(SDL_Color c) { return (Uint32{c.r} << 16) | (Uint32{c.g} << 8) | c.b; }

std::string SaveFile(const std::map<std::string, std::string>& overrides);

// Plain bitmaps of known sizes in place of the generated art, which may
// change (the menu's icon is loaded again from them), and a fresh save.
void UseTestArt(GameSession& session) {
  const std::string assets = harness::UseOwnAssets(session.folder);
  WriteBitmap(assets + "/MenuIcon.bmp", kIconSize, kIconSize, kIconColour);
  WriteBitmap(assets + "/PlayerStand.bmp", 24, 30, SDL_Color{40, 200, 60, 255});
  WriteBitmap(assets + "/Wall.bmp", 32, 32, SDL_Color{120, 80, 40, 255});
  WriteBitmap(assets + "/Health.bmp", 100, 12, SDL_Color{220, 30, 30, 255});
  WriteBitmap(assets + "/HealthBackground.bmp", 100, 12, SDL_Color{90, 90, 90, 255});
  session.folder.Write("Resources/Data/PlayerSpriteList.txt", "PlayerStand.bmp\n");
  session.folder.Write(kSavePath, SaveFile({}));
  session.menu.icon =
      std::make_unique<Sprite>(harness::Renderer(), "Resources/Assets/MenuIcon.bmp");
}

// A whole save file: every key with its usual first value unless overridden.
// A value of "" leaves the key out.
std::string SaveFile(const std::map<std::string, std::string>& overrides) {
  std::vector<std::pair<std::string, std::string>> pairs = {
      {"Music", "100"}, {"FX", "100"}, {"Level Reached", "0"}};
  for (int n = 0; n < rules::kLevelCount; ++n) {
    pairs.push_back({"Level" + std::to_string(n) + " Score", "0"});
    pairs.push_back({"Level" + std::to_string(n) + " Time", "9999"});
  }
  std::string text;
  for (auto& [key, value] : pairs) {
    auto found = overrides.find(key);
    const std::string& shown = found == overrides.end() ? value : found->second;
    if (!shown.empty()) text += key + "\n" + shown + "\n";
  }
  return text;
}

// The value line that follows key in text, or "" when key is missing.
std::string ValueLine(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line))
    if (line == key) return std::getline(lines, line) ? line : "";
  return "";
}

// A playable three-line level, 40 cells wide.
std::string SmallLevel(const char* lineEnd, bool lastLineEnd) {
  const std::string walls(40, 'W');
  const std::string middle = "WS" + std::string(37, '.') + "W";
  return walls + lineEnd + middle + lineEnd + walls + (lastLineEnd ? lineEnd : "");
}

TEST(MenuTest, TheMainMenuWrapsAroundItsThreeRows) {
  GameSession session;
  ASSERT_EQ(session.menu.selection, 0);
  const int expected[] = {1, 2, 0};
  for (int press = 0; press < 3; ++press) {
    Tap(session, SDLK_DOWN);
    EXPECT_EQ(session.menu.selection, expected[press]) << "after Down " << press + 1;
  }
  Tap(session, SDLK_UP);
  EXPECT_EQ(session.menu.selection, 2) << "Up from Start highlights Exit";
  Tap(session, SDLK_UP);
  EXPECT_EQ(session.menu.selection, 1);
  for (SDL_Keycode idle : {SDLK_LEFT, SDLK_RIGHT, SDLK_x, SDLK_r}) Tap(session, idle);
  EXPECT_EQ(session.menu.selection, 1) << "other keys do nothing on the main menu";
  EXPECT_EQ(session.menu.screen, 0);
}

TEST(MenuTest, TheMainMenuDrawsItsLabelsAndTheIconAtTheirPlaces) {
  GameSession session;
  UseTestArt(session);
  session.menu.selection = 2;
  MenuFrame(session);
  Frame frame;
  EXPECT_EQ(frame.At(300, 628), Rgb(kIconColour)) << "with Exit highlighted the icon is at y 628";
  EXPECT_EQ(frame.At(300 + kIconSize - 1, 628 + kIconSize - 1), Rgb(kIconColour));
  EXPECT_EQ(frame.At(300, 627), 0u);
  EXPECT_EQ(frame.At(299, 628), 0u);
  EXPECT_EQ(frame.At(300, 500), 0u) << "no icon at the Start row";
  EXPECT_TRUE(ShowsText(frame, "Start", 12, 350, 500));
  EXPECT_TRUE(ShowsText(frame, "Options", 12, 350, 564));
  EXPECT_TRUE(ShowsText(frame, "Exit", 12, 350, 624));
}

TEST(MenuTest, HoldingZSelectsOnceAndPlaysTheCoinSoundOnce) {
  GameSession session;
  Audio audio;  // the staged effects and music, loaded before the test art replaces them
  ASSERT_FALSE(audio.failed);
  UseTestArt(session);
  session.menu.audio = &audio;
  Mix_Chunk* coin = nullptr;
  for (const auto& effect : audio.effects)
    if (effect->name == "Coin.WAV") coin = effect->chunk;
  ASSERT_NE(coin, nullptr) << "the effects list names Coin.WAV";
  session.WriteLevel(0, SmallLevel("\n", true));
  session.Press(SDLK_z);
  MenuFrame(session);
  EXPECT_EQ(session.menu.screen, 1) << "Z on Start opens the level select";
  for (int frame = 0; frame < 5; ++frame) {
    session.input.OnKeyDown(harness::KeyDown(SDLK_z, KMOD_NONE, true));  // auto-repeat
    MenuFrame(session);
  }
  EXPECT_EQ(session.menu.screen, 1);
  EXPECT_EQ(session.playing, 0) << "auto-repeat must not also start the level";
  EXPECT_EQ(session.game.level, nullptr);
  EXPECT_EQ(harness::PlayingChunks().count(coin), 1u) << "one selection, one sound";
  session.Release(SDLK_z);
  session.menu.audio = nullptr;
}

TEST(MenuTest, WithOnlyLevel1ReachedEveryArrowKeepsIt) {
  GameSession session;
  UseTestArt(session);
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 1);
  ASSERT_EQ(session.menu.levelReached, 0);
  for (SDL_Keycode key : {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN}) {
    Tap(session, key);
    EXPECT_EQ(session.menu.levelChoice, 0) << "after key " << key;
  }
  MenuFrame(session);
  Frame frame;
  EXPECT_TRUE(ShowsText(frame, "< 1 / 10 >", 24, 350, 400));
  EXPECT_TRUE(ShowsText(frame, "Select Level", 24, 350, 200));
}

TEST(MenuTest, TheLevelSelectWrapsWithinTheLevelsReached) {
  GameSession session;
  session.folder.Write(kSavePath, SaveFile({{"Level Reached", "3"}}));
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.levelReached, 3);
  EXPECT_EQ(session.menu.levelChoice, 3) << "the level select opens at the highest level reached";
  Tap(session, SDLK_RIGHT);
  EXPECT_EQ(session.menu.levelChoice, 0) << "Right from the highest wraps to the first";
  Tap(session, SDLK_LEFT);
  EXPECT_EQ(session.menu.levelChoice, 3) << "Left from the first wraps to the highest";
  Tap(session, SDLK_UP);
  EXPECT_EQ(session.menu.levelChoice, 2);
  Tap(session, SDLK_DOWN);
  EXPECT_EQ(session.menu.levelChoice, 3);
  Tap(session, SDLK_x);
  EXPECT_EQ(session.menu.screen, 0) << "X goes back to the main menu";
}

TEST(MenuTest, TheRecordsAreReadFromTheSaveEveryFrame) {
  GameSession session;
  UseTestArt(session);
  Tap(session, SDLK_z);
  MenuFrame(session);
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "High Score: 0", 32, 750, 200));
    EXPECT_TRUE(ShowsText(frame, "Best Time: 9999", 32, 750, 250));
  }
  WriteValue("Level0 Score", 70);
  WriteValue("Level0 Time", 42);
  MenuFrame(session);
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "High Score: 70", 32, 750, 200))
        << "a record written between frames shows in the next frame";
    EXPECT_TRUE(ShowsText(frame, "Best Time: 42", 32, 750, 250));
  }
}

TEST(MenuTest, HeldArrowsMoveTheVolumeOncePerFrameWithin0To100) {
  GameSession session;
  UseTestArt(session);
  session.folder.Write(kSavePath, SaveFile({{"Music", "95"}, {"FX", "3"}}));
  session.menu.selection = 1;
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 2);
  ASSERT_EQ(session.menu.musicVolume, 95) << "choosing Options reads the volumes again";

  session.Press(SDLK_RIGHT);
  for (int frame = 0; frame < 30; ++frame) MenuFrame(session);
  session.Release(SDLK_RIGHT);
  EXPECT_EQ(session.menu.musicVolume, 100) << "holding Right stops at 100";
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "Music: 100", 12, 350, 500));
    EXPECT_TRUE(ShowsText(frame, "Effects: 3", 12, 350, 564));
  }

  Tap(session, SDLK_DOWN);
  ASSERT_EQ(session.menu.optionsRow, 1);
  session.Press(SDLK_LEFT);
  for (int frame = 0; frame < 2; ++frame) MenuFrame(session);
  EXPECT_EQ(session.menu.effectsVolume, 1) << "one step per frame while Left is held";
  for (int frame = 0; frame < 10; ++frame) MenuFrame(session);
  session.Release(SDLK_LEFT);
  EXPECT_EQ(session.menu.effectsVolume, 0) << "holding Left stops at 0";
  EXPECT_EQ(session.menu.musicVolume, 100) << "only the highlighted volume moves";
  EXPECT_EQ(ValueLine(session.folder.Read(kSavePath), "Music"), "95")
      << "the volumes reach the file only when leaving with X";
}

TEST(MenuTest, LeavingTheOptionsWithXStoresBothVolumesEvenUnchanged) {
  GameSession session;
  // Leading blanks read as the same numbers but show whether a line was rewritten.
  session.folder.Write(kSavePath, SaveFile({{"Music", " 40"}, {"FX", " 70"}}));
  session.menu.selection = 1;
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.musicVolume, 40);
  ASSERT_EQ(session.menu.effectsVolume, 70);
  Tap(session, SDLK_x);
  EXPECT_EQ(session.menu.screen, 0);
  const std::string save = session.folder.Read(kSavePath);
  EXPECT_EQ(ValueLine(save, "Music"), "40") << "the music volume must be written";
  EXPECT_EQ(ValueLine(save, "FX"), "70") << "the effects volume must be written";
}

TEST(MenuTest, TheExitQuestionGoesBackWithXAndQuitsWithZ) {
  GameSession session;
  UseTestArt(session);
  session.menu.selection = 2;
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 3);
  MenuFrame(session);
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "Are you sure you want to exit?", 32, 640, 360));
  }
  Tap(session, SDLK_x);
  EXPECT_EQ(session.menu.screen, 0);
  EXPECT_EQ(session.menu.selection, 2) << "Exit stays highlighted";
  EXPECT_FALSE(session.menu.quit);
  Tap(session, SDLK_z);
  EXPECT_EQ(session.menu.screen, 3) << "a second Z shows the question again";
  MenuFrame(session);
  EXPECT_FALSE(session.menu.quit) << "the Z that opened the question must not answer it";
  Tap(session, SDLK_z);
  EXPECT_TRUE(session.menu.quit);
}

TEST(MenuTest, LaunchLevelMeasuresTheFirstLineAndCountsTheLines) {
  struct Case {
    const char* name;
    std::string text;
    int rows;
  };
  const Case cases[] = {
      {"line feeds", SmallLevel("\n", true), 3},
      {"no last line feed", SmallLevel("\n", false), 3},
      {"CR LF", SmallLevel("\r\n", true), 3},
      {"an empty line before the last line feed", SmallLevel("\n", true) + "\n", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameSession session;
    UseTestArt(session);
    session.WriteLevel(0, c.text);
    session.menu.levelChoice = 0;
    session.menu.LaunchLevel();
    ASSERT_NE(session.game.level, nullptr);
    EXPECT_EQ(session.game.level->columns, 40);
    EXPECT_EQ(session.game.level->rows, c.rows);
  }
}

TEST(MenuTest, ALevelThatCannotBePlayedLeavesTheLevelSelectShowing) {
  struct Case {
    const char* name;
    bool exists;
    std::string text;
  };
  const Case cases[] = {
      {"missing file", false, ""},
      {"empty file", true, ""},
      {"no start cell", true, std::string(40, 'W') + "\nW" + std::string(38, '.') + "W\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameSession session;
    UseTestArt(session);
    fs::remove("Resources/Data/Level0.txt");
    if (c.exists) session.WriteLevel(0, c.text);
    Tap(session, SDLK_z);
    ASSERT_EQ(session.menu.screen, 1);

    harness::CaptureStdout console;
    Tap(session, SDLK_z);
    const std::string printed = console.Text();
    EXPECT_EQ(session.playing, 0);
    EXPECT_EQ(session.game.level, nullptr);
    EXPECT_EQ(session.game.player, nullptr);
    EXPECT_EQ(session.menu.screen, 1);
    EXPECT_NE(printed.find("Level0.txt"), std::string::npos) << "console: " << printed;
    MenuFrame(session);  // the level select goes on working
  }
}

TEST(MenuTest, EscapeDuringPlayShowsTheLevelSelectAgainAtTheSameLevel) {
  GameSession session;
  UseTestArt(session);
  session.WriteLevel(0, SmallLevel("\n", true));
  Tap(session, SDLK_z);
  Tap(session, SDLK_z);
  ASSERT_EQ(session.playing, 1);
  session.Steps(10);
  session.Press(SDLK_ESCAPE);
  session.Steps(1);
  session.Release(SDLK_ESCAPE);
  ASSERT_EQ(session.playing, 0);
  EXPECT_EQ(session.menu.screen, 1);
  EXPECT_EQ(session.menu.levelChoice, 0);
  MenuFrame(session);
  Frame frame;
  EXPECT_TRUE(ShowsText(frame, "< 1 / 10 >", 24, 350, 400));
}

TEST(MenuTest, ValuesFromTheSaveAreClampedAndMissingKeysGetDefaults) {
  struct Case {
    const char* name;
    std::string save;
    int reached, music, effects;
  };
  const Case cases[] = {
      {"far too high", SaveFile({{"Level Reached", "57"}, {"Music", "250"}, {"FX", "101"}}), 9, 100,
       100},
      {"negative", SaveFile({{"Level Reached", "-3"}, {"Music", "-1"}, {"FX", "-40"}}), 0, 0, 0},
      {"not numbers", SaveFile({{"Level Reached", "x"}, {"Music", "loud"}, {"FX", "-"}}), 0, 100,
       100},
      {"keys missing", SaveFile({{"Level Reached", ""}, {"Music", ""}, {"FX", ""}}), 0, 100, 100},
      {"no save at all", "", 0, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameSession session;
    UseTestArt(session);
    if (c.save.empty()) {
      fs::remove(kSavePath);
    } else {
      session.folder.Write(kSavePath, c.save);
    }
    const std::string before = session.folder.Read(kSavePath);
    Menu fresh(harness::Window(), harness::Renderer(), &session.input, &session.text, &session.game,
               nullptr, &session.playing);
    EXPECT_EQ(fresh.musicVolume, c.music) << "at construction";
    EXPECT_EQ(fresh.effectsVolume, c.effects) << "at construction";

    Tap(session, SDLK_z);
    EXPECT_EQ(session.menu.levelReached, c.reached);
    EXPECT_EQ(session.menu.levelChoice, c.reached);
    MenuFrame(session);
    Tap(session, SDLK_x);
    session.menu.selection = 1;
    Tap(session, SDLK_z);
    ASSERT_EQ(session.menu.screen, 2);
    EXPECT_EQ(session.menu.musicVolume, c.music) << "on choosing Options";
    EXPECT_EQ(session.menu.effectsVolume, c.effects) << "on choosing Options";
    EXPECT_EQ(session.folder.Read(kSavePath), before) << "reading must not change the save";
  }
}

TEST(MenuTest, KeysTheSaveLacksKeepWhatThisSessionSet) {
  GameSession session;
  UseTestArt(session);
  session.folder.Write(kSavePath, SaveFile({{"Music", ""}, {"FX", ""}, {"Level Reached", ""}}));
  session.WriteLevel(0, harness::Room(12, 4, {{2, 2, 'S'}, {6, 2, 'D'}}));
  session.WriteLevel(1, SmallLevel("\n", true));

  // The music goes down to 97; leaving with X has no key to store it under.
  session.menu.selection = 1;
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 2);
  session.Press(SDLK_LEFT);
  for (int frame = 0; frame < 3; ++frame) MenuFrame(session);
  session.Release(SDLK_LEFT);
  Tap(session, SDLK_x);
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 2);
  MenuFrame(session);
  {
    Frame frame;
    EXPECT_TRUE(ShowsText(frame, "Music: 97", 12, 350, 500)) << "the next visit shows 100 again";
    EXPECT_TRUE(ShowsText(frame, "Effects: 100", 12, 350, 564));
  }
  Tap(session, SDLK_x);

  // The door unlocks level 2; "Level Reached" is not there to store it either.
  session.menu.selection = 0;
  Tap(session, SDLK_z);
  Tap(session, SDLK_z);
  ASSERT_EQ(session.playing, 1);
  session.Press(SDLK_RIGHT);
  for (int step = 0; step < 300 && session.menu.levelChoice == 0; ++step) session.Steps(1);
  session.Release(SDLK_RIGHT);
  ASSERT_EQ(session.menu.levelChoice, 1) << "the door was never entered";
  Tap(session, SDLK_ESCAPE);
  Tap(session, SDLK_x);
  Tap(session, SDLK_z);
  ASSERT_EQ(session.menu.screen, 1);
  MenuFrame(session);
  Frame frame;
  EXPECT_TRUE(ShowsText(frame, "< 2 / 10 >", 24, 350, 400))
      << "the level select lost the level unlocked in this session";
  Tap(session, SDLK_RIGHT);
  EXPECT_EQ(session.menu.levelChoice, 0) << "level 2 is the highest offered";
}

TEST(MenuTest, MissingRecordsShowTheirDefaults) {
  GameSession session;
  UseTestArt(session);
  session.folder.Write(kSavePath, SaveFile({{"Level0 Score", ""}, {"Level0 Time", ""}}));
  Tap(session, SDLK_z);
  MenuFrame(session);
  Frame frame;
  EXPECT_TRUE(ShowsText(frame, "High Score: 0", 32, 750, 200));
  EXPECT_TRUE(ShowsText(frame, "Best Time: 9999", 32, 750, 250));
}

}  // namespace
