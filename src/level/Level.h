#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Rules.h"
#include "gfx/Sprite.h"
#include "level/PathNode.h"
#include "level/PathSearch.h"

class Game;
class Door;

// The running level: the file's lines as the tile grid (32-pixel tiles), the
// wall and platform sprites, the path cells, the door, camera and gravity.
class Level {
 public:
  // Reads the file at path into lines (LF or CR LF); columns and rows are the
  // grid's size as measured by the menu. A missing file leaves lines empty.
  Level(SDL_Window* window, SDL_Renderer* renderer, const std::string& path, int columns, int rows,
        Game* game);
  // Frees tiles, path cells and the door.
  ~Level();
  Level(const Level&) = delete;
  Level& operator=(const Level&) = delete;

  // True if any pixel (x, y + i), 0 <= i < span, lies in a wall cell.
  bool WallInColumn(int x, int y, int span) const;
  // True if any pixel (x + i, y), 0 <= i < span, lies in a wall cell.
  bool WallInRow(int x, int span, int y) const;
  // True if any pixel (x + i, y), 0 <= i < span, lies in a platform cell.
  bool PlatformInRow(int x, int span, int y) const;
  // Places the camera at the wanted level position, kept inside the level.
  void SetCamera(int x, int y);
  // Draws every tile that reaches the window, then the door. Tiles made by
  // Build must keep their places, sizes and order (they do for the level's life).
  void Draw();
  // The exit test: lets the player out through the door with enough gold,
  // otherwise shows how many coins are missing. Needs a live player.
  void CheckExit();
  // The next cell on a path from (startCol, startRow) to (goalCol, goalRow),
  // or (-1, -1) when there is none. Reads only the cells' blocked flags, which
  // must not change after Build (the regions of open cells are labelled there).
  // Allocates nothing: Build makes room for every cell in the open list.
  void FindPath(int startCol, int startRow, int goalCol, int goalRow, int& nextCol, int& nextRow);
  // Creates the tiles, path cells, start, door and (through the game) the
  // enemies and pickups from the grid. Called once, after the player exists.
  void Build();
  // Why this level cannot be played (an empty or oversized grid, no start
  // cell), or empty when it can.
  std::string Unplayable() const;

  // The on-screen test of everything drawn at a level position: whole tiles
  // on the object's side, so it may be drawn up to a tile past the right and
  // bottom edges and vanish up to a tile early at the left and top.
  bool InView(int x, int y, int width, int height) const;
  // The grid cell at (column, row), or '\0' outside the grid or past a short line.
  char Cell(int column, int row) const;

  SDL_Window* window = nullptr;      // not owned
  SDL_Renderer* renderer = nullptr;  // not owned
  int tileSize = rules::kTileSize;
  int columns = 0;
  int rows = 0;
  int coinCount = 0;
  int startX = 0;
  int startY = 0;
  float cameraX = 0.0f;
  float cameraY = 0.0f;
  float gravity = 0.0f;        // pixels per second per second; set by the game after Build
  Game* game = nullptr;        // not owned
  std::unique_ptr<Door> door;  // null in a level without a door cell
  std::vector<std::string> lines;
  std::vector<std::unique_ptr<Sprite>> tiles;
  std::vector<PathNode> nodes;  // row-major, index row * columns + column

 private:
  bool RunHas(int x, int span, int y, char code) const;
  void DrawTile(const Sprite& tile) const;

  // Which tile Build made in each cell (an index into tiles, or -1), row-major,
  // so that drawing visits only the cells near the window.
  std::vector<int> cellTiles;
  size_t indexedTiles = 0;  // tiles.size() when the index was made
  int widestTile = 0;       // pixels, the largest tile width
  int tallestTile = 0;      // pixels, the largest tile height

  PathSearch search;  // over nodes; its regions are labelled by Build
};
