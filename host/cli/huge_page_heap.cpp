#include "huge_page_heap.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace kvhost {
std::optional<std::string> HugePageTunables(const char* tunables, const std::string& kernel) {
  constexpr const char* kTunable = "glibc.malloc.hugetlb";
  const std::string present = tunables ? tunables : "";
  // "never" selected, or no such setting: glibc's request would go unheard.
  const bool offered =
      kernel.find("[always]") != std::string::npos || kernel.find("[madvise]") != std::string::npos;
  if (!offered || present.find(kTunable) != std::string::npos) return std::nullopt;
  return (present.empty() ? "" : present + ":") + kTunable + "=1";
}

std::string KernelHugePages() {
  std::string setting;
  std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), setting);
  return setting;
}

bool AddressSpaceLimited() {
  rlimit limit{};
  return getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
}

void RestartWithHugePageHeap(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
  if (AddressSpaceLimited()) return;
  const char* before = std::getenv("GLIBC_TUNABLES");
  const std::string kept = before ? before : "";
  const auto after = HugePageTunables(before, KernelHugePages());
  if (!after || setenv("GLIBC_TUNABLES", after->c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Still here: the program runs on as it is, its environment as it was.
  if (before)
    setenv("GLIBC_TUNABLES", kept.c_str(), 1);
  else
    unsetenv("GLIBC_TUNABLES");
#else
  (void)argv;
#endif
}
} // namespace kvhost
