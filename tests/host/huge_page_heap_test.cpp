// The restart that puts kvhost's heap on huge pages: when it is due, and that it happens in the
// same process with the same arguments and the tunable set, once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

// The child that RestartKeepsTheProcessAndItsArguments restarts writes how it runs, and ends here,
// before main.
[[maybe_unused]] const bool kChildReported = [] {
  const char* report = std::getenv("KV_HEAP_REPORT");
  if (!report) return false;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  std::ofstream(report) << getpid() << ' ' << (tunables ? tunables : "(unset)") << ' '
                        << program_invocation_name;
  _exit(0);
}();

TEST(HugePageHeap, RestartKeepsTheProcessAndItsArguments) {
  std::string kernel;
  std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), kernel);
  const bool due = HugePageTunables(nullptr, kernel).has_value();
  const std::string report =
      (std::filesystem::temp_directory_path() / ("kv_heap_" + std::to_string(getpid()))).string();
  std::filesystem::remove(report);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    unsetenv("GLIBC_TUNABLES");
    setenv("KV_HEAP_REPORT", report.c_str(), 1);
    std::string name = "restarted";
    char* argv[] = {name.data(), nullptr};
    kvhost::RestartWithHugePageHeap(argv);
    _exit(3); // not restarted
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (!due) {
    EXPECT_EQ(WEXITSTATUS(status), 3);
    return;
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::string text;
  std::getline(std::ifstream(report), text);
  std::filesystem::remove(report);
  EXPECT_EQ(text, std::to_string(child) + " glibc.malloc.hugetlb=1 restarted");
}
} // namespace
