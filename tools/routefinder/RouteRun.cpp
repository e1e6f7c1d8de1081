#include "RouteRun.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "app/Input.h"
#include "base/Clock.h"
#include "base/Rules.h"
#include "frontend/Menu.h"
#include "game/FrameTimers.h"
#include "game/Game.h"

namespace {
constexpr int kClockStartMs = 100000;  // manual clock reading when a route starts

SDL_Event KeyEvent(RouteKey key, bool press) {
  SDL_Event event{};
  event.type = press ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.type = event.type;
  event.key.state = press ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = RouteKeyCode(key);
  event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
  return event;
}
}  // namespace

RouteRun::RouteRun(Game& game, Menu& menu, Input& input, int& playing)
    : game(game), menu(menu), input(input), playing(playing) {}

bool RouteRun::Start(int levelNumber, unsigned seed) {
  level = levelNumber;
  steps = 0;
  doorEntered = false;
  input = Input{};
  std::srand(seed);
  Clock::UseManual(kClockStartMs);
  ResetFrameTimers();
  menu.levelChoice = levelNumber;
  menu.LaunchLevel();
  if (!game.level) return false;
  playing = 1;
  goldNeeded = (game.level->coinCount + 1) / 2 * rules::kGoldPerCoin;
  placedCoins.clear();
  placedCoinsTaken = 0;
  for (const auto& item : game.pickups) {
    if (item->kind == 0) placedCoins.push_back(item.get());
  }
  last = Look();
  return true;
}

void RouteRun::Send(RouteKey key, bool press) {
  SDL_Event event = KeyEvent(key, press);
  if (press) {
    input.OnKeyDown(event);
  } else {
    input.OnKeyUp(event);
  }
}

void RouteRun::Step() {
  if (Over()) return;
  last = Look();
  Clock::Advance(rules::kStepMs);
  game.Update();
  ++steps;
  // The door stores the results and starts the next level, or after the last
  // level returns to the menu. Routes never press R or Escape, and the end of
  // game over comes only after the player has died.
  bool nextLevelStarted = level < rules::kLastLevel && menu.levelChoice != level;
  bool backToMenu = level == rules::kLastLevel && !playing && last.alive;
  if (nextLevelStarted || backToMenu) {
    doorEntered = true;
    return;  // the pickups are the next level's now
  }
  CountPlacedCoinsTaken();
}

void RouteRun::CountPlacedCoinsTaken() {
  // A coin taken is removed from the pickups in the step that takes it, and
  // its address leaves the placed list at once, so a drop that later gets
  // the same address is never counted as one of the level's coins.
  auto gone =
      std::remove_if(placedCoins.begin(), placedCoins.end(), [this](const PickupItem* coin) {
        return std::none_of(game.pickups.begin(), game.pickups.end(),
                            [coin](const auto& item) { return item.get() == coin; });
      });
  placedCoinsTaken += static_cast<int>(placedCoins.end() - gone);
  placedCoins.erase(gone, placedCoins.end());
}

int RouteRun::PlacedGold() const { return placedCoinsTaken * rules::kGoldPerCoin; }

bool RouteRun::Over() const { return doorEntered || !playing; }

PlayerView RouteRun::Look() const {
  PlayerView view;
  const Player* player = game.player.get();
  if (!player || player->dead) return view;
  view.alive = true;
  view.x = player->x;
  view.y = player->y;
  view.gold = player->gold;
  view.placedGold = PlacedGold();
  view.health = player->health;
  view.ammo = player->ammo;
  return view;
}

RouteOutcome ReplayRoute(const Route& route, Game& game, Menu& menu, Input& input, int& playing) {
  RouteOutcome outcome;
  RouteRun run(game, menu, input, playing);
  outcome.started = run.Start(route.level, route.seed);
  if (!outcome.started) return outcome;
  size_t next = 0;
  while (run.StepsRun() < route.steps && !run.Over()) {
    for (; next < route.events.size() && route.events[next].step == run.StepsRun(); ++next)
      run.Send(route.events[next].key, route.events[next].press);
    run.Step();
  }
  outcome.doorEntered = run.DoorEntered();
  outcome.stepsRun = run.StepsRun();
  outcome.goldNeeded = run.GoldNeeded();
  outcome.last = run.LastPlayer();
  return outcome;
}
