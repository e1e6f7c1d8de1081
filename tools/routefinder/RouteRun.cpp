#include "RouteRun.h"

#include <algorithm>
#include <cstdlib>

#include "app/GameInstance.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/Menu.h"
#include "game/Game.h"

namespace {
constexpr int kClockStartMs = 100000;  // manual clock reading when a route starts
}  // namespace

RouteRun::RouteRun(GameInstance& instance) : instance(instance) {}

bool RouteRun::Start(int levelNumber, unsigned seed) {
  level = levelNumber;
  steps = 0;
  doorEntered = false;
  events.clear();
  std::fill(std::begin(held), std::end(held), false);
  Clock::UseManual(kClockStartMs);
  if (!instance.StartLevel(levelNumber, seed)) return false;
  goldNeeded = rules::GoldNeeded(instance.game->level->coinCount);
  placedCoins.clear();
  placedCoinsTaken = 0;
  for (const auto& item : instance.game->pickups) {
    if (item->kind == kCoinKind) placedCoins.push_back(item.get());
  }
  last = Look();
  return true;
}

void RouteRun::Send(RouteKey key, bool press) {
  bool& state = held[static_cast<int>(key)];
  if (state == press) return;
  state = press;
  if (press) {
    instance.Press(RouteKeyCode(key));
  } else {
    instance.Release(RouteKeyCode(key));
  }
  events.push_back({steps, press, key});
}

void RouteRun::Step() {
  if (Over()) return;
  last = Look();
  instance.Step();
  ++steps;
  // The door stores the results and starts the next level, or after the last
  // level returns to the menu. Routes never press R or Escape, and the end of
  // game over comes only after the player has died.
  bool nextLevelStarted = level < rules::kLastLevel && instance.menu->levelChoice != level;
  bool backToMenu = level == rules::kLastLevel && !instance.playing && last.alive;
  if (nextLevelStarted || backToMenu) {
    doorEntered = true;
    return;  // the pickups are the next level's now
  }
  CountPlacedCoinsTaken();
}

void RouteRun::PlayEvents(const std::vector<RouteEvent>& due, size_t& next, int until,
                          const AfterStep& afterStep) {
  while (steps < until && !Over()) {
    for (; next < due.size() && due[next].step == steps; ++next)
      Send(due[next].key, due[next].press);
    Step();
    if (afterStep && !afterStep()) return;
  }
}

bool RouteRun::Rewind(int levelNumber, unsigned seed, int step,
                      const std::vector<RouteEvent>& keys) {
  const std::vector<RouteEvent> keep = keys;  // keys may be this run's own log
  if (!Start(levelNumber, seed)) return false;
  size_t next = 0;
  PlayEvents(keep, next, step);
  for (; next < keep.size(); ++next) Send(keep[next].key, keep[next].press);
  return true;
}

void RouteRun::CountPlacedCoinsTaken() {
  // A coin taken is removed from the pickups in the step that takes it, and
  // its address leaves the placed list at once, so a drop that later gets
  // the same address is never counted as one of the level's coins.
  const auto& pickups = instance.game->pickups;
  auto gone = std::remove_if(placedCoins.begin(), placedCoins.end(), [&](const PickupItem* coin) {
    return std::none_of(pickups.begin(), pickups.end(),
                        [coin](const auto& item) { return item.get() == coin; });
  });
  placedCoinsTaken += static_cast<int>(placedCoins.end() - gone);
  placedCoins.erase(gone, placedCoins.end());
}

int RouteRun::PlacedGold() const { return placedCoinsTaken * rules::kGoldPerCoin; }

bool RouteRun::Over() const { return doorEntered || !instance.playing; }

bool RouteRun::Alive() const { return instance.game->player && !instance.game->player->dead; }

const Player& RouteRun::Hero() const { return *instance.game->player; }

PlayerView RouteRun::Look() const {
  PlayerView view;
  if (!Alive()) return view;
  const Player& player = Hero();
  view.alive = true;
  view.x = player.x;
  view.y = player.y;
  view.gold = player.gold;
  view.placedGold = PlacedGold();
  view.health = player.health;
  view.ammo = player.ammo;
  return view;
}

RouteOutcome OutcomeOf(const RouteRun& run) {
  RouteOutcome outcome;
  outcome.started = true;
  outcome.doorEntered = run.DoorEntered();
  outcome.stepsRun = run.StepsRun();
  outcome.goldNeeded = run.GoldNeeded();
  outcome.last = run.LastPlayer();
  return outcome;
}

RouteOutcome ReplayRoute(const Route& route, GameInstance& instance,
                         const RouteRun::AfterStep& afterStep) {
  RouteRun run(instance);
  if (!run.Start(route.level, route.seed)) return RouteOutcome{};
  size_t next = 0;
  run.PlayEvents(route.events, next, route.steps, afterStep);
  return OutcomeOf(run);
}

bool Finished(const RouteOutcome& outcome) {
  return outcome.doorEntered && outcome.last.placedGold >= outcome.goldNeeded;
}
