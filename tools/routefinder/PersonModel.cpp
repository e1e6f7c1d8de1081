#include "PersonModel.h"

#include <algorithm>
#include <map>
#include <random>

namespace {
// Steps a jittered replay may run past the route's own end: a walk held a
// little longer or shorter can bring the door a second or two later.
constexpr int kJitterRoomSteps = 250;

std::string Describe(const RouteEvent& event, const std::string& fault) {
  return "step " + std::to_string(event.step) + ", " + (event.press ? "press " : "release ") +
         RouteKeyName(event.key) + ": " + fault;
}
}  // namespace

double EventsPerSecond(const Route& route) {
  return static_cast<double>(route.events.size()) / (route.steps * rules::kStepSeconds);
}

int BusiestWindow(const Route& route) {
  int busiest = 0;
  size_t first = 0;
  for (size_t last = 0; last < route.events.size(); ++last) {
    while (route.events[last].step - route.events[first].step >= person::kWindowSteps) ++first;
    busiest = std::max(busiest, static_cast<int>(last - first + 1));
  }
  return busiest;
}

std::string Pace::Add(const RouteEvent& event) {
  KeyState& key = keys[event.key];
  if (event.press == key.down)
    return Describe(event, event.press ? "the key is already down" : "the key is not down");
  const int least = event.press ? person::kMinGapSteps : person::kMinHoldSteps;
  if (event.step - key.since < least)
    return Describe(event, std::to_string(event.step - key.since) + " steps after the last " +
                               "change of this key, a person needs " + std::to_string(least));
  key.down = event.press;
  key.since = event.step;
  ++count;
  window.push_back(event.step);
  while (event.step - window.front() >= person::kWindowSteps) window.pop_front();
  if (static_cast<int>(window.size()) > person::kMaxEventsPerWindow)
    return Describe(event, std::to_string(window.size()) + " key changes within one second");
  return "";
}

std::string Pace::AverageFault(int steps) const {
  const double perSecond = static_cast<double>(count) / (steps * rules::kStepSeconds);
  if (perSecond > person::kMaxEventsPerSecond)
    return std::to_string(perSecond) + " key changes a second on average";
  return "";
}

std::string BreaksPersonModel(const Route& route) {
  Pace pace;
  for (const RouteEvent& event : route.events) {
    const std::string fault = pace.Add(event);
    if (!fault.empty()) return fault;
  }
  return pace.AverageFault(route.steps);
}

Route Jittered(const Route& route, unsigned seed, int error) {
  Route moved = route;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> shift(-error, error);
  for (RouteEvent& event : moved.events) event.step = std::max(0, event.step + shift(random));
  // A key is never let go before it was pressed, nor pressed before it was let go.
  std::map<RouteKey, int> lastStep;
  for (size_t i = 0; i < route.events.size(); ++i) {
    auto previous = lastStep.find(route.events[i].key);
    if (previous != lastStep.end())
      moved.events[i].step = std::max(moved.events[i].step, previous->second + 1);
    lastStep[route.events[i].key] = moved.events[i].step;
  }
  std::stable_sort(moved.events.begin(), moved.events.end(),
                   [](const RouteEvent& a, const RouteEvent& b) { return a.step < b.step; });
  const int lastEvent = moved.events.empty() ? 0 : moved.events.back().step;
  moved.steps = std::max(route.steps, lastEvent + 1) + kJitterRoomSteps;
  return moved;
}
