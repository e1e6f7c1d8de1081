#include "Driver.h"

#include <algorithm>

#include "game/Game.h"

Driver::Driver(Game& game, Menu& menu, Input& input, int& playing)
    : game(game), run(game, menu, input, playing) {}

bool Driver::Start(int level, unsigned seed) {
  events.clear();
  std::fill(std::begin(held), std::end(held), false);
  return run.Start(level, seed);
}

void Driver::Set(RouteKey key, bool down) {
  bool& state = held[static_cast<int>(key)];
  if (state == down) return;
  state = down;
  run.Send(key, down);
  events.push_back({run.StepsRun(), down, key});
}

bool Driver::Finished() const { return run.Over() || !Alive(); }

bool Driver::Alive() const { return game.player && !game.player->dead; }

const Player& Driver::Hero() const { return *game.player; }

bool Driver::Rewind(int level, unsigned seed, int step, size_t eventCount) {
  std::vector<RouteEvent> keep(events.begin(),
                               events.begin() + static_cast<std::ptrdiff_t>(eventCount));
  if (!Start(level, seed)) return false;
  size_t next = 0;
  while (run.StepsRun() < step) {
    for (; next < keep.size() && keep[next].step == run.StepsRun(); ++next)
      Set(keep[next].key, keep[next].press);
    Step();
  }
  for (; next < keep.size(); ++next) Set(keep[next].key, keep[next].press);
  return true;
}
