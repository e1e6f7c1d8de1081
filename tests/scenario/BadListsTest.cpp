// Damaged sprite lists and effects lists in play: whatever the lists name,
// the level is played with every kind of actor and sound, each bad entry
// gets its console line, and the game goes on to the menu with the save
// untouched.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/Audio.h"
#include "harness/PlayLoop.h"

namespace {
using harness::GameSession;

const char* const kSpriteLists[] = {
    "Resources/Data/PlayerSpriteList.txt", "Resources/Data/DumbEnemySpriteList.txt",
    "Resources/Data/StalkerSpriteList.txt", "Resources/Data/BirdEnemySpriteList.txt"};
const char* const kEffectsList = "Resources/Data/FXList.txt";
const char* const kSounds[] = {"Music.WAV",       "PlayerJump.WAV", "PlayerShoot.WAV",
                               "EnemyAttack.WAV", "EnemyDead.WAV",  "PlayerDead.WAV",
                               "Pickup.WAV",      "Coin.WAV"};

// Every cell code: enemies, items, coins, platforms and the door, which is
// walled in (passing it would store records in the save).
const std::string kLevel =
    "WWWWWWWWWWWWWWWWWWWW\n"
    "W..................W\n"
    "W...E......C...E...W\n"
    "W..PPPP......PPPWWWW\n"
    "WS..C...I.....E.WDWW\n"
    "WWWWWWWWWWWWWWWWWWWW\n";

void PutLE(std::string& out, Uint32 value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A short mono 16-bit PCM WAV at 22050 Hz.
std::string Beep() {
  constexpr Uint32 kRate = 22050;
  constexpr Uint32 kSamples = kRate / 10;
  std::string wav = "RIFF";
  PutLE(wav, 36 + kSamples * 2, 4);
  wav += "WAVEfmt ";
  PutLE(wav, 16, 4);
  PutLE(wav, 1, 2);
  PutLE(wav, 1, 2);
  PutLE(wav, kRate, 4);
  PutLE(wav, kRate * 2, 4);
  PutLE(wav, 2, 2);
  PutLE(wav, 16, 2);
  wav += "data";
  PutLE(wav, kSamples * 2, 4);
  for (Uint32 i = 0; i < kSamples; ++i) PutLE(wav, (i / 40) % 2 ? 0x2000 : 0xE000, 2);
  return wav;
}

struct ListCase {
  const char* what;
  std::optional<std::string> sprites;  // every sprite list; none: the lists are missing
  std::optional<std::string> effects;  // the effects list; none: missing
  std::vector<std::string> lines;      // console lines that must appear
  size_t playerFrames;                 // frames the player ends up with
};

}  // namespace

TEST(BadLists, EveryDamagedListIsPlayedThroughWithItsConsoleLines) {
  const ListCase cases[] = {
      {"missing",
       std::nullopt,
       std::nullopt,
       {"Sprite list 'Resources/Data/PlayerSpriteList.txt' names no frames; the actor is "
        "invisible.",
        "Effects list 'Resources/Data/FXList.txt' cannot be read; the game plays no effects."},
       1},
      {"empty",
       std::string(),
       std::string(),
       {"Sprite list 'Resources/Data/PlayerSpriteList.txt' names no frames; the actor is "
        "invisible.",
        "Effects list 'Resources/Data/FXList.txt' names no effects; the game plays no effects."},
       1},
      {"blank lines",
       std::string("\n\nPlayerStand.bmp\n\n"),
       std::string("\nCoin.WAV\n\n"),
       {"Surface for bitmap 'Resources/Assets/' not loaded!",
        "Sound 'Resources/Assets/' not loaded"},
       4},
      {"names with spaces",
       std::string(" PlayerStand.bmp\nPlayer Stand.bmp\nPlayerStand.bmp \n"),
       std::string(" Coin.WAV\nPlayer Jump.WAV\nPickup.WAV \n"),
       {"Surface for bitmap 'Resources/Assets/ PlayerStand.bmp' not loaded!",
        "Surface for bitmap 'Resources/Assets/Player Stand.bmp' not loaded!",
        "Surface for bitmap 'Resources/Assets/PlayerStand.bmp ' not loaded!",
        "Sound 'Resources/Assets/ Coin.WAV' not loaded",
        "Sound 'Resources/Assets/Pickup.WAV ' not loaded"},
       3},
      {"names of missing files",
       std::string("NoSuchFrame.bmp\nPlayerStand.bmp\n"),
       std::string("NoSuchSound.WAV\nCoin.WAV\n"),
       {"Surface for bitmap 'Resources/Assets/NoSuchFrame.bmp' not loaded!",
        "Sound 'Resources/Assets/NoSuchSound.WAV' not loaded"},
       2},
      {"wrong case",
       std::string("playerstand.bmp\nPLAYERSTAND.BMP\n"),
       std::string("coin.wav\nCOIN.WAV\n"),
       {"Surface for bitmap 'Resources/Assets/playerstand.bmp' not loaded!",
        "Surface for bitmap 'Resources/Assets/PLAYERSTAND.BMP' not loaded!",
        "Sound 'Resources/Assets/coin.wav' not loaded",
        "Sound 'Resources/Assets/COIN.WAV' not loaded"},
       2},
      {"duplicates",
       std::string("PlayerStand.bmp\nPlayerStand.bmp\nPlayerRun0.bmp\nPlayerStand.bmp\n"),
       std::string("Coin.WAV\nCoin.WAV\nPlayerJump.WAV\nCoin.WAV\n"),
       {},
       4},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.what);
    GameSession session(3);
    session.folder.CopyAssets();
    for (const char* sound : kSounds)
      session.folder.Write(std::string("Resources/Assets/") + sound, Beep());
    for (const char* list : kSpriteLists) {
      if (c.sprites) {
        session.folder.Write(list, *c.sprites);
      } else {
        std::remove(list);
      }
    }
    if (c.effects) {
      session.folder.Write(kEffectsList, *c.effects);
    } else {
      std::remove(kEffectsList);
    }
    session.WriteLevel(0, kLevel);
    const std::string saveBefore = harness::SaveText(session);

    harness::CaptureStdout out;
    harness::DeferredChecks check;
    auto audio = std::make_unique<Audio>();
    check.Expect(!audio->failed, "the dummy audio device is there");
    session.game.audio = audio.get();
    session.menu.audio = audio.get();

    // Through the menu into the level, then running, jumping and shooting
    // both ways, a restart, and more of the same.
    harness::Tap(session, SDLK_z);
    session.menu.levelChoice = 0;
    harness::Tap(session, SDLK_z);
    check.Expect(session.playing == 1 && session.game.player, "the level starts");
    size_t playerFrames = session.game.player ? session.game.player->frames.size() : 0;
    check.Expect(!session.game.enemies.empty(), "the level has enemies");
    bool framesThroughout = true;
    int steps = 0;
    for (int round = 0; round < 2; ++round) {
      for (SDL_Keycode run : {SDLK_RIGHT, SDLK_LEFT}) {
        session.Press(run);
        session.Press(SDLK_x);
        for (int i = 0; i < 200 && session.playing; ++i, ++steps) {
          if (i % 50 == 0) session.Press(SDLK_z);
          if (i % 50 == 1) session.Release(SDLK_z);
          harness::LoopPass(session);
          if (session.game.player && session.game.player->frames.empty()) framesThroughout = false;
          for (const auto& enemy : session.game.enemies)
            if (enemy->frames.empty()) framesThroughout = false;
        }
        session.Release(SDLK_x);
        session.Release(run);
      }
      if (round == 0 && session.playing) harness::Tap(session, SDLK_r);
    }
    if (session.playing) {
      harness::Tap(session, SDLK_ESCAPE);
    } else {
      session.Steps(1);  // already back in the menu after a game over
    }
    check.Expect(session.playing == 0 && session.menu.screen == 1, "back on the level select");
    check.Expect(harness::LoopPass(session), "the menu goes on");
    session.game.audio = nullptr;
    session.menu.audio = nullptr;
    audio.reset();

    const std::string printed = out.Text();
    check.Report();
    EXPECT_EQ(playerFrames, c.playerFrames) << "one frame per line, or one invisible frame";
    EXPECT_TRUE(framesThroughout) << "every actor always had a frame";
    EXPECT_GT(steps, 100) << "the level was played";
    for (const std::string& line : c.lines)
      EXPECT_NE(printed.find(line), std::string::npos) << "no console line \"" << line << "\"";
    if (c.lines.empty()) {
      EXPECT_EQ(printed.find("not loaded"), std::string::npos) << printed.substr(0, 400);
    }
    // An actor whose frame has no size passes through walls, so the player
    // may reach the walled-in door; its records are all that may change.
    EXPECT_TRUE(harness::OnlyLevel0RecordsChanged(saveBefore, harness::SaveText(session)));
  }
}
