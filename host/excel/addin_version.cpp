#include "addin_version.h"

#include <elf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace kvhost {
namespace {

// Reads a T at `offset` of `bytes`; false when the bytes end before it does.
template <typename T> bool ReadAt(std::string_view bytes, std::uint64_t offset, T& value) {
  if (offset > bytes.size() || sizeof(T) > bytes.size() - offset) return false;
  std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return true;
}

constexpr std::uint32_t Padded(std::uint32_t size) {
  return (size + 3u) & ~3u;
}

// ---- ELF: the note the add-in's VersionNote.cpp leaves in a PT_NOTE segment

constexpr std::string_view kNoteOwner{"Kavenlor\0", 9};
constexpr std::uint32_t kVersionNoteType = 1;

std::optional<std::string> VersionInNotes(std::string_view bytes, std::uint64_t offset,
                                          std::uint64_t size) {
  if (offset > bytes.size() || size > bytes.size() - offset) return std::nullopt;
  std::string_view notes = bytes.substr(offset, size);
  std::uint64_t at = 0;
  Elf64_Nhdr header{}; // the same three words in 32-bit and 64-bit files
  while (ReadAt(notes, at, header)) {
    const std::uint64_t owner = at + sizeof header;
    const std::uint64_t desc = owner + Padded(header.n_namesz);
    const std::uint64_t next = desc + Padded(header.n_descsz);
    if (header.n_namesz > notes.size() || header.n_descsz > notes.size() || next > notes.size())
      return std::nullopt;
    if (notes.substr(owner, header.n_namesz) == kNoteOwner && header.n_type == kVersionNoteType) {
      std::string_view text = notes.substr(desc, header.n_descsz);
      text = text.substr(0, text.find('\0'));
      if (!text.empty()) return std::string(text);
    }
    at = next;
  }
  return std::nullopt;
}

template <typename Header, typename Program>
std::optional<std::string> ElfVersion(std::string_view bytes) {
  Header header{};
  if (!ReadAt(bytes, 0, header) || header.e_phentsize != sizeof(Program)) return std::nullopt;
  for (std::uint64_t i = 0; i < header.e_phnum; ++i) {
    Program program{};
    if (!ReadAt(bytes, header.e_phoff + i * sizeof(Program), program)) return std::nullopt;
    if (program.p_type != PT_NOTE) continue;
    if (auto version = VersionInNotes(bytes, program.p_offset, program.p_filesz)) return version;
  }
  return std::nullopt;
}

// ---- PE: VS_FIXEDFILEINFO in the RT_VERSION resource

constexpr std::uint32_t kResourceDirectory = 2; // the index of the resource table's directory
constexpr std::uint32_t kVersionResource = 16;  // RT_VERSION
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kSubdirectory = 0x80000000;

struct Section {
  std::uint32_t virtual_size, virtual_address, raw_size, raw_offset;
};

// The file offset of a relative virtual address, by the section that holds it.
std::optional<std::uint64_t> FileOffset(const std::vector<Section>& sections, std::uint32_t rva) {
  for (const Section& s : sections) {
    const std::uint32_t extent = std::max(s.virtual_size, s.raw_size);
    if (rva >= s.virtual_address && rva - s.virtual_address < extent) {
      if (rva - s.virtual_address >= s.raw_size) return std::nullopt; // not in the file
      return std::uint64_t{s.raw_offset} + (rva - s.virtual_address);
    }
  }
  return std::nullopt;
}

// The entry of the resource directory at `directory` (an offset into the resource table) with
// `id`, or its first entry when `id` is absent: its OffsetToData word.
std::optional<std::uint32_t> DirectoryEntry(std::string_view table, std::uint32_t directory,
                                            std::optional<std::uint32_t> id) {
  std::uint16_t named = 0, numbered = 0;
  if (!ReadAt(table, directory + 12u, named) || !ReadAt(table, directory + 14u, numbered))
    return std::nullopt;
  for (std::uint32_t i = 0; i < std::uint32_t{named} + numbered; ++i) {
    std::uint32_t name = 0, data = 0;
    const std::uint64_t entry = directory + 16u + i * 8u;
    if (!ReadAt(table, entry, name) || !ReadAt(table, entry + 4, data)) return std::nullopt;
    if (!id || (i >= named && name == *id)) return data;
  }
  return std::nullopt;
}

std::optional<std::string> PeVersion(std::string_view bytes) {
  std::uint32_t pe = 0, signature = 0;
  if (!ReadAt(bytes, 0x3C, pe) || !ReadAt(bytes, pe, signature) || signature != 0x00004550)
    return std::nullopt;
  const std::uint64_t coff = pe + 4u;
  std::uint16_t section_count = 0, optional_size = 0, magic = 0;
  if (!ReadAt(bytes, coff + 2, section_count) || !ReadAt(bytes, coff + 16, optional_size))
    return std::nullopt;
  const std::uint64_t optional = coff + 20;
  if (!ReadAt(bytes, optional, magic) || (magic != 0x10b && magic != 0x20b)) return std::nullopt;
  // PE32 and PE32+ differ in where the data directories start.
  const std::uint64_t directories = optional + (magic == 0x10b ? 96 : 112);
  std::uint32_t count = 0, table_rva = 0;
  if (!ReadAt(bytes, directories - 4, count) || count <= kResourceDirectory ||
      !ReadAt(bytes, directories + kResourceDirectory * 8, table_rva) || table_rva == 0)
    return std::nullopt;

  std::vector<Section> sections(section_count);
  for (std::uint32_t i = 0; i < section_count; ++i) {
    const std::uint64_t at = optional + optional_size + i * 40u;
    Section& s = sections[i];
    if (!ReadAt(bytes, at + 8, s.virtual_size) || !ReadAt(bytes, at + 12, s.virtual_address) ||
        !ReadAt(bytes, at + 16, s.raw_size) || !ReadAt(bytes, at + 20, s.raw_offset))
      return std::nullopt;
  }
  const auto table_offset = FileOffset(sections, table_rva);
  if (!table_offset || *table_offset > bytes.size()) return std::nullopt;
  const std::string_view table = bytes.substr(*table_offset);

  // Type RT_VERSION, then its first name and first language, each a subdirectory but the last.
  std::uint32_t at = 0;
  for (int level = 0; level < 3; ++level) {
    const auto entry = DirectoryEntry(
        table, at, level == 0 ? std::optional<std::uint32_t>(kVersionResource) : std::nullopt);
    const bool subdirectory = entry && (*entry & kSubdirectory) != 0;
    if (!entry || subdirectory != (level < 2)) return std::nullopt;
    at = *entry & ~kSubdirectory;
  }
  std::uint32_t data_rva = 0, data_size = 0;
  if (!ReadAt(table, at, data_rva) || !ReadAt(table, at + 4u, data_size)) return std::nullopt;
  const auto data = FileOffset(sections, data_rva);
  if (!data) return std::nullopt;
  // VS_VERSIONINFO: three words, the key L"VS_VERSION_INFO", padding to 32 bits, then
  // VS_FIXEDFILEINFO.
  const std::uint64_t fixed = *data + Padded(6 + 16 * 2);
  std::uint32_t fixed_signature = 0, most = 0, least = 0;
  if (data_size < Padded(6 + 16 * 2) + 16 || !ReadAt(bytes, fixed, fixed_signature) ||
      fixed_signature != kFixedInfoSignature || !ReadAt(bytes, fixed + 8, most) ||
      !ReadAt(bytes, fixed + 12, least))
    return std::nullopt;
  std::string text = std::to_string(most >> 16) + "." + std::to_string(most & 0xFFFF) + "." +
                     std::to_string(least >> 16);
  if ((least & 0xFFFF) != 0) text += "." + std::to_string(least & 0xFFFF);
  return text;
}

} // namespace

std::optional<std::string> ModuleVersion(std::string_view file, std::string& error) {
  std::optional<std::string> version;
  if (file.substr(0, SELFMAG) == std::string_view(ELFMAG, SELFMAG) && file.size() > EI_DATA) {
    if (file[EI_DATA] != ELFDATA2LSB) {
      error = "an ELF file of another byte order";
      return std::nullopt;
    }
    version = file[EI_CLASS] == ELFCLASS64 ? ElfVersion<Elf64_Ehdr, Elf64_Phdr>(file)
                                           : ElfVersion<Elf32_Ehdr, Elf32_Phdr>(file);
  } else if (file.substr(0, 2) == "MZ") {
    version = PeVersion(file);
  } else {
    error = "neither an ELF library nor a Windows module";
    return std::nullopt;
  }
  if (!version) error = "it records no version";
  return version;
}

std::optional<std::string> AddInFileVersion(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (!in || !(bytes << in.rdbuf())) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  std::string reason;
  auto version = ModuleVersion(bytes.view(), reason);
  if (!version) error = path + ": " + reason;
  return version;
}

} // namespace kvhost
