// Work done in a child process, for a library that may crash on hostile input or on a failed
// allocation: the parent gets the child's bytes, or the reason it got none, and lives on
// whatever the child does.
#pragma once

#include <functional>
#include <string>

namespace kvhost {

struct Isolation {
  const char* who = "reader"; // named in the reasons: "the reader crashed (...)"
  unsigned seconds = 0;       // the child is stopped past this time; 0: no limit
  bool cap_memory = false;    // the child gets 4 GiB of address space at most
  bool quiet = false;         // what the child prints on standard error goes nowhere
};

// Runs `work` in a forked child and hands back what it returned in `output`. False, with the
// reason in `failure`, when the child died (a crash, a memory limit, an exception it did not
// catch), ran past its time or could not be started. The child ends without running the
// parent's exit handlers.
bool RunIsolated(const std::function<std::string()>& work, const Isolation& isolation,
                 std::string& output, std::string& failure);

// A reader's work: `seconds` at most, in 4 GiB of address space.
inline bool RunIsolated(const std::function<std::string()>& work, unsigned seconds,
                        std::string& output, std::string& failure) {
  return RunIsolated(work, Isolation{"reader", seconds, true}, output, failure);
}

} // namespace kvhost
