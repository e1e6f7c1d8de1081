#include "PrivateRunFolder.h"

#include <unistd.h>

namespace fs = std::filesystem;

void LinkAssets(const fs::path& from, const fs::path& to, bool withFont) {
  fs::create_directories(to);
  for (const auto& entry : fs::directory_iterator(from)) {
    if (!withFont && entry.path().extension() == ".ttf") continue;
    fs::create_symlink(fs::absolute(entry.path()), to / entry.path().filename());
  }
}

PrivateRunFolder::PrivateRunFolder(bool withFont) : previous(fs::current_path()) {
  char pattern[] = "/tmp/ilsmark-routes-XXXXXX";
  path = mkdtemp(pattern);
  fs::create_directories(path / "Resources");
  fs::copy(previous / "Resources/Data", path / "Resources/Data", fs::copy_options::recursive);
  LinkAssets(previous / "Resources/Assets", path / "Resources/Assets", withFont);
  fs::current_path(path);
}

PrivateRunFolder::~PrivateRunFolder() {
  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(path, ignored);
}
