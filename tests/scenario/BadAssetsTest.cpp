// Missing and damaged assets in a whole session: a bitmap of every kind, the
// font, the sounds, and the whole Resources folder. Each gets its console
// line, the menus and the level go on, and the save stays as it was.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "actors/BirdEnemy.h"
#include "actors/DumbEnemy.h"
#include "actors/Stalker.h"
#include "app/EventHolder.h"
#include "app/Input.h"
#include "app/Shell.h"
#include "audio/Audio.h"
#include "base/LineReader.h"
#include "frontend/Menu.h"
#include "game/Game.h"
#include "harness/PlayLoop.h"

namespace {
namespace fs = std::filesystem;
using harness::GameSession;
using harness::LoopPass;
using harness::Tap;

// Every cell code, with several item cells so that both item kinds appear.
// The door is walled in: passing it would store records in the save.
const std::string kLevel =
    "WWWWWWWWWWWWWWWWWWWW\n"
    "W..................W\n"
    "W...E..I...C.I.E...W\n"
    "W..PPPP......PPPWWWW\n"
    "WS..C.I.I.I...E.WDWW\n"
    "WWWWWWWWWWWWWWWWWWWW\n";

const char* const kSpriteLists[] = {
    "Resources/Data/PlayerSpriteList.txt", "Resources/Data/DumbEnemySpriteList.txt",
    "Resources/Data/StalkerSpriteList.txt", "Resources/Data/BirdEnemySpriteList.txt"};

// The bitmaps a session of play loads: those the game names itself and
// every one that the sprite lists name.
std::set<std::string> BitmapsInUse() {
  std::set<std::string> names = {"Wall.bmp",    "Platform.bmp",   "Bullet.bmp",
                                 "Coin.bmp",    "HealthPack.bmp", "AttackCharge.bmp",
                                 "Door.bmp",    "Health.bmp",     "HealthBackground.bmp",
                                 "MenuIcon.bmp"};
  for (const char* list : kSpriteLists) {
    LineReader reader(list);
    std::string line;
    while (reader.Next(line)) names.insert(line);
  }
  return names;
}

// Sprite lists from the content where it has them, lists of known bitmaps
// where it has none, so that every actor has frames to lose.
void FillMissingSpriteLists(const GameSession& session) {
  for (const char* list : kSpriteLists) {
    if (fs::exists(list)) continue;
    const bool player = std::string(list).find("Player") != std::string::npos;
    session.folder.Write(list, player ? "PlayerStand.bmp\nPlayerRun0.bmp\n" : "PlayerStand.bmp\n");
  }
}

// Plays a session as a player would: the level select, level 0 run through
// both ways while jumping and shooting, a restart, Escape back to the level
// select and X back to the main menu. Returns the number of steps played.
int PlayThrough(GameSession& session, harness::DeferredChecks& check) {
  Tap(session, SDLK_z);
  check.Expect(session.menu.screen == 1, "Z on Start opens the level select");
  session.menu.levelChoice = 0;
  Tap(session, SDLK_z);
  check.Expect(session.playing == 1, "the level starts");
  if (!session.game.level) return 0;
  // One enemy of each kind besides the random ones, so that every kind's
  // frames are loaded whatever the seed gives.
  Game& game = session.game;
  Level* level = game.level.get();
  Player* player = game.player.get();
  game.enemies.push_back(
      std::make_unique<DumbEnemy>(game.renderer, level, player, game.audio, 96, 32));
  game.enemies.push_back(
      std::make_unique<Stalker>(game.renderer, level, player, game.audio, 160, 32));
  game.enemies.push_back(
      std::make_unique<BirdEnemy>(game.renderer, level, player, game.audio, 224, 32));
  int steps = 0;
  for (SDL_Keycode run : {SDLK_RIGHT, SDLK_LEFT, SDLK_RIGHT}) {
    session.Press(run);
    session.Press(SDLK_x);
    for (int i = 0; i < 250 && session.playing; ++i, ++steps) {
      if (i % 60 == 0) session.Press(SDLK_z);
      if (i % 60 == 1) session.Release(SDLK_z);
      LoopPass(session);
    }
    session.Release(SDLK_x);
    session.Release(run);
    if (run == SDLK_LEFT && session.playing) Tap(session, SDLK_r);
  }
  if (session.playing) Tap(session, SDLK_ESCAPE);
  check.Expect(session.playing == 0 && session.menu.screen == 1, "back on the level select");
  check.Expect(LoopPass(session), "the menu goes on");
  Tap(session, SDLK_x);
  check.Expect(session.menu.screen == 0, "X leads back to the main menu");
  return steps;
}

}  // namespace

TEST(BadAssets, AMissingBitmapOfEveryKindIsReportedAndPlayGoesOn) {
  std::set<std::string> names;
  {
    GameSession probe;
    FillMissingSpriteLists(probe);
    names = BitmapsInUse();
  }
  ASSERT_GE(names.size(), 12u);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    GameSession session(11);
    session.folder.CopyAssets();
    FillMissingSpriteLists(session);
    session.WriteLevel(0, kLevel);
    ASSERT_TRUE(fs::remove("Resources/Assets/" + name)) << "the build made no " << name;
    const std::string saveBefore = harness::SaveText(session);

    harness::CaptureStdout out;
    harness::DeferredChecks check;
    // The menu loads its icon when it is made: make it again without the file.
    session.menu.icon =
        std::make_unique<Sprite>(harness::Renderer(), "Resources/Assets/MenuIcon.bmp");
    int steps = PlayThrough(session, check);
    const std::string printed = out.Text();
    check.Report();
    EXPECT_GT(steps, 500) << "the level was played";
    EXPECT_NE(printed.find("Surface for bitmap 'Resources/Assets/" + name + "' not loaded!\n"),
              std::string::npos)
        << "no console line for the missing bitmap";
    EXPECT_EQ(harness::SaveText(session), saveBefore);
  }
}

TEST(BadAssets, DamagedBitmapsAndSoundsAreReportedAndPlayGoesOn) {
  GameSession session(11);
  session.folder.CopyAssets();
  FillMissingSpriteLists(session);
  session.WriteLevel(0, kLevel);
  std::srand(99);
  std::string noise(2000, '\0');
  for (char& c : noise) c = static_cast<char>(std::rand() & 0xFF);
  const std::string wall = session.folder.Read("Resources/Assets/Wall.bmp");
  ASSERT_GT(wall.size(), 54u);
  session.folder.Write("Resources/Assets/Wall.bmp", wall.substr(0, 20));  // header cut short
  session.folder.Write("Resources/Assets/Coin.bmp", noise);
  session.folder.Write("Resources/Assets/Door.bmp", "BM" + noise);
  std::string huge = wall;  // claims 16 million pixels each way
  huge[18] = huge[19] = huge[20] = huge[22] = huge[23] = huge[24] = '\xFF';
  huge[21] = huge[25] = '\0';
  session.folder.Write("Resources/Assets/Platform.bmp", huge);
  session.folder.Write("Resources/Assets/Music.WAV", std::string("RIFF\x24\x08\0\0WAVEfmt ", 16));
  session.folder.Write("Resources/Assets/Coin.WAV", noise);
  session.folder.Write("Resources/Assets/PlayerJump.WAV", "");
  session.folder.Write("Resources/Data/FXList.txt", "Coin.WAV\nPlayerJump.WAV\n");
  const std::string saveBefore = harness::SaveText(session);

  harness::CaptureStdout out;
  harness::DeferredChecks check;
  auto audio = std::make_unique<Audio>();
  check.Expect(!audio->failed, "the dummy audio device is there");
  check.Expect(audio->music == nullptr, "a damaged Music.WAV gives no music");
  session.game.audio = audio.get();
  session.menu.audio = audio.get();
  int steps = PlayThrough(session, check);
  session.game.audio = nullptr;
  session.menu.audio = nullptr;
  audio.reset();
  const std::string printed = out.Text();
  check.Report();
  EXPECT_GT(steps, 500);
  for (const char* line : {"Surface for bitmap 'Resources/Assets/Wall.bmp' not loaded!",
                           "Surface for bitmap 'Resources/Assets/Coin.bmp' not loaded!",
                           "Surface for bitmap 'Resources/Assets/Door.bmp' not loaded!",
                           "Surface for bitmap 'Resources/Assets/Platform.bmp' not loaded!\n"
                           "The bitmap claims more than 16777216 pixels: it is damaged.",
                           "Sound 'Resources/Assets/Music.WAV' not loaded",
                           "Sound 'Resources/Assets/Coin.WAV' not loaded",
                           "Sound 'Resources/Assets/PlayerJump.WAV' not loaded"})
    EXPECT_NE(printed.find(line), std::string::npos) << "no console line \"" << line << "\"";
  EXPECT_EQ(harness::SaveText(session), saveBefore);
}

TEST(BadAssets, WithoutTheFontEveryScreenAndTheLevelGoOnSilently) {
  GameSession session;
  session.folder.CopyAssets();
  FillMissingSpriteLists(session);
  session.WriteLevel(0, kLevel);
  ASSERT_TRUE(fs::remove("Resources/Assets/DejaVuSans.ttf"));
  const std::string saveBefore = harness::SaveText(session);

  harness::CaptureStdout out;
  harness::DeferredChecks check;
  int steps = PlayThrough(session, check);
  // The options and the exit question, left without storing anything.
  session.menu.selection = 1;
  Tap(session, SDLK_z);
  check.Expect(session.menu.screen == 2, "Z on Options opens the options");
  LoopPass(session);
  session.menu.screen = 0;
  session.menu.selection = 2;
  Tap(session, SDLK_z);
  check.Expect(session.menu.screen == 3, "Z on Exit asks");
  Tap(session, SDLK_x);
  check.Expect(session.menu.screen == 0, "X on the exit question goes back");
  const std::string printed = out.Text();
  check.Report();
  EXPECT_GT(steps, 500);
  EXPECT_NE(printed.find("Surface for font not loaded!\n"), std::string::npos);
  EXPECT_EQ(harness::SaveText(session), saveBefore);
}

TEST(BadAssets, WithoutAResourcesFolderTheShellRunsTheMenusAndEnds) {
  harness::TempRunFolder folder;
  fs::remove_all("Resources");
  SDL_Event drained;
  while (SDL_PollEvent(&drained)) {
  }
  harness::CaptureStdout out;
  harness::DeferredChecks check;
  {
    Shell shell;
    check.Expect(shell.window && shell.renderer, "the shell has a window and a renderer");
    auto tap = [&shell](SDL_Keycode key) {
      SDL_Event down = harness::KeyDown(key);
      SDL_Event up = harness::KeyUp(key);
      SDL_PushEvent(&down);
      bool goesOn = shell.RunIteration();
      SDL_PushEvent(&up);
      return goesOn && shell.RunIteration();
    };
    struct Move {
      SDL_Keycode key;
      int screen;  // the screen showing afterwards
      const char* what;
    };
    const Move moves[] = {
        {SDLK_z, 1, "Start opens the level select"},
        {SDLK_z, 1, "a missing level is not played: the level select stays"},
        {SDLK_x, 0, "X goes back to the main menu"},
        {SDLK_DOWN, 0, "Down moves to Options"},
        {SDLK_z, 2, "the options open"},
        {SDLK_RIGHT, 2, "Right on the options"},
        {SDLK_x, 0, "X stores the volumes and leaves the options"},
        {SDLK_DOWN, 0, "Down moves to Exit"},
        {SDLK_z, 3, "the exit question shows"},
        {SDLK_x, 0, "X on the exit question goes back"},
    };
    for (const Move& move : moves) {
      check.Expect(tap(move.key), std::string(move.what) + ": the loop went on");
      check.Expect(shell.instance->menu->screen == move.screen && shell.instance->playing == 0,
                   move.what);
    }
    SDL_Event escape = harness::KeyDown(SDLK_ESCAPE);
    SDL_PushEvent(&escape);
    check.Expect(!shell.RunIteration(), "Escape ends the program");
    SDL_Event up = harness::KeyUp(SDLK_ESCAPE);
    SDL_PushEvent(&up);
  }
  const std::string printed = out.Text();
  check.Report();
  for (const char* line :
       {"Surface for bitmap 'Resources/Assets/MenuIcon.bmp' not loaded!",
        "Surface for font not loaded!",
        "Level 'Resources/Data/Level0.txt' not started: the level file is missing or empty.",
        "Save file 'Resources/Data/GameData.txt' could not be written",
        "Sound 'Resources/Assets/Music.WAV' not loaded",
        "Effects list 'Resources/Data/FXList.txt' cannot be read; the game plays no effects."})
    EXPECT_NE(printed.find(line), std::string::npos) << "no console line \"" << line << "\"";
  EXPECT_FALSE(fs::exists("Resources")) << "nothing is made in place of the missing folder";
  while (SDL_PollEvent(&drained)) {
  }
}
