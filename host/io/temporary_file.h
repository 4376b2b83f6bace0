// A file written whole or not at all: it is made beside its destination under a hidden
// temporary name, and renamed over the destination once complete; dropped before that, it is
// removed and the destination stays as it was. The name, ".NAME.kvhost-PID-XXXXXX", says whose
// it is: one left by a kvhost that was killed while saving is removed by the next kvhost that
// saves NAME in that folder.
#pragma once

#include <filesystem>
#include <string>

namespace kvhost {

// Removes what processes that no longer run left in `folder` under "PREFIXPID-…" (a file or a
// whole folder); what a running process, or no process, named so is left alone.
void RemoveLeftoversOfEndedProcesses(const std::filesystem::path& folder,
                                     const std::string& prefix);

class TemporaryFile {
public:
  TemporaryFile() = default;
  // Removes the file unless it was renamed, and what a writer left beside it ("FILE.XXXXXX").
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Makes an empty file in the folder of `destination`; false, with the cause in `error`, when
  // the folder does not take it.
  bool Create(const std::string& destination, std::string& error);
  // Flushes what was written to the file to the disk (fsync), before it is renamed.
  bool Sync(std::string& error);
  // Moves the file over `destination`, or, with `replace` false, to `destination` only when no
  // file is there (an existing one is an error, "File exists"); then flushes the folder, so that
  // the new name reaches the disk too.
  bool RenameTo(const std::string& destination, std::string& error, bool replace = true);
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

} // namespace kvhost
