#include "frontend/Menu.h"

#include <algorithm>
#include <cstdio>

#include "app/Input.h"
#include "audio/Audio.h"
#include "base/LineReader.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "game/FrameTimers.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
constexpr int kMaxVolume = 100;
constexpr int kRowsLeft = 350;     // x of every label
constexpr int kIconLeft = 300;     // x of the selection marker
constexpr int kFirstRowTop = 500;  // y of the first menu row
constexpr int kRowPitch = 64;      // pixels between menu rows
constexpr int kTitleTop = 200;
constexpr int kRecordsLeft = 750;
constexpr int kBestTimeTop = 250;
constexpr int kCounterTop = 400;
constexpr int kExitLabelTop = 624;
constexpr int kRowPoints = 12;
constexpr int kTitlePoints = 24;
constexpr int kRecordPoints = 32;
constexpr int kQuestionPoints = 32;
}  // namespace

Menu::Menu(SDL_Window* window, SDL_Renderer* renderer, Input* input, TextRenderer* text, Game* game,
           Audio* audio, int* playing)
    : window(window),
      renderer(renderer),
      icon(std::make_unique<Sprite>(renderer, "Resources/Assets/MenuIcon.bmp")),
      input(input),
      text(text),
      game(game),
      audio(audio),
      playing(playing) {
  LoadVolumes();
  if (audio) audio->SetVolumes(musicVolume, effectsVolume);
  quit = false;
}

void Menu::LoadVolumes() {
  // A missing key leaves the volume as it is; a damaged save must not pass
  // a volume the mixer would misread.
  ReadValue("Music", musicVolume);
  ReadValue("FX", effectsVolume);
  musicVolume = std::clamp(musicVolume, 0, kMaxVolume);
  effectsVolume = std::clamp(effectsVolume, 0, kMaxVolume);
}

void Menu::MainMenu() {
  icon->Draw(kIconLeft, kFirstRowTop + kRowPitch * selection);
  text->DrawText("Start", kRowPoints, kRowsLeft, kFirstRowTop);
  text->DrawText("Options", kRowPoints, kRowsLeft, kFirstRowTop + kRowPitch);
  text->DrawText("Exit", kRowPoints, kRowsLeft, kExitLabelTop);

  if (input->down) {
    selection = selection == kExitRow ? kStartRow : selection + 1;
    input->down = false;
  } else if (input->up) {
    selection = selection == kStartRow ? kExitRow : selection - 1;
    input->up = false;
  } else if (input->keyZ) {
    if (audio) audio->PlaySound("Coin.WAV");
    input->keyZ = false;
    switch (selection) {
      case kStartRow:
        // A missing key keeps the levels unlocked in this session; a damaged
        // save must not offer a level file that does not exist.
        ReadValue("Level Reached", levelReached);
        levelReached = std::clamp(levelReached, 0, rules::kLastLevel);
        levelChoice = levelReached;
        screen = kLevelSelect;
        break;
      case kOptionsRow:
        LoadVolumes();
        screen = kOptions;
        break;
      case kExitRow:
        screen = kExitConfirm;
        break;
      default:
        break;
    }
  }
}

void Menu::DrawRecords() {
  char key[32];
  char line[48];
  int score = kDefaultScore;
  std::snprintf(key, sizeof key, "Level%i Score", levelChoice);
  ReadValue(key, score);
  int time = kDefaultTime;
  std::snprintf(key, sizeof key, "Level%i Time", levelChoice);
  ReadValue(key, time);
  std::snprintf(line, sizeof line, "High Score: %i", score);
  text->DrawText(line, kRecordPoints, kRecordsLeft, kTitleTop);
  std::snprintf(line, sizeof line, "Best Time: %i", time);
  text->DrawText(line, kRecordPoints, kRecordsLeft, kBestTimeTop);
}

void Menu::LevelSelect() {
  text->DrawText("Select Level", kTitlePoints, kRowsLeft, kTitleTop);
  DrawRecords();
  char counter[32];
  std::snprintf(counter, sizeof counter, "< %i / %i >", levelChoice + 1, rules::kLevelCount);
  text->DrawText(counter, kTitlePoints, kRowsLeft, kCounterTop);

  if (input->left || input->up) {
    input->left = input->up = false;
    levelChoice = levelChoice == 0 ? levelReached : levelChoice - 1;
  } else if (input->right || input->down) {
    input->right = input->down = false;
    levelChoice = levelChoice == levelReached ? 0 : levelChoice + 1;
  } else if (input->keyZ) {
    input->keyZ = false;
    // The time spent in the menus is not the level's: its first step
    // measures from here, so only the loading counts into the level clock.
    RestartStepClock();
    LaunchLevel();
    // A level that could not be started leaves the level select showing.
    if (game->level) *playing = 1;
  } else if (input->keyX) {
    input->keyX = false;
    screen = kMainMenu;
  }
}

void Menu::LaunchLevel() {
  char path[40];
  std::snprintf(path, sizeof path, "Resources/Data/Level%i.txt", levelChoice);
  LineReader reader(path);
  std::string line;
  int width = 0;
  int height = 1;  // the first line counts whether or not it could be read
  if (reader.Next(line)) {
    width = static_cast<int>(line.size());
    while (reader.Next(line)) ++height;
  }
  game->StartLevel(path, width, height);
}

void Menu::Options() {
  text->DrawText("Volume", kTitlePoints, kRowsLeft, kTitleTop);
  icon->Draw(kIconLeft, kFirstRowTop + kRowPitch * optionsRow);
  char line[32];
  std::snprintf(line, sizeof line, "Music: %i", musicVolume);
  text->DrawText(line, kRowPoints, kRowsLeft, kFirstRowTop);
  std::snprintf(line, sizeof line, "Effects: %i", effectsVolume);
  text->DrawText(line, kRowPoints, kRowsLeft, kFirstRowTop + kRowPitch);

  int& volume = optionsRow == kMusicRow ? musicVolume : effectsVolume;
  if (input->up || input->down) {
    input->up = input->down = false;
    optionsRow = optionsRow == kMusicRow ? kEffectsRow : kMusicRow;
  } else if (input->left) {
    if (volume - 1 >= 0) volume -= 1;  // held: one step every frame
  } else if (input->right) {
    if (volume + 1 <= kMaxVolume) volume += 1;
  } else if (input->keyX) {
    WriteValue("Music", musicVolume);
    WriteValue("FX", effectsVolume);
    if (audio) audio->SetVolumes(musicVolume, effectsVolume);
    screen = kMainMenu;
  }
}

void Menu::ExitConfirm() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  text->DrawText("Are you sure you want to exit?", kQuestionPoints,
                 static_cast<int>(static_cast<float>(width) * 0.5f),
                 static_cast<int>(static_cast<float>(height) * 0.5f));
  if (input->keyZ) {
    quit = true;
  } else if (input->keyX) {
    screen = kMainMenu;
  }
}

void Menu::ShowScreen() {
  switch (screen) {
    case kMainMenu:
      MainMenu();
      break;
    case kLevelSelect:
      LevelSelect();
      break;
    case kOptions:
      Options();
      break;
    case kExitConfirm:
      ExitConfirm();
      break;
    default:
      break;  // an unknown screen is a black frame
  }
}
