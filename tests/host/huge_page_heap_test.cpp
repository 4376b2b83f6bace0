// The restart that puts kvhost's heap on huge pages: when it is due, and that it happens once, in
// the same process, with the same arguments and the tunable set.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/huge_page_heap.h"

namespace {
using kvhost::HugePageTunables;

TEST(HugePageHeap, RestartsOnlyWhenTheKernelOffersAndNobodyChose) {
  const std::string madvise = "always [madvise] never", always = "[always] madvise never";
  EXPECT_EQ(HugePageTunables(nullptr, madvise), "glibc.malloc.hugetlb=1");
  EXPECT_EQ(HugePageTunables("", always), "glibc.malloc.hugetlb=1");
  EXPECT_EQ(HugePageTunables("glibc.malloc.arena_max=2", madvise),
            "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1");
  // Whatever value the user gave is kept, 0 included; so is a kernel that says never, or none.
  EXPECT_EQ(HugePageTunables("glibc.malloc.hugetlb=0", madvise), std::nullopt);
  EXPECT_EQ(HugePageTunables("glibc.malloc.arena_max=2:glibc.malloc.hugetlb=2", madvise),
            std::nullopt);
  EXPECT_EQ(HugePageTunables(nullptr, "always madvise [never]"), std::nullopt);
  EXPECT_EQ(HugePageTunables(nullptr, ""), std::nullopt);
}

// StartsOfAChild starts this program anew with KV_HEAP_REPORT set: it
// notes each start of its process in the report and restarts as kvhost does; started again it
// returns at once (the tunable is set now) and ends here, before main.
[[maybe_unused]] const bool kChild = [] {
  const char* report = std::getenv("KV_HEAP_REPORT");
  if (!report) return false;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  std::ofstream(report, std::ios::app)
      << getpid() << ' ' << program_invocation_name << ' ' << (tunables ? tunables : "-") << '\n';
  char* argv[] = {program_invocation_name, nullptr};
  kvhost::RestartWithHugePageHeap(argv);
  _exit(0);
}();

// Starts this program anew as "restarted", without GLIBC_TUNABLES, under `limit` of address space
// when one is given; the child's notes of its starts, and its pid.
std::pair<std::string, pid_t> StartsOfAChild(std::optional<rlim_t> limit) {
  const std::string report =
      (std::filesystem::temp_directory_path() / ("kv_heap_" + std::to_string(getpid()))).string();
  std::filesystem::remove(report);
  std::vector<std::string> variables{"KV_HEAP_REPORT=" + report};
  for (char** v = environ; *v; ++v)
    if (std::string_view(*v).substr(0, 15) != "GLIBC_TUNABLES=") variables.emplace_back(*v);
  std::vector<char*> envp;
  for (std::string& v : variables)
    envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string name = "restarted";
  char* argv[] = {name.data(), nullptr};
  const pid_t child = fork();
  if (child == 0) { // only calls safe between fork and exec
    if (limit) {
      const rlimit set{*limit, *limit};
      setrlimit(RLIMIT_AS, &set);
    }
    execve("/proc/self/exe", argv, envp.data());
    _exit(127);
  }
  int status = 0;
  EXPECT_GT(child, 0);
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::ifstream notes(report);
  std::stringstream text;
  text << notes.rdbuf();
  std::filesystem::remove(report);
  return {text.str(), child};
}

TEST(HugePageHeap, RestartKeepsTheProcessAndItsArgumentsOnce) {
  const bool due = HugePageTunables(nullptr, kvhost::KernelHugePages()).has_value() &&
                   !kvhost::AddressSpaceLimited();
  const auto [text, child] = StartsOfAChild(std::nullopt);
  const std::string first = std::to_string(child) + " restarted -\n";
  EXPECT_EQ(text,
            due ? first + std::to_string(child) + " restarted glibc.malloc.hugetlb=1\n" : first);
}

// Under ulimit -v the plain heap, which grows in small steps, stays: one start. The limit is far
// above anything this program maps (the sanitizers' shadow included), but a limit still.
TEST(HugePageHeap, NoRestartUnderALimitOfAddressSpace) {
  const auto [text, child] = StartsOfAChild(rlim_t{1} << 50);
  EXPECT_EQ(text, std::to_string(child) + " restarted -\n");
}
} // namespace
