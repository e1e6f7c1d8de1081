#pragma once

// The game's rules, each written once: the step, the grid, the levels, the
// player's health and tuning, and the door's gold. The game reads them from
// here, and so do the tools and tests that need to know them.
namespace rules {

// --- Time ---
constexpr int kStepMs = 8;                         // a step runs once this much time has gathered
constexpr double kStepSeconds = kStepMs / 1000.0;  // the same step in seconds
constexpr int kStepsPerSecond = 1000 / kStepMs;    // 125

// --- The grid and the levels ---
constexpr int kTileSize = 32;    // pixels per tile side
constexpr int kLevelCount = 10;  // levels 0 to 9 in files and the save, shown 1 to 10
constexpr int kLastLevel = kLevelCount - 1;

// --- Physics ---
constexpr float kGravity = 650.0f;  // pixels per second per second, set on every level

// --- The player ---
constexpr int kFullHealth = 100;        // health at the start and the most any character has
constexpr float kAcceleration = 40.0f;  // pixels per step gained per second of holding an arrow
constexpr float kDeceleration = 32.0f;  // pixels per step lost per second, always
constexpr float kMaxSpeed = 20.0f;      // pixels per step
constexpr float kBounce = 4.0f;         // landing factor
constexpr float kJumpImpulse = 350.0f;  // pixels per second, upward

// --- Fighting ---
constexpr int kBulletDamage = 10;  // health a bullet takes from the enemy it hits

// --- Gold and the door ---
constexpr int kGoldPerCoin = 10;    // gold a coin adds
constexpr float kExitShare = 0.5f;  // share of the level's gold the door asks for

// The least gold that opens the door of a level with coinCount coins, in
// whole coins: the exit test's share of their gold, rounded up to a coin.
constexpr int GoldNeeded(int coinCount) { return (coinCount + 1) / 2 * kGoldPerCoin; }

}  // namespace rules
