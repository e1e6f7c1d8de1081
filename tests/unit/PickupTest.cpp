// Coins, health packs and attack charges: when they are taken and what they give.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "actors/AttackCharge.h"
#include "actors/Coin.h"
#include "actors/HealthPack.h"
#include "actors/PickupItem.h"
#include "actors/Player.h"
#include "game/FrameTimers.h"
#include "harness/GameHarness.h"
#include "harness/Harness.h"
#include "harness/TestContent.h"
#include "level/Level.h"

namespace {

// A private run folder with an open room, a 24 x 30 player standing in it
// and 32 x 32 item bitmaps.
struct Room {
  Room() {
    session.folder.CopyAssets();
    harness::WriteBitmap("Resources/Assets/TestPlayer.bmp", 24, 30, SDL_Color{230, 200, 40, 255});
    for (const char* item : {"Coin", "HealthPack", "AttackCharge"})
      harness::WriteBitmap(std::string("Resources/Assets/") + item + ".bmp", 32, 32,
                           SDL_Color{230, 200, 40, 255});
    session.folder.Write("Resources/Data/PlayerSpriteList.txt", "TestPlayer.bmp\n");
    session.folder.Write(
        "Resources/Data/Level0.txt",
        "WWWWWWWWWW\nW........W\nW........W\nW........W\nW........W\nWWWWWWWWWW\n");
    level = std::make_unique<Level>(harness::Window(), harness::Renderer(),
                                    "Resources/Data/Level0.txt", 10, 6, &session.game);
    level->gravity = 650.0f;
    player = std::make_unique<Player>(harness::Renderer(), level.get(), &session.input,
                                      &session.game, nullptr, 0, 0);
    player->x = 100.0f;
    player->y = 100.0f;
  }

  // An item of the given kind with its top-left corner on the player's.
  template <typename Kind>
  std::unique_ptr<Kind> Under() {
    return std::make_unique<Kind>(harness::Renderer(), level.get(), player.get(),
                                  static_cast<int>(player->x), static_cast<int>(player->y));
  }

  harness::GameSession session;
  std::unique_ptr<Level> level;
  std::unique_ptr<Player> player;
};

TEST(Pickups, KindsAndValues) {
  Room room;
  auto coin = room.Under<Coin>();
  auto pack = room.Under<HealthPack>();
  auto charge = room.Under<AttackCharge>();
  EXPECT_EQ(coin->kind, 0);
  EXPECT_EQ(pack->kind, 1);
  EXPECT_EQ(charge->kind, 2);
  for (PickupItem* item :
       {static_cast<PickupItem*>(coin.get()), static_cast<PickupItem*>(pack.get()),
        static_cast<PickupItem*>(charge.get())}) {
    EXPECT_EQ(item->value, 10) << "kind " << item->kind;
    EXPECT_FALSE(item->collected) << "kind " << item->kind;
    EXPECT_EQ(item->sprite->width, 32) << "kind " << item->kind << ": its bitmap was loaded";
  }
}

TEST(Pickups, CoinIsTakenWhateverThePlayerHolds) {
  Room room;
  struct Case {
    int health, ammo, gold;
  };
  for (const Case& c : {Case{100, 50, 0}, Case{5, 0, 30}, Case{60, 10, 100000}}) {
    room.player->health = c.health;
    room.player->ammo = c.ammo;
    room.player->gold = c.gold;
    auto coin = room.Under<Coin>();
    coin->Update();
    EXPECT_TRUE(coin->collected) << "health " << c.health << ", ammo " << c.ammo;
    EXPECT_EQ(room.player->gold, c.gold + 10) << "no cap on gold";
    EXPECT_EQ(room.player->health, c.health);
    EXPECT_EQ(room.player->ammo, c.ammo);
  }
}

TEST(Pickups, HealthPackOnlyBelowFullHealth) {
  Room room;
  auto pack = room.Under<HealthPack>();
  pack->Update();
  pack->Update();
  EXPECT_FALSE(pack->collected) << "at 100 health the pack stays, however often it is touched";
  EXPECT_EQ(room.player->health, 100);

  struct Case {
    int health, expected;
  };
  for (const Case& c : {Case{95, 100}, Case{99, 100}, Case{50, 60}, Case{1, 11}}) {
    room.player->health = c.health;
    auto fresh = room.Under<HealthPack>();
    fresh->Update();
    EXPECT_TRUE(fresh->collected) << "at health " << c.health;
    EXPECT_EQ(room.player->health, c.expected) << "at health " << c.health;
  }
}

TEST(Pickups, HealthPackDuringInvulnerabilityIsWasted) {
  Room room;
  room.player->ChangeHealth(-20);
  ASSERT_TRUE(room.player->invulnerable);
  ASSERT_EQ(room.player->health, 80);
  auto pack = room.Under<HealthPack>();
  pack->Update();
  EXPECT_TRUE(pack->collected) << "taken anyway";
  EXPECT_EQ(room.player->health, 80) << "heals nothing inside the window";
}

TEST(Pickups, AttackChargeUpToFiftyShots) {
  Room room;
  struct Case {
    int ammo, expected;
    bool taken;
  };
  for (const Case& c : {Case{45, 50, true}, Case{49, 50, true}, Case{50, 50, false},
                        Case{0, 10, true}, Case{10, 20, true}}) {
    room.player->ammo = c.ammo;
    auto charge = room.Under<AttackCharge>();
    charge->Update();
    EXPECT_EQ(charge->collected, c.taken) << "at " << c.ammo << " shots";
    EXPECT_EQ(room.player->ammo, c.expected) << "at " << c.ammo << " shots";
  }
}

TEST(Pickups, TouchingIncludesTheEdges) {
  Room room;
  // A 32-pixel item at (64, 64) covers 64..95 both ways; the player's box is
  // 24 x 30, so its right edge is x + 23 and its bottom edge y + 29.
  struct Case {
    float x, y;
    bool touches;
  };
  const Case cases[] = {
      {41.0f, 70.0f, true}, {40.0f, 70.0f, false}, {40.99f, 70.0f, false},  // right edge 64 / 63
      {95.0f, 70.0f, true}, {96.0f, 70.0f, false}, {95.99f, 70.0f, true},   // left edge 95 / 96
      {70.0f, 35.0f, true}, {70.0f, 34.0f, false},                          // bottom edge 64 / 63
      {70.0f, 95.0f, true}, {70.0f, 96.0f, false},                          // top edge 95 / 96
      {41.0f, 35.0f, true}, {40.0f, 34.0f, false},                          // corners
  };
  for (const Case& c : cases) {
    room.player->x = c.x;
    room.player->y = c.y;
    room.player->gold = 0;
    Coin coin(harness::Renderer(), room.level.get(), room.player.get(), 64, 64);
    EXPECT_EQ(coin.TouchesPlayer(), c.touches) << "player at (" << c.x << ", " << c.y << ")";
    coin.Update();
    EXPECT_EQ(coin.collected, c.touches) << "player at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(room.player->gold, c.touches ? 10 : 0) << "player at (" << c.x << ", " << c.y << ")";
  }
}

TEST(Pickups, TheBaseItemHasNoEffect) {
  Room room;
  PickupItem plain(harness::Renderer(), room.level.get(), "Resources/Assets/Coin.bmp",
                   room.player.get(), static_cast<int>(room.player->x),
                   static_cast<int>(room.player->y));
  ASSERT_TRUE(plain.TouchesPlayer());
  room.player->health = 50;
  plain.Update();
  EXPECT_FALSE(plain.collected);
  EXPECT_EQ(room.player->gold, 0);
  EXPECT_EQ(room.player->health, 50);
  EXPECT_EQ(room.player->ammo, 10);
}

}  // namespace
