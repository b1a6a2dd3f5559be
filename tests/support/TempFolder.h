#pragma once
// A fresh temporary folder, the working directory while it lives.

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when no folder could be made; the working directory is then kept.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string oldCwd_;
};
