#include "TempFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::error_code ec;
  oldCwd_ = fs::current_path(ec).string();
  std::string pattern = (fs::temp_directory_path(ec) / "reactopt-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return;
  path_ = pattern;
  fs::current_path(path_, ec);
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::current_path(oldCwd_, ec);
  // Tests take rights away from their files; give them back so that all goes.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}
