#include "temporary_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace kvhost {

bool TemporaryFile::Create(const std::string& destination, std::string& error) {
  const std::filesystem::path target(destination);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0) {
    error = std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; the saved file gets the permissions any new file gets.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(descriptor, 0666 & ~mask);
  ::close(descriptor);
  path_ = pattern;
  return true;
}

bool TemporaryFile::RenameTo(const std::string& destination, std::string& error) {
  if (std::rename(path_.c_str(), destination.c_str()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  path_.clear();
  return true;
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) std::remove(path_.c_str());
}

} // namespace kvhost
