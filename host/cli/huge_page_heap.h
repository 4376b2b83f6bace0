// kvhost's heap on transparent huge pages.
#pragma once

#include <optional>
#include <string>

namespace kvhost {
// Writing a large workbook touches hundreds of megabytes of fresh heap (libxlsxwriter's cell
// records, the sheet's XML, the add-in's blocks), and on a virtual machine every 4 KiB page fault
// is dear: they were a fifth of saving an ICA's 500,000 numbers. glibc puts its heap on huge pages
// only when its tunable says so before main runs, so this starts the program once more, in the
// same process, with glibc.malloc.hugetlb=1 added to GLIBC_TUNABLES. It returns, changing nothing,
// when the tunable is already set (to any value: GLIBC_TUNABLES=glibc.malloc.hugetlb=0 keeps the
// plain heap), when the kernel has huge pages off, when the address space is limited (ulimit -v:
// a huge-page heap grows 2 MiB at a time, and under a tight limit it would fail before main, in
// the libraries' own start-up, where no failure can be reported), or when the program cannot be
// started again.
// Call it first in main, before any thread or open file.
void RestartWithHugePageHeap(char** argv);

// The GLIBC_TUNABLES to restart with, given the present one (null when unset) and the kernel's
// setting (KernelHugePages); nothing when no restart is due.
std::optional<std::string> HugePageTunables(const char* tunables, const std::string& kernel);

// Whether the process runs under a limit of its address space (RLIMIT_AS).
bool AddressSpaceLimited();

// The first line of /sys/kernel/mm/transparent_hugepage/enabled ("always [madvise] never"), empty
// when there is none.
std::string KernelHugePages();
} // namespace kvhost
