// A file written whole or not at all: it is made beside its destination under a hidden
// temporary name, and renamed over the destination once complete; dropped before that, it is
// removed and the destination stays as it was.
#pragma once

#include <string>

namespace kvhost {

class TemporaryFile {
public:
  TemporaryFile() = default;
  ~TemporaryFile(); // removes the file unless it was renamed
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Makes an empty file in the folder of `destination`; false, with the cause in `error`, when
  // the folder does not take it.
  bool Create(const std::string& destination, std::string& error);
  // Moves the file over `destination`.
  bool RenameTo(const std::string& destination, std::string& error);
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

} // namespace kvhost
