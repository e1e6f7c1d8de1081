#include "Route.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "base/Rules.h"

namespace {

struct KeyEntry {
  RouteKey key;
  const char* name;
  SDL_Keycode code;
};

constexpr KeyEntry kKeys[] = {
    {RouteKey::Left, "left", SDLK_LEFT}, {RouteKey::Right, "right", SDLK_RIGHT},
    {RouteKey::Down, "down", SDLK_DOWN}, {RouteKey::Jump, "z", SDLK_z},
    {RouteKey::Shoot, "x", SDLK_x},
};

bool KeyFromName(const std::string& name, RouteKey& key) {
  for (const KeyEntry& entry : kKeys) {
    if (name == entry.name) {
      key = entry.key;
      return true;
    }
  }
  return false;
}

// Reads one whole-number header value; the line must hold nothing else.
bool ReadHeaderValue(std::istringstream& words, long long low, long long high, long long& value) {
  std::string rest;
  return static_cast<bool>(words >> value) && value >= low && value <= high && !(words >> rest);
}

bool ParseEvent(std::istringstream& words, const Route& route, RouteEvent& event) {
  long long step = 0;
  std::string action;
  std::string keyName;
  std::string rest;
  if (!(words >> step >> action >> keyName) || (words >> rest)) return false;
  if (step < 0 || step >= route.steps) return false;
  if (action != "press" && action != "release") return false;
  if (!KeyFromName(keyName, event.key)) return false;
  event.step = static_cast<int>(step);
  event.press = action == "press";
  return true;
}

// Names the faulty line in error; always false, so a parser can return it.
bool Fail(std::string& error, int number, const std::string& what) {
  error = "line " + std::to_string(number) + ": " + what;
  return false;
}
}  // namespace

namespace {
// The three header lines: which have been read, and their values.
struct Header {
  bool level = false;
  bool seed = false;
  bool steps = false;
  bool Complete() const { return level && seed && steps; }
};

bool IsHeaderWord(const std::string& word) {
  return word == "level" || word == "seed" || word == "steps";
}

// Reads the value of header line word into parsed; false with error on a fault.
bool ParseHeader(const std::string& word, std::istringstream& words, int number, Header& header,
                 Route& parsed, std::string& error) {
  if (!parsed.events.empty()) return Fail(error, number, word + " after the events");
  bool& seen = word == "level" ? header.level : word == "seed" ? header.seed : header.steps;
  if (seen) return Fail(error, number, word + " given twice");
  const long long low = word == "steps" ? 1 : 0;
  const long long high = word == "level"  ? rules::kLevelCount - 1
                         : word == "seed" ? std::numeric_limits<unsigned>::max()
                                          : std::numeric_limits<int>::max();
  long long value = 0;
  if (!ReadHeaderValue(words, low, high, value))
    return Fail(error, number, "bad " + word + " value");
  seen = true;
  if (word == "level") parsed.level = static_cast<int>(value);
  if (word == "seed") parsed.seed = static_cast<unsigned>(value);
  if (word == "steps") parsed.steps = static_cast<int>(value);
  return true;
}
}  // namespace

bool ParseRoute(const std::string& text, Route& route, std::string& error) {
  Route parsed;
  Header header;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;  // blank or comment
    if (IsHeaderWord(first)) {
      if (!ParseHeader(first, words, number, header, parsed, error)) return false;
      continue;
    }
    if (!header.Complete())
      return Fail(error, number, "an event before the level, seed and steps lines");
    RouteEvent event;
    std::istringstream eventWords(line);
    if (!ParseEvent(eventWords, parsed, event))
      return Fail(error, number,
                  "expected '<step> press|release left|right|down|z|x' with a step below the "
                  "step count");
    if (!parsed.events.empty() && event.step < parsed.events.back().step)
      return Fail(error, number, "events out of step order");
    parsed.events.push_back(event);
  }
  if (!header.Complete()) {
    error = "the level, seed or steps line is missing";
    return false;
  }
  route = parsed;
  return true;
}

bool ReadRoute(const std::string& path, Route& route, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (!ParseRoute(text.str(), route, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::string FormatRoute(const Route& route, const std::string& comment) {
  std::ostringstream text;
  text << "# " << comment << "\n";
  text << "level " << route.level << "\n";
  text << "seed " << route.seed << "\n";
  text << "steps " << route.steps << "\n";
  for (const RouteEvent& event : route.events) {
    text << event.step << (event.press ? " press " : " release ") << RouteKeyName(event.key)
         << "\n";
  }
  return text.str();
}

bool WriteRoute(const std::string& path, const Route& route, const std::string& comment) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << FormatRoute(route, comment);
  return static_cast<bool>(file.flush());
}

std::vector<std::string> LevelRouteFiles(const std::string& folder, int level) {
  namespace fs = std::filesystem;
  const std::string stem = "Level" + std::to_string(level);
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".route") continue;
    if (name == stem + ".route" || name.rfind(stem + "-", 0) == 0) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

const char* RouteKeyName(RouteKey key) {
  for (const KeyEntry& entry : kKeys) {
    if (entry.key == key) return entry.name;
  }
  return "?";
}

SDL_Keycode RouteKeyCode(RouteKey key) {
  for (const KeyEntry& entry : kKeys) {
    if (entry.key == key) return entry.code;
  }
  return SDLK_UNKNOWN;
}
