// Work done in a child process, for a library that may crash on hostile input: the parent gets
// the child's bytes, or the reason it got none, and lives on whatever the child does.
#pragma once

#include <functional>
#include <string>

namespace kvhost {

// Runs `work` in a forked child and hands back what it returned in `output`. False, with the
// reason in `failure`, when the child died (a crash, a memory limit), ran past `seconds` or could
// not be started. The child ends without running the parent's exit handlers.
bool RunIsolated(const std::function<std::string()>& work, unsigned seconds, std::string& output,
                 std::string& failure);

} // namespace kvhost
