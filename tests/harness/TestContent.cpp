#include "harness/TestContent.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Rules.h"
#include "frontend/GameData.h"

namespace harness {
namespace fs = std::filesystem;

std::string Room(int columns, int rows, const std::vector<Cell>& cells) {
  std::vector<std::string> grid(rows, std::string(columns, '.'));
  for (int c = 0; c < columns; ++c) grid[0][c] = grid[rows - 1][c] = 'W';
  for (int r = 0; r < rows; ++r) grid[r][0] = grid[r][columns - 1] = 'W';
  for (const Cell& cell : cells) grid[cell.row][cell.column] = cell.code;
  std::string text;
  for (const std::string& line : grid) text += line + "\n";
  return text;
}

void WriteBitmap(const std::string& path, int width, int height, SDL_Color left, SDL_Color right) {
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  if (!surface) {
    ADD_FAILURE() << "no surface for " << path << ": " << SDL_GetError();
    return;
  }
  SDL_Rect leftHalf{0, 0, width / 2, height};
  SDL_Rect rightHalf{width / 2, 0, width - width / 2, height};
  SDL_FillRect(surface, &leftHalf, SDL_MapRGB(surface->format, left.r, left.g, left.b));
  SDL_FillRect(surface, &rightHalf, SDL_MapRGB(surface->format, right.r, right.g, right.b));
  if (SDL_SaveBMP(surface, path.c_str()) != 0)
    ADD_FAILURE() << "cannot write " << path << ": " << SDL_GetError();
  SDL_FreeSurface(surface);
}

void WriteBitmap(const std::string& path, int width, int height, SDL_Color colour) {
  WriteBitmap(path, width, height, colour, colour);
}

std::string FreshSave(const std::string& reached) {
  std::string text = "Music\n100\nFX\n100\nLevel Reached\n" + reached + "\n";
  for (int n = 0; n < rules::kLevelCount; ++n) {
    text += "Level" + std::to_string(n) + " Score\n" + std::to_string(kDefaultScore) + "\n";
    text += "Level" + std::to_string(n) + " Time\n" + std::to_string(kDefaultTime) + "\n";
  }
  return text;
}

std::string UseOwnAssets(const TempRunFolder& folder) {
  const std::string assets = folder.Path() + "/Resources/Assets";
  fs::remove(assets);  // the link to the shared assets, not what it points to
  fs::create_directory(assets);
  fs::create_symlink(RunDir() + "/Resources/Assets/DejaVuSans.ttf", assets + "/DejaVuSans.ttf");
  return assets;
}

}  // namespace harness
