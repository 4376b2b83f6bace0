// The restart that puts kvhost's heap on huge pages: when it is due, and that it happens once, in
// the same process, with the same arguments and the tunable set.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
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

// RestartKeepsTheProcessAndItsArguments starts this program anew with KV_HEAP_REPORT set: it
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

TEST(HugePageHeap, RestartKeepsTheProcessAndItsArgumentsOnce) {
  const bool due = HugePageTunables(nullptr, kvhost::KernelHugePages()).has_value();
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
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, envp.data()), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream notes(report);
  std::stringstream text;
  text << notes.rdbuf();
  std::filesystem::remove(report);
  const std::string first = std::to_string(child) + " restarted -\n";
  EXPECT_EQ(text.str(),
            due ? first + std::to_string(child) + " restarted glibc.malloc.hugetlb=1\n" : first);
}
} // namespace
