#include "actors/Character.h"

#include <cmath>

#include "base/Clock.h"
#include "base/Rules.h"
#include "game/FrameTimers.h"
#include "gfx/AnimationSet.h"
#include "level/Level.h"

namespace {
constexpr float kCeilingBounce = -0.25f;  // share of gravity sent downward after a ceiling hit
constexpr float kRestSpeed = 0.2f;        // pixels per second below which a landing stops dead
constexpr int kDefaultFrameDelay = 100;   // milliseconds between animation frames

// Adds delta to value in double precision and rounds back to single precision.
float AddDouble(float value, double delta) {
  return static_cast<float>(static_cast<double>(value) + delta);
}

// Moves coordinate by step pixels at a time (step's sign is the way) until
// distance is covered, or until blocked() says the last step went into a
// wall, which is then taken back.
template <typename Blocked>
void StepUntilBlocked(float& coordinate, double step, float distance, Blocked blocked) {
  float moved = 0.0f;
  if (distance <= 0.0f) return;
  do {
    coordinate = AddDouble(coordinate, step);
    if (blocked()) {
      coordinate = AddDouble(coordinate, -step);
      return;
    }
    moved = AddDouble(moved, std::fabs(step));
  } while (distance > moved);
}
}  // namespace

Character::Character(SDL_Renderer* renderer, Level* level, const std::string& spriteListPath,
                     Audio* audio, int x, int y)
    : renderer(renderer),
      level(level),
      audio(audio),
      x(static_cast<float>(x)),
      y(static_cast<float>(y)),
      frames(LoadAnimationSet(renderer, spriteListPath)),
      nextFrameTime(0),
      frameDelay(kDefaultFrameDelay),
      frameIndex(0),
      dead(false) {}

Character::~Character() = default;

// --- Probes: each asks the level about one run of pixels along an edge. ---

bool Character::WallAtLeftEdge() const {
  return level->WallInColumn(static_cast<int>(x), static_cast<int>(y), CurrentFrame()->height - 1);
}

bool Character::WallAtRightEdge() const {
  const Sprite* frame = CurrentFrame();
  return level->WallInColumn(static_cast<int>(static_cast<float>(frame->width - 1) + x),
                             static_cast<int>(y), frame->height - 1);
}

bool Character::WallAtHead() const {
  return level->WallInRow(static_cast<int>(x), CurrentFrame()->width - 1, static_cast<int>(y));
}

bool Character::WallAtBottomRow() const {
  const Sprite* frame = CurrentFrame();
  return level->WallInRow(static_cast<int>(x), frame->width - 1,
                          static_cast<int>(static_cast<float>(frame->height - 1) + y));
}

bool Character::OnTopOfPlatformRow() const {
  // The bottom edge has just crossed into a new tile row.
  float bottom = static_cast<float>(CurrentFrame()->height) + y;
  return static_cast<int>(bottom - 1.0f) / level->tileSize !=
         static_cast<int>(bottom) / level->tileSize;
}

bool Character::Standing() const {
  const Sprite* frame = CurrentFrame();
  int underFeet = static_cast<int>(static_cast<float>(frame->height) + y);
  int column = static_cast<int>(x);
  if (level->WallInRow(column, frame->width - 1, underFeet)) return true;
  return level->PlatformInRow(column, frame->width - 1, underFeet) && OnTopOfPlatformRow();
}

bool Character::OutsideLevel() const {
  float t = static_cast<float>(level->tileSize);
  if (y / t > static_cast<float>(level->rows - 1) || y / t < 0.0f) return true;
  return x / t > static_cast<float>(level->columns) || x / t < 0.0f;
}

// --- The virtual operations. ---

void Character::Update() {
  if (OutsideLevel()) dead = true;
}

void Character::ChangeHealth(int delta) {
  health = health + delta;
  if (health > rules::kFullHealth) {
    health = rules::kFullHealth;
  } else if (health <= 0) {
    dead = true;
  }
}

// --- Movement in sub-steps of deltaSeconds pixels. ---

void Character::MoveLeft() {
  StepUntilBlocked(x, -deltaSeconds, leftSpeed, [this] { return WallAtLeftEdge(); });
}

void Character::MoveRight() {
  StepUntilBlocked(x, deltaSeconds, rightSpeed, [this] { return WallAtRightEdge(); });
}

void Character::MoveUp(float distance) {
  StepUntilBlocked(y, -deltaSeconds, distance, [this] { return WallAtHead(); });
}

void Character::MoveDown(float distance, bool unitSteps) {
  const float step = unitSteps ? 1.0f : static_cast<float>(deltaSeconds);
  float moved = 0.0f;
  if (distance <= 0.0f) return;
  const float lastRow = static_cast<float>(level->rows - 1);
  const float t = static_cast<float>(level->tileSize);
  do {
    y = y + step;
    if (y / t > lastRow) {
      dead = true;  // fell out of the bottom of the level
      return;
    }
    if (WallAtBottomRow()) {
      y = y - step;
      return;
    }
    const Sprite* frame = CurrentFrame();
    int underFeet = static_cast<int>(static_cast<float>(frame->height) + y);
    if (level->PlatformInRow(static_cast<int>(x), frame->width - 1, underFeet) &&
        OnTopOfPlatformRow())
      return;  // landed on a platform
    moved = moved + step;
  } while (distance > moved);
}

void Character::ApplyGravity() {
  const float gravity = level->gravity;
  verticalSpeed = AddDouble(verticalSpeed, -static_cast<double>(gravity) * deltaSeconds);
  const Sprite* frame = CurrentFrame();
  bool headBlocked =
      level->WallInRow(static_cast<int>(x), frame->width - 1, static_cast<int>(y - 1.0f));

  // Rising.
  if (verticalSpeed > 0.0f && !headBlocked) {
    MoveUp(static_cast<float>(static_cast<double>(verticalSpeed) * deltaSeconds));
    return;
  }
  // Falling: a ceiling hit sends the character down at a fixed speed at once.
  if (!Standing()) {
    if (headBlocked) verticalSpeed = gravity * kCeilingBounce;
    MoveDown(static_cast<float>(-static_cast<double>(verticalSpeed) * deltaSeconds), false);
    return;
  }
  // Landed: a small rebound proportional to the impact, or rest.
  if (verticalSpeed > kRestSpeed || verticalSpeed < -kRestSpeed) {
    verticalSpeed = static_cast<float>(static_cast<double>(bounce) * deltaSeconds *
                                       std::fabs(static_cast<double>(verticalSpeed)));
  } else {
    verticalSpeed = 0.0f;
  }
}

void Character::Jump(float impulse) {
  const Sprite* frame = CurrentFrame();
  float bottom = static_cast<float>(frame->height) + y;
  int probeRow = static_cast<int>(bottom + 1.0f);
  int column = static_cast<int>(x);
  bool wall = level->WallInRow(column, frame->width - 1, probeRow);
  bool platform = level->PlatformInRow(column, frame->width - 1, probeRow);
  int t = level->tileSize;
  if (wall || (platform && static_cast<int>(bottom - 1.0f) / t != probeRow / t))
    verticalSpeed = impulse;
}

void Character::Translate(float dx, float dy) {
  x = x + dx;
  y = y + dy;
  const Sprite* frame = CurrentFrame();
  const int w = frame->width;
  const int h = frame->height;
  const int t = level->tileSize;
  if (dx < 0.0f) {
    while (WallAtLeftEdge()) x = x + 1.0f;
  } else if (dx > 0.0f) {
    while (level->WallInColumn(static_cast<int>(static_cast<float>(w) + x - 1.0f),
                               static_cast<int>(y), h - 1))
      x = x - 1.0f;
  }
  if (dy < 0.0f) {
    while (WallAtHead()) y = y + 1.0f;
  } else if (dy > 0.0f) {
    while (true) {
      int bottomRow = static_cast<int>(static_cast<float>(h) + y - 1.0f);
      if (level->WallInRow(static_cast<int>(x), w - 1, bottomRow)) {
        y = y - 1.0f;
      } else if (level->PlatformInRow(static_cast<int>(x), w - 1, bottomRow) &&
                 bottomRow / t != static_cast<int>(static_cast<float>(h) + y) / t) {
        y = y - 1.0f;
      } else {
        break;
      }
    }
  }
}

void Character::Draw() {
  Sprite* frame = CurrentFrame();
  if (!level->InView(static_cast<int>(x), static_cast<int>(y), frame->width, frame->height)) return;
  frame->DrawFacing(facing != kFacingLeft, static_cast<int>(x - level->cameraX),
                    static_cast<int>(y - level->cameraY));
}

void Character::AdvanceFrame() {
  if (Clock::Now() <= nextFrameTime) return;
  frameIndex = frameIndex + 1 >= frames.size() ? 0 : frameIndex + 1;
  nextFrameTime = Clock::Now() + frameDelay;
}
