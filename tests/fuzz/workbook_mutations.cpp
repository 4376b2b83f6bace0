// The fuzzing pass over kvhost's .xlsx and .xls readers: valid workbooks cut short and with
// bytes flipped, read through the same entry point as --data. Every case must end in sheets
// that fit the grid or in one line naming the file; a crash, a hang (ctest's timeout) or a leak
// (the sanitizer build) fails the run.
//
// Usage: workbook_mutations [--cases N] [--seed S] SEED_FILE...
//
// A case takes one seed file and one mutation:
//   - the file cut at a random length;
//   - 1 to 16 random bytes of the file set to random values;
//   - for an .xlsx seed, one part of the package cut or with bytes flipped, and the package
//     written again stored (not deflated), so that the XML itself is what is damaged rather than
//     the deflate stream or its checksum.
#include <unistd.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "io/data_workbook.h"

namespace fs = std::filesystem;

namespace {

struct Seed {
  std::string extension; // ".xlsx" or ".xls"
  std::string bytes;
  std::vector<std::pair<std::string, std::string>> parts; // an .xlsx seed's parts
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::pair<std::string, std::string>> Parts(const std::string& path) {
  std::vector<std::pair<std::string, std::string>> parts;
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (zip == nullptr) return parts;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) != 0) continue;
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
    if (file == nullptr) continue;
    std::string content(stat.size, '\0');
    const zip_int64_t got = zip_fread(file, content.data(), stat.size);
    zip_fclose(file);
    if (got == static_cast<zip_int64_t>(stat.size)) parts.emplace_back(stat.name, content);
  }
  zip_discard(zip);
  return parts;
}

bool WritePackage(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& parts) {
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (zip == nullptr) return false;
  for (const auto& [name, content] : parts) {
    zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
    const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      continue;
    }
    zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  return zip_close(zip) == 0;
}

void Damage(std::string& bytes, std::mt19937_64& random, bool cut) {
  if (bytes.empty()) return;
  if (cut) {
    bytes.resize(std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random));
    return;
  }
  const int flips = std::uniform_int_distribution<int>(1, 16)(random);
  for (int i = 0; i < flips; ++i)
    bytes[std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random)] =
        static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
}

} // namespace

int main(int argc, char** argv) {
  long cases = 10000;
  unsigned long long seed_value = 20240601;
  std::vector<Seed> seeds;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--cases" && i + 1 < argc) {
      cases = std::stol(argv[++i]);
    } else if (arg == "--seed" && i + 1 < argc) {
      seed_value = std::stoull(argv[++i]);
    } else {
      Seed seed{fs::path(arg).extension().string(), ReadAll(arg), {}};
      if (seed.bytes.empty()) {
        std::cerr << "workbook_mutations: cannot read the seed " << arg << '\n';
        return 2;
      }
      std::string error;
      if (!kvhost::ReadDataFile(arg, error)) {
        std::cerr << "workbook_mutations: the seed " << arg << " must be valid: " << error << '\n';
        return 2;
      }
      if (seed.extension == ".xlsx") seed.parts = Parts(arg);
      seeds.push_back(std::move(seed));
    }
  }
  if (seeds.empty() || cases <= 0) {
    std::cerr << "usage: workbook_mutations [--cases N] [--seed S] SEED_FILE...\n";
    return 2;
  }

  const fs::path folder =
      fs::temp_directory_path() / ("kvhost_mutations_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::mt19937_64 random(seed_value);
  long read = 0, refused = 0, failures = 0, isolated = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long n = 0; n < cases; ++n) {
    const Seed& seed = seeds[static_cast<std::size_t>(n) % seeds.size()];
    const std::string path = (folder / ("case" + seed.extension)).string();
    const int kind = std::uniform_int_distribution<int>(0, seed.parts.empty() ? 1 : 3)(random);
    if (kind < 2) {
      std::string bytes = seed.bytes;
      Damage(bytes, random, kind == 0);
      std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    } else {
      auto parts = seed.parts;
      auto& part = parts[std::uniform_int_distribution<std::size_t>(0, parts.size() - 1)(random)];
      Damage(part.second, random, kind == 2);
      if (!WritePackage(path, parts)) continue;
    }

    std::string error;
    const auto sheets = kvhost::ReadDataFile(path, error);
    bool good = true;
    if (sheets) {
      ++read;
      for (const kvhost::DataSheet& sheet : *sheets)
        good = good && !sheet.name.empty() && sheet.cells.Rows() <= kvhost::kMaxRows &&
               sheet.cells.Columns() <= kvhost::kMaxColumns;
    } else {
      ++refused;
      if (error.find("FreeXL could not read it") != std::string::npos) ++isolated;
      good = error.find(path) != std::string::npos && error.find('\n') == std::string::npos;
    }
    if (!good) {
      ++failures;
      const fs::path kept =
          folder.parent_path() / ("kvhost_mutation_failed_" + std::to_string(n) + seed.extension);
      fs::copy_file(path, kept, fs::copy_options::overwrite_existing);
      std::cerr << "case " << n << " (kept as " << kept.string() << "): "
                << (sheets ? "sheets that do not fit the grid"
                           : "an error that is not one line naming the file: " + error)
                << '\n';
    }
  }
  fs::remove_all(folder);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << cases << " cases from " << seeds.size() << " seeds (random seed " << seed_value
            << ") in " << seconds << " s: " << read << " read, " << refused << " refused ("
            << isolated << " of them when FreeXL's process died), " << failures << " wrong\n";
  return failures == 0 ? 0 : 1;
}
