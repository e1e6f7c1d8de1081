// Drawing the level's tiles: the tiles that cannot reach the window are left
// out, and what the window shows must be exactly what drawing every tile at
// its place, on screen or not, shows.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "harness/Harness.h"
#include "level/Level.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;

std::vector<Uint32> ReadWindow() {
  std::vector<Uint32> pixels(static_cast<size_t>(kWindowWidth) * kWindowHeight);
  SDL_RenderReadPixels(harness::Renderer(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                       kWindowWidth * 4);
  return pixels;
}

// Every tile copied at its camera-relative place, the renderer left to clip.
std::vector<Uint32> EveryTileDrawn(const Level& level) {
  harness::ClearWindow();
  for (const auto& tile : level.tiles) {
    if (!tile->texture) continue;
    SDL_Rect destination{static_cast<int>(static_cast<float>(tile->x) - level.cameraX),
                         static_cast<int>(static_cast<float>(tile->y) - level.cameraY), tile->width,
                         tile->height};
    SDL_RenderCopy(tile->renderer, tile->texture, nullptr, &destination);
  }
  return ReadWindow();
}

std::vector<Uint32> LevelDrawn(Level& level) {
  harness::ClearWindow();
  level.Draw();
  return ReadWindow();
}

// Lit pixels along each window edge, so a camera that puts tiles across the
// edges can be told from one that shows nothing there.
struct EdgesLit {
  bool left = false, right = false, top = false, bottom = false;
};

EdgesLit LitEdges(const std::vector<Uint32>& pixels) {
  auto lit = [&](int x, int y) { return (pixels[y * kWindowWidth + x] & 0xFFFFFF) != 0; };
  EdgesLit edges;
  for (int y = 0; y < kWindowHeight; ++y) {
    edges.left = edges.left || lit(0, y);
    edges.right = edges.right || lit(kWindowWidth - 1, y);
  }
  for (int x = 0; x < kWindowWidth; ++x) {
    edges.top = edges.top || lit(x, 0);
    edges.bottom = edges.bottom || lit(x, kWindowHeight - 1);
  }
  return edges;
}

// A 90 x 50 level of scattered walls and platforms, every other cell solid
// near the borders so that tiles lie across every edge of the window.
std::vector<std::string> TileGrid() {
  std::mt19937 random(31);
  std::vector<std::string> grid(50, std::string(90, '.'));
  for (int r = 0; r < 50; ++r) {
    for (int c = 0; c < 90; ++c) {
      const bool border = r < 3 || r > 46 || c < 3 || c > 86;
      if (border || random() % 4 == 0) grid[r][c] = (r + c) % 3 ? 'W' : 'P';
    }
  }
  return grid;
}

TEST(LevelDraw, SamePixelsAsDrawingEveryTile) {
  harness::TempRunFolder folder;
  const std::vector<std::string> grid = TileGrid();
  std::string text;
  for (const std::string& line : grid) text += line + "\n";
  folder.Write("Resources/Data/Level0.txt", text);
  Level level(harness::Window(), harness::Renderer(), "Resources/Data/Level0.txt", 90, 50, nullptr);
  level.Build();
  ASSERT_GT(level.tiles.size(), 1000u);
  ASSERT_EQ(level.tiles.front()->width, 32) << "the tile art is one cell";

  // Cameras on cell boundaries and off them, at the level's limits, beyond
  // them on every side and far away.
  std::vector<std::pair<float, float>> cameras = {
      {0, 0},       {1, 1},        {31, 31},     {32, 32},     {33, 17},
      {-1, -1},     {-31, -20},    {-32, -32},   {-33, -45},   {1601, 881},
      {1600, 880},  {1632, 912},   {1633, 913},  {2879, 1599}, {2880, 1600},
      {-1279, 0},   {-1280, -720}, {-1281, 100}, {100, -721},  {5000, 5000},
      {-5000, 300}, {700.0f, 400}, {1312, 657},  {15, 1000},   {2200, 9}};
  std::mt19937 random(5);
  for (int i = 0; i < 25; ++i) {
    cameras.emplace_back(static_cast<float>(static_cast<int>(random() % 4000) - 1500),
                         static_cast<float>(static_cast<int>(random() % 2400) - 900));
  }

  int framesWithEveryEdgeLit = 0;
  for (const auto& [cameraX, cameraY] : cameras) {
    level.cameraX = cameraX;
    level.cameraY = cameraY;
    const std::vector<Uint32> expected = EveryTileDrawn(level);
    const std::vector<Uint32> drawn = LevelDrawn(level);
    ASSERT_TRUE(drawn == expected) << "camera (" << cameraX << ", " << cameraY << ")";
    const EdgesLit edges = LitEdges(expected);
    if (edges.left && edges.right && edges.top && edges.bottom) ++framesWithEveryEdgeLit;
  }
  EXPECT_GE(framesWithEveryEdgeLit, 8) << "cameras that put tiles across all four edges";
}

TEST(LevelDraw, TilesNotMadeByBuildAreAllDrawn) {
  // Tiles placed by hand in a level that was never built, anywhere and of any
  // size: every one that reaches the window shows.
  harness::TempRunFolder folder;
  Level level(harness::Window(), harness::Renderer(), "Resources/Data/NoSuchLevel.txt", 10, 10,
              nullptr);
  const int places[][4] = {{1300, 0, 32, 32},
                           {1000, 40, 200, 32},
                           {80, 700, 32, 32},
                           {5000, 5000, 32, 32},
                           {37, 333, 64, 16}};
  for (const auto& place : places) {
    auto tile = std::make_unique<Sprite>(harness::Renderer(), "Resources/Assets/Wall.bmp");
    tile->x = place[0];
    tile->y = place[1];
    tile->width = place[2];
    tile->height = place[3];
    level.tiles.push_back(std::move(tile));
  }
  level.cameraX = 100.0f;
  level.cameraY = 0.0f;
  const std::vector<Uint32> expected = EveryTileDrawn(level);
  const std::vector<Uint32> drawn = LevelDrawn(level);
  EXPECT_TRUE(drawn == expected);
  EXPECT_TRUE(harness::AnyLitPixel(1200, 0, 32, 32)) << "the tile at x = 1300 shows at 1200";
  EXPECT_TRUE(harness::AnyLitPixel(900, 40, 200, 32)) << "the stretched tile";
  EXPECT_TRUE(harness::AnyLitPixel(0, 700, 12, 20)) << "the tile across the left edge";
}

}  // namespace
