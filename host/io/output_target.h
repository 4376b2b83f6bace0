// The files kvhost writes on request (--out, --dump, pictures): where a given path really leads,
// what may be written there, and several files put in place together.
//
// A path that is a symbolic link is written through to the file it names, so the link stays a
// link. A target that exists must be a regular file that can be written: a device, a folder, a
// FIFO or a read-only file is refused, never replaced. A file written over keeps its
// permissions. Each file is made whole beside its target under a hidden temporary name first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "temporary_file.h"

namespace kvhost {

// The file `given` leads to, after its symbolic links; nothing, with a one-line `error` naming
// `given`, when it cannot or may not be written.
[[nodiscard]] bool ResolveOutputPath(const std::string& given, std::string& resolved,
                                     std::string& error);

// Several output files that replace their targets all together or not at all: each is staged
// under a temporary name; Commit renames them into place once every one was written. Dropping
// the set before that removes the staged files and leaves every target as it was.
class OutputSet {
public:
  // Checks `given` and stages a temporary file for it; its path is where the content goes.
  // False, with `error`, for a target that may not be written or that is already in the set
  // (two outputs on one file would silently replace each other).
  [[nodiscard]] bool Stage(const std::string& given, std::string& staged_path, std::string& error);
  // Puts every staged file in place, in the order staged.
  [[nodiscard]] bool Commit(std::string& error);

private:
  struct Entry {
    std::string given;
    std::string target;
    std::unique_ptr<TemporaryFile> file;
  };
  std::vector<Entry> entries_;
};

} // namespace kvhost
