// The add-in's version, kept in its file as an ELF note (owner "Kavenlor", type 1), where
// `kvhost --version` and `readelf -n` read it without loading the module.
#include <cstdint>

#include "kv_version.h"

namespace {
constexpr std::uint32_t Padded(std::uint32_t size) {
  return (size + 3) / 4 * 4;
}

constexpr char kOwner[] = "Kavenlor";
constexpr char kVersion[] = KV_VERSION;

struct VersionNote {
  std::uint32_t owner_size = sizeof kOwner;
  std::uint32_t version_size = sizeof kVersion;
  std::uint32_t type = 1;
  char owner[Padded(sizeof kOwner)] = {};
  char version[Padded(sizeof kVersion)] = {};
};

constexpr VersionNote MakeNote() {
  VersionNote note;
  for (std::uint32_t i = 0; i < sizeof kOwner; ++i)
    note.owner[i] = kOwner[i];
  for (std::uint32_t i = 0; i < sizeof kVersion; ++i)
    note.version[i] = kVersion[i];
  return note;
}

// A section named .note.* is an SHT_NOTE section, which the linker puts in a PT_NOTE segment.
[[gnu::used, gnu::section(".note.kavenlor")]] alignas(4) const VersionNote kNote = MakeNote();
} // namespace
