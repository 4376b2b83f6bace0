// The files kvhost writes on request (--out, --dump, pictures): where a given path really leads,
// what may be written there, and several files put in place together.
//
// A path that is a symbolic link is written through to the file it names, so the link stays a
// link. A target that exists must be a regular file that can be written: a device, a folder, a
// FIFO or a read-only file is refused, never replaced. A file written over keeps its
// permissions; a new one gets those the umask leaves of 0666. A file that kvhost reads (a data
// file, the add-in, the settings) is never an output: files are the same when they are one file
// on the disk (device and inode, after symbolic links), so a hard link is caught too. Each file is
// made whole beside its target under a hidden temporary name first, flushed to the disk, renamed
// over its target, and the folder flushed after the rename.
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

// True when `a` and `b` both exist and are one file (after symbolic links, by device and inode).
[[nodiscard]] bool SameExistingFile(const std::string& a, const std::string& b);

// A file an output may not be, with what it is to the run ("the data file").
struct ReadFile {
  std::string path;
  std::string what;
};

// Empty when `given` (an output path) is none of `inputs`; else the one-line reason.
[[nodiscard]] std::string OverwritesInput(const std::string& given,
                                          const std::vector<ReadFile>& inputs);

// Several output files that replace their targets all together or not at all: each is staged
// under a temporary name; Commit renames them into place once every one was written. Dropping
// the set before that removes the staged files and leaves every target as it was.
class OutputSet {
public:
  OutputSet() = default;
  // `inputs`: files no output may be. `replace` false: outputs go only where no file is yet; a
  // target that exists is refused when staged, or when put in place if it appeared meanwhile.
  explicit OutputSet(std::vector<ReadFile> inputs, bool replace = true)
      : inputs_(std::move(inputs)), replace_(replace) {}

  // Checks `given` and stages a temporary file for it; its path is where the content goes.
  // False, with `error`, for a target that may not be written or that is already in the set
  // (two outputs on one file would silently replace each other), or that is one of the inputs.
  [[nodiscard]] bool Stage(const std::string& given, std::string& staged_path, std::string& error);
  // Flushes every staged file to the disk, then puts each in place, in the order staged.
  [[nodiscard]] bool Commit(std::string& error);

private:
  struct Entry {
    std::string given;
    std::string target;
    std::unique_ptr<TemporaryFile> file;
  };
  std::vector<Entry> entries_;
  std::vector<ReadFile> inputs_;
  bool replace_ = true;
};

} // namespace kvhost
