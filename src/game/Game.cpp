#include "game/Game.h"

#include <cstdio>
#include <cstdlib>

#include "actors/AttackCharge.h"
#include "actors/BirdEnemy.h"
#include "actors/Coin.h"
#include "actors/DumbEnemy.h"
#include "actors/HealthPack.h"
#include "actors/Stalker.h"
#include "app/Input.h"
#include "audio/Audio.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/GameData.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "gfx/TextRenderer.h"

namespace {
constexpr int kWarmupSteps = 2;          // the second step after a start is the first to move
constexpr float kGameOverMs = 10000.0f;  // how long "GAME OVER" shows
constexpr int kClockPoints = 24;
constexpr int kGameOverPoints = 48;
constexpr int kEnemyKinds = 10;  // rand() % 10: 0-4 dumb, 5-7 stalker, 8-9 bird
constexpr int kFirstStalker = 5;
constexpr int kFirstBird = 8;
constexpr int kFirstAttackCharge = 5;  // rand() % 10: 0-4 health pack, 5-9 attack charge

const char* PickupName(int kind) {
  switch (kind) {
    case kCoinKind:
      return "a Coin";
    case kHealthPackKind:
      return "a Health Pack";
    default:
      return "an Attack Charge";
  }
}

// Integer box of a thing at (x, y) that is width by height pixels, edges inclusive.
struct Box {
  int left, right, top, bottom;
  bool Overlaps(const Box& other) const {
    return left <= other.right && right >= other.left && top <= other.bottom && bottom >= other.top;
  }
};

Box BoxOf(float x, float y, int width, int height) {
  return Box{static_cast<int>(x), static_cast<int>(x + static_cast<float>(width - 1)),
             static_cast<int>(y), static_cast<int>(y + static_cast<float>(height - 1))};
}

// Removes entry index of list, keeping the order of the rest.
template <typename T>
void RemoveAt(std::vector<std::unique_ptr<T>>& list, size_t index) {
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}
}  // namespace

Game::Game(SDL_Window* window, SDL_Renderer* renderer, Input* input, Audio* audio,
           TextRenderer* text, int* playing)
    : window(window),
      renderer(renderer),
      input(input),
      audio(audio),
      text(text),
      playing(playing) {}

Game::~Game() {
  bullets.clear();
  player.reset();
  level.reset();
  enemies.clear();
  pickups.clear();
}

void Game::Update() {
  int now = Clock::Now();
  stepAccumulator += now - frameTick;
  frameTick = now;
  if (input->escape) {
    input->escape = false;
    EndLevel(true);
    return;
  }
  if (input->keyR) {
    input->keyR = false;
    if (menu) menu->LaunchLevel();
    if (!level) return;  // the restart was refused: back in the menu
  }
  if (stepAccumulator < rules::kStepMs) return;
  Step();
}

void Game::Step() {
  if (!level) return;
  if (!started && ++warmupSteps >= kWarmupSteps) started = true;

  int now = Clock::Now();
  deltaSeconds = (now - stepTick) / 1000.0;
  stepTick = now;
  stepAccumulator = 0.0;

  SDL_RenderClear(renderer);
  level->Draw();
  UpdateEnemies();
  UpdatePickups();
  UpdateBullets();

  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  char line[32];
  std::snprintf(line, sizeof line, "Time: %i", static_cast<int>(levelTime));
  text->DrawText(line, kClockPoints, static_cast<int>(static_cast<float>(width) * 0.5f),
                 static_cast<int>(static_cast<float>(height) * 0.05f));

  if (!UpdatePlayer()) return;
  text->UpdateNotice();
  SDL_RenderPresent(renderer);
}

bool Game::UpdatePlayer() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  const int halfWidth = static_cast<int>(static_cast<float>(width) * 0.5f);
  const int halfHeight = static_cast<int>(static_cast<float>(height) * 0.5f);

  // Game over: the message until the deadline, then back to the menu.
  if (!player) {
    if (Clock::Now() > gameOverDeadline) {
      EndLevel(true);
      return false;
    }
    text->DrawText("GAME OVER", kGameOverPoints, halfWidth, halfHeight);
    return true;
  }
  // The step in which the death is noticed.
  if (player->dead) {
    player.reset();
    for (auto& enemy : enemies) enemy->target = nullptr;
    gameOverDeadline = static_cast<int>(static_cast<float>(Clock::Now()) + kGameOverMs);
    if (audio) audio->PlaySound("PlayerDead.WAV");
    return true;
  }
  // Alive.
  levelTime += deltaSeconds;
  if (started) player->Update();
  level->SetCamera(static_cast<int>(player->x) - halfWidth,
                   static_cast<int>(player->y) - halfHeight);
  if (!player->invulnerable || Clock::Now() % 3 == 0) player->Draw();  // flicker while hit
  // Last: the door may end this level and start the next one, releasing
  // the level and the player, so nothing of either is touched afterwards.
  level->CheckExit();
  return true;
}

void Game::UpdateEnemies() {
  for (size_t i = 0; i < enemies.size();) {
    Enemy& enemy = *enemies[i];
    if (started) enemy.Update();
    if (!enemy.dead) {
      enemy.Draw();
      ++i;
      continue;
    }
    if (audio) audio->PlaySound("EnemyDead.WAV");
    // The drop lands on the tile holding the enemy's top-left corner.
    float t = static_cast<float>(level->tileSize);
    int dropX = static_cast<int>(static_cast<float>(static_cast<int>(enemy.x / t)) * t);
    int dropY = static_cast<int>(static_cast<float>(static_cast<int>(enemy.y / t)) * t);
    bool coin = std::rand() % 2 != 0;
    SpawnPickup(coin, dropX, dropY);
    RemoveAt(enemies, i);
  }
}

void Game::UpdatePickups() {
  for (size_t i = 0; i < pickups.size();) {
    PickupItem& item = *pickups[i];
    if (player) {
      if (started) item.Update();
      if (item.collected) {
        char notice[48];
        std::snprintf(notice, sizeof notice, "Picked up %s.", PickupName(item.kind));
        text->ShowNotice(notice);
        if (audio) audio->PlaySound("Pickup.WAV");
        RemoveAt(pickups, i);
        continue;
      }
    }
    item.Draw();
    ++i;
  }
}

void Game::UpdateBullets() {
  for (size_t i = 0; i < bullets.size();) {
    Bullet& bullet = *bullets[i];
    if (started) {
      if (Clock::Now() > bullet.expiry) {
        bullet.dead = true;
      } else {
        // One test point, the top-left corner; a bullet that leaves the grid dies.
        int column = static_cast<int>(bullet.x) / level->tileSize;
        int row = static_cast<int>(bullet.y) / level->tileSize;
        bool insideGrid =
            bullet.x >= 0.0f && bullet.y >= 0.0f && row < level->rows && column < level->columns;
        if (!insideGrid || level->Cell(column, row) == 'W') {
          bullet.dead = true;
        } else if (bullet.direction == kFacingLeft) {
          bullet.x =
              static_cast<float>(bullet.x - static_cast<double>(bullet.speed) * deltaSeconds);
        } else if (bullet.direction == kFacingRight) {
          bullet.x =
              static_cast<float>(bullet.x + static_cast<double>(bullet.speed) * deltaSeconds);
        }
      }
      // The hit test runs even for a bullet that died in this step.
      Box shot = BoxOf(bullet.x, bullet.y, bullet.sprite->width, bullet.sprite->height);
      for (auto& enemy : enemies) {
        const Sprite* frame = enemy->CurrentFrame();
        if (shot.Overlaps(BoxOf(enemy->x, enemy->y, frame->width, frame->height))) {
          enemy->ChangeHealth(-rules::kBulletDamage);
          bullet.dead = true;
          break;
        }
      }
    }
    if (bullet.dead) {
      RemoveAt(bullets, i);
      continue;
    }
    bullet.Draw();
    ++i;
  }
}

void Game::AddBullet(std::unique_ptr<Bullet> bullet) { bullets.push_back(std::move(bullet)); }

void Game::StartLevel(const std::string& path, int width, int height) {
  EndLevel(false);
  level = std::make_unique<Level>(window, renderer, path, width, height, this);
  std::string reason = level->Unplayable();
  if (!reason.empty()) {
    std::printf("Level '%s' not started: %s.\n", path.c_str(), reason.c_str());
    EndLevel(true);
    return;
  }
  player = std::make_unique<Player>(renderer, level.get(), input, this, audio, 0, 0);
  level->Build();
  level->gravity = rules::kGravity;
  player->x = static_cast<float>(level->startX);
  player->y = static_cast<float>(level->startY);
}

void Game::EndLevel(bool toMenu) {
  started = false;
  warmupSteps = 0;
  levelTime = 0.0;
  if (level) {
    level.reset();
    enemies.clear();
    pickups.clear();
  }
  bullets.clear();
  player.reset();
  if (toMenu) {
    level.reset();
    if (playing) *playing = 0;
  }
}

void Game::SaveResults() {
  if (!player || !menu) return;
  char key[32];
  std::snprintf(key, sizeof key, "Level%i Score", menu->levelChoice);
  int storedScore = kDefaultScore;
  ReadValue(key, storedScore);
  if (storedScore < player->gold) WriteValue(key, player->gold);

  std::snprintf(key, sizeof key, "Level%i Time", menu->levelChoice);
  int time = static_cast<int>(levelTime);
  int storedTime = kDefaultTime;
  ReadValue(key, storedTime);
  if (storedTime > time) WriteValue(key, time);
}

void Game::SpawnEnemy(int x, int y) {
  int r = std::rand() % kEnemyKinds;
  Player* target = player.get();
  if (r < kFirstStalker) {
    enemies.push_back(std::make_unique<DumbEnemy>(renderer, level.get(), target, audio, x, y));
  } else if (r < kFirstBird) {
    enemies.push_back(std::make_unique<Stalker>(renderer, level.get(), target, audio, x, y));
  } else {
    enemies.push_back(std::make_unique<BirdEnemy>(renderer, level.get(), target, audio, x, y));
  }
}

void Game::SpawnPickup(bool isCoin, int x, int y) {
  Player* owner = player.get();
  if (isCoin) {
    pickups.push_back(std::make_unique<Coin>(renderer, level.get(), owner, x, y));
  } else if (std::rand() % 10 < kFirstAttackCharge) {
    pickups.push_back(std::make_unique<HealthPack>(renderer, level.get(), owner, x, y));
  } else {
    pickups.push_back(std::make_unique<AttackCharge>(renderer, level.get(), owner, x, y));
  }
}
