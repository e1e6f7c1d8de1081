#pragma once

#include <filesystem>

// Links every asset of the folder from into the folder to (made if needed),
// all but the font unless withFont. Headless replays and searches leave the
// font out: the game opens it afresh for every line of text, which is most
// of what a step costs, and what is drawn never changes what happens in a
// level (each line it cannot draw is reported on the console instead).
void LinkAssets(const std::filesystem::path& from, const std::filesystem::path& to, bool withFont);

// A private copy of the run folder's data (the assets are linked, the font
// only when asked for), made the working directory for the object's life, so
// the door's writes land in the copy.
class PrivateRunFolder {
 public:
  explicit PrivateRunFolder(bool withFont);
  ~PrivateRunFolder();
  PrivateRunFolder(const PrivateRunFolder&) = delete;
  PrivateRunFolder& operator=(const PrivateRunFolder&) = delete;

 private:
  std::filesystem::path previous;
  std::filesystem::path path;
};
