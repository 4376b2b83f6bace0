#include "addin_file.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace kvhost {
namespace {

// Reads `size` bytes at `offset`; false when the file does not hold them.
bool ReadAt(int fd, std::uint64_t offset, void* into, std::size_t size) {
  return ::pread(fd, into, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

bool Within(std::uint64_t offset, std::uint64_t size, std::uint64_t file_size) {
  return offset <= file_size && size <= file_size - offset;
}

// Every part the loader maps or reads lies inside the file: the program headers, each loaded
// segment's bytes, and the section headers.
template <typename Header, typename Program> bool WholeElf(int fd, std::uint64_t file_size) {
  Header header{};
  if (!ReadAt(fd, 0, &header, sizeof header)) return false;
  if (header.e_phentsize != sizeof(Program)) return false;
  const std::uint64_t programs = std::uint64_t{header.e_phnum} * sizeof(Program);
  if (!Within(header.e_phoff, programs, file_size)) return false;
  if (!Within(header.e_shoff, std::uint64_t{header.e_shnum} * header.e_shentsize, file_size))
    return false;
  std::vector<Program> table(header.e_phnum);
  if (!table.empty() && !ReadAt(fd, header.e_phoff, table.data(), programs)) return false;
  for (const Program& program : table)
    if (program.p_type == PT_LOAD && !Within(program.p_offset, program.p_filesz, file_size))
      return false;
  return true;
}

} // namespace

bool CheckAddInFile(const std::string& path, std::string& error) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    error = "cannot load add-in " + path + ": no such file";
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    error = "cannot load add-in " + path + ": it is not a regular file";
    return false;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = "cannot load add-in " + path + ": " + std::strerror(errno);
    return false;
  }
  unsigned char ident[EI_NIDENT] = {};
  bool whole = true;
  if (ReadAt(fd, 0, ident, sizeof ident) && std::memcmp(ident, ELFMAG, SELFMAG) == 0) {
    const auto size = static_cast<std::uint64_t>(status.st_size);
    whole = ident[EI_CLASS] == ELFCLASS64 ? WholeElf<Elf64_Ehdr, Elf64_Phdr>(fd, size)
                                          : WholeElf<Elf32_Ehdr, Elf32_Phdr>(fd, size);
  }
  ::close(fd);
  if (!whole) error = "cannot load add-in " + path + ": the library is cut short or damaged";
  return whole;
}

} // namespace kvhost
