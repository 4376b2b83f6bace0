// The version kvhost --version reads from an add-in file: the note of the Linux module, the
// version resource of the Windows ones, and nothing (never a read past the bytes) from a file cut
// short or with sizes that lie.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "excel/addin_version.h"
#include "kv_version.h"

namespace kvhost {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> WindowsAddIns() {
  std::vector<std::string> found;
  std::stringstream list(KV_WINDOWS_ADDINS);
  std::string path;
  while (std::getline(list, path, '|'))
    if (std::filesystem::exists(path)) found.push_back(path);
  return found;
}

// Every prefix of the file up to 4096 bytes, then 64 more spread over the rest (each a copy of
// its own, whose end AddressSanitizer sees): a version or nothing.
void ExpectEveryCutShortFileSafe(const std::string& file) {
  std::string error;
  std::vector<std::size_t> sizes;
  for (std::size_t size = 0; size < std::min<std::size_t>(file.size(), 4096); ++size)
    sizes.push_back(size);
  for (std::size_t i = 0; i < 64; ++i)
    sizes.push_back(4096 + (file.size() > 4096 ? (file.size() - 4096) * i / 64 : 0));
  for (const std::size_t size : sizes) {
    if (size >= file.size()) continue;
    const std::string cut = file.substr(0, size);
    const auto version = ModuleVersion(cut, error);
    if (version) {
      ASSERT_EQ(*version, KV_VERSION) << "cut at " << size;
    }
  }
}

TEST(AddInVersion, TheLinuxAddInRecordsTheBuildsVersion) {
  std::string error;
  EXPECT_EQ(AddInFileVersion(KV_ADDIN_PATH, error), std::optional<std::string>(KV_VERSION))
      << error;
}

TEST(AddInVersion, FilesWithoutOneSaySo) {
  std::string error;
  EXPECT_FALSE(AddInFileVersion(KV_FIXTURE_ADDIN_PATH, error));
  EXPECT_EQ(error, std::string(KV_FIXTURE_ADDIN_PATH) + ": it records no version");
  EXPECT_FALSE(ModuleVersion("Date,Price\n1,2\n", error));
  EXPECT_EQ(error, "neither an ELF library nor a Windows module");
  EXPECT_FALSE(AddInFileVersion("/nonexistent/kavenlor.so", error));
  EXPECT_EQ(error, "cannot read /nonexistent/kavenlor.so");
}

TEST(AddInVersion, TheWindowsAddInsRecordItInTheirVersionResource) {
  const auto addins = WindowsAddIns();
  if (addins.empty()) GTEST_SKIP() << "no Windows build (./kv win) in " << KV_WINDOWS_ADDINS;
  for (const std::string& path : addins) {
    std::string error;
    EXPECT_EQ(AddInFileVersion(path, error), std::optional<std::string>(KV_VERSION))
        << path << ": " << error;
  }
}

TEST(AddInVersion, FilesCutShortGiveNothingOrTheVersion) {
  ExpectEveryCutShortFileSafe(ReadBytes(KV_ADDIN_PATH));
  for (const std::string& path : WindowsAddIns())
    ExpectEveryCutShortFileSafe(ReadBytes(path));
}

TEST(AddInVersion, SizesThatLieAreRefused) {
  const std::string file = ReadBytes(KV_ADDIN_PATH);
  const std::size_t owner = file.find(std::string("Kavenlor\0", 9));
  ASSERT_NE(owner, std::string::npos);
  // The note's header is the three words before its owner's name.
  const std::size_t header = owner - 12;
  std::string error;
  for (const std::uint32_t lie : {0xFFFFFFF0u, 0x7FFFFFFFu, 4096u}) {
    for (const std::size_t word : {header, header + 4}) { // the name's size, the version's
      std::string bad = file;
      std::memcpy(bad.data() + word, &lie, sizeof lie);
      EXPECT_FALSE(ModuleVersion(bad, error)) << "size " << lie << " at " << word;
    }
  }
  std::string far = file; // program headers said to be past the end
  const std::uint64_t beyond = file.size() + 64;
  std::memcpy(far.data() + 32, &beyond, sizeof beyond); // e_phoff of a 64-bit ELF header
  EXPECT_FALSE(ModuleVersion(far, error));
}

} // namespace
} // namespace kvhost
