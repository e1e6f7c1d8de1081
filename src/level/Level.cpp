#include "level/Level.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "actors/Door.h"
#include "base/LineReader.h"
#include "base/Rules.h"
#include "game/Game.h"
#include "gfx/TextRenderer.h"

namespace {
constexpr int kExitMessagePoints = 12;  // point size of the coins message
// The largest grid a level may have: every cell is a path cell, and every
// wall or platform loads its own tile, so a vast grid would take minutes to
// build and gigabytes to hold. Shipped levels are a few thousand cells.
constexpr long long kMaxCells = 250000;
constexpr char kWall = 'W';
constexpr char kPlatform = 'P';
}  // namespace

Level::Level(SDL_Window* window, SDL_Renderer* renderer, const std::string& path, int columns,
             int rows, Game* game)
    : window(window),
      renderer(renderer),
      tileSize(rules::kTileSize),
      columns(columns),
      rows(rows),
      game(game),
      search(nodes, columns, rows) {
  LineReader reader(path);
  std::string line;
  while (reader.Next(line)) lines.push_back(line);
  coinCount = 0;
}

Level::~Level() {
  // Tiles, then path cells, then the door; the lines go last.
  tiles.clear();
  nodes.clear();
  door.reset();
}

char Level::Cell(int column, int row) const {
  // Outside the grid, or past the end of a short line, there is nothing.
  if (row < 0 || row >= static_cast<int>(lines.size()) || column < 0) return '\0';
  const std::string& line = lines[row];
  if (column >= static_cast<int>(line.size())) return '\0';
  return line[column];
}

bool Level::RunHas(int x, int span, int y, char code) const {
  if (span <= 0) return false;
  int row = y / tileSize;
  if (row < 0 || row >= static_cast<int>(lines.size())) return false;
  const std::string& line = lines[row];
  // Walk the run a cell at a time: the same answer as pixel by pixel.
  int first = x / tileSize;
  int last = (x + span - 1) / tileSize;
  for (int column = first; column <= last; ++column) {
    if (column >= 0 && column < static_cast<int>(line.size()) && line[column] == code) return true;
  }
  return false;
}

bool Level::WallInColumn(int x, int y, int span) const {
  if (span <= 0) return false;
  int column = x / tileSize;
  int first = y / tileSize;
  int last = (y + span - 1) / tileSize;
  for (int row = first; row <= last; ++row) {
    if (Cell(column, row) == kWall) return true;
  }
  return false;
}

bool Level::WallInRow(int x, int span, int y) const { return RunHas(x, span, y, kWall); }

bool Level::PlatformInRow(int x, int span, int y) const { return RunHas(x, span, y, kPlatform); }

void Level::SetCamera(int x, int y) {
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  auto clamp = [this](int wanted, int windowSize, int cells) {
    // The far edge's cell is worked out in 64 bits so that a wanted position
    // near the int limit cannot overflow. The far limit is tested first, so a
    // level smaller than the window sits at that (negative) limit.
    const long long farCell = (static_cast<long long>(windowSize) - 1 + wanted) / tileSize;
    if (farCell < cells && wanted > 0) return wanted;
    if (farCell >= cells) return cells * tileSize - windowSize + 1;
    return 0;
  };
  cameraX = static_cast<float>(clamp(x, width, columns));
  cameraY = static_cast<float>(clamp(y, height, rows));
}

bool Level::InView(int x, int y, int width, int height) const {
  int windowWidth = 0;
  int windowHeight = 0;
  SDL_GetWindowSize(window, &windowWidth, &windowHeight);
  const int t = tileSize;
  const float tf = static_cast<float>(t);
  return static_cast<float>((x + width) / t) > cameraX / tf &&
         static_cast<float>((y + height) / t) > cameraY / tf &&
         (cameraX + static_cast<float>(windowWidth)) / tf > static_cast<float>(x / t) &&
         (cameraY + static_cast<float>(windowHeight)) / tf > static_cast<float>(y / t);
}

void Level::Draw() {
  // Build records which tile lies in which cell; a level whose tiles came
  // some other way draws them all, as the renderer clips what lies outside.
  const bool indexed = !cellTiles.empty() &&
                       cellTiles.size() == static_cast<size_t>(rows) * columns &&
                       indexedTiles == tiles.size();
  if (!indexed) {
    for (const auto& tile : tiles) DrawTile(*tile);
    if (door) door->Draw();
    return;
  }
  // Only the cells whose tile could reach a pixel of the window are visited,
  // a cell more on every side, in the order Build made the tiles: those left
  // out would be clipped away whole, so the window shows the same pixels.
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  const double t = tileSize;
  auto cell = [](double index, int last) {
    if (!(index >= 0.0)) return 0;  // below the grid, or not a number
    return index >= last ? last : static_cast<int>(index);
  };
  const int firstColumn = cell(std::floor((cameraX - widestTile) / t) - 1, columns - 1);
  const int lastColumn = cell(std::floor((cameraX + width) / t) + 1, columns - 1);
  const int firstRow = cell(std::floor((cameraY - tallestTile) / t) - 1, rows - 1);
  const int lastRow = cell(std::floor((cameraY + height) / t) + 1, rows - 1);
  for (int r = firstRow; r <= lastRow; ++r) {
    const int* rowTiles = &cellTiles[static_cast<size_t>(r) * columns];
    for (int c = firstColumn; c <= lastColumn; ++c) {
      if (rowTiles[c] >= 0) DrawTile(*tiles[rowTiles[c]]);
    }
  }
  if (door) door->Draw();
}

void Level::DrawTile(const Sprite& tile) const {
  if (!tile.texture) return;
  SDL_Rect destination{static_cast<int>(static_cast<float>(tile.x) - cameraX),
                       static_cast<int>(static_cast<float>(tile.y) - cameraY), tile.width,
                       tile.height};
  SDL_RenderCopy(tile.renderer, tile.texture, nullptr, &destination);
}

void Level::CheckExit() {
  if (!door || !game || !game->player) return;
  const Player& player = *game->player;
  float t = static_cast<float>(tileSize);
  bool inDoorCell = static_cast<int>(door->x / t) == static_cast<int>(player.x / t) &&
                    static_cast<int>(door->y / t) == static_cast<int>(player.y / t);
  if (static_cast<float>(player.gold) >=
      static_cast<float>(coinCount * rules::kGoldPerCoin) * rules::kExitShare) {
    if (inDoorCell) door->Enter();
    return;
  }
  int held = player.gold > 0 ? player.gold / rules::kGoldPerCoin : 0;
  int missing = (coinCount + 1) / 2 - held;
  char message[64];
  std::snprintf(message, sizeof message, "You need %i coins to exit", missing);
  game->text->DrawText(message, kExitMessagePoints, static_cast<int>(door->x - cameraX),
                       static_cast<int>(door->y - cameraY));
}

void Level::FindPath(int startCol, int startRow, int goalCol, int goalRow, int& nextCol,
                     int& nextRow) {
  search.Find(startCol, startRow, goalCol, goalRow, nextCol, nextRow);
}

void Level::Build() {
  const int t = tileSize;
  const size_t cells = static_cast<size_t>(rows > 0 ? rows : 0) * (columns > 0 ? columns : 0);
  nodes.reserve(cells);
  cellTiles.assign(cells, -1);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      PathNode node;
      node.col = c;
      node.row = r;
      char ch = Cell(c, r);
      switch (ch) {
        case kWall:
        case kPlatform: {
          auto tile =
              std::make_unique<Sprite>(renderer, ch == kWall ? "Resources/Assets/Wall.bmp"
                                                             : "Resources/Assets/Platform.bmp");
          tile->x = c * t;
          tile->y = r * t;
          widestTile = std::max(widestTile, tile->width);
          tallestTile = std::max(tallestTile, tile->height);
          cellTiles[static_cast<size_t>(r) * columns + c] = static_cast<int>(tiles.size());
          tiles.push_back(std::move(tile));
          node.blocked = true;
          break;
        }
        case 'S':
          startX = c * t;
          startY = r * t;
          break;
        case 'E':
          game->SpawnEnemy(c * t, r * t);
          break;
        case 'I':
          game->SpawnPickup(false, c * t, r * t);
          break;
        case 'C':
          coinCount = coinCount + 1;
          game->SpawnPickup(true, c * t, r * t);
          break;
        case 'D':
          // A later door cell replaces an earlier one, which is released now.
          door = std::make_unique<Door>(renderer, game, game->menu, this, game->player.get(), c * t,
                                        r * t);
          break;
        default:
          break;
      }
      nodes.push_back(node);
    }
  }
  indexedTiles = tiles.size();
  search.LabelRegions();
}

std::string Level::Unplayable() const {
  if (lines.empty() || columns <= 0 || rows <= 0) return "the level file is missing or empty";
  const long long cells = static_cast<long long>(columns) * rows;
  if (cells > kMaxCells) {
    return "the level has " + std::to_string(cells) + " cells, more than the " +
           std::to_string(kMaxCells) + " a level may hold";
  }
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      if (Cell(c, r) == 'S') return "";
  return "the level has no start cell 'S'";
}
