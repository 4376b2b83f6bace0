// The registry file store: what the add-in's settings reader and the installer rely on.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "kvplatform/registry.h"
#include "scratch.h"

namespace {

using kvp::RegistryKey;
using kvp::RegistryType;
using kvtest::ScopedEnv;

constexpr char kKey[] = "Software\\Kavenlor";

struct Stored {
  RegistryType type;
  std::string bytes; // as the query answers them, a text's zero included
};

std::optional<Stored> Query(const RegistryKey& key, const char* name) {
  std::vector<unsigned char> buffer(1 << 20);
  std::size_t size = buffer.size();
  RegistryType type{};
  if (!kvp::QueryRegistryValue(key, name, type, buffer.data(), size)) return std::nullopt;
  return Stored{type, std::string(reinterpret_cast<const char*>(buffer.data()), size)};
}

bool Set(const RegistryKey& key, const char* name, RegistryType type, const std::string& bytes) {
  return kvp::SetRegistryValue(key, name, type,
                               reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

class Registry : public ::testing::Test {
protected:
  kvtest::ScratchFolder folder;
  const std::string file = folder / "config/kavenlor/registry";
  // The real home folder is never looked at: every place the store could be is ours.
  ScopedEnv registry{"KAVENLOR_REGISTRY", file};
  ScopedEnv xdg{"XDG_CONFIG_HOME", folder / "xdg"};
  ScopedEnv home{"HOME", folder / "home"};

  RegistryKey Created(const char* path = kKey) {
    RegistryKey key;
    EXPECT_TRUE(kvp::CreateRegistryKey(path, key));
    return key;
  }
  RegistryKey Opened(const char* path = kKey) {
    RegistryKey key;
    EXPECT_TRUE(kvp::OpenRegistryKey(path, key)) << path;
    return key;
  }
};

TEST_F(Registry, TextsAndBinaryValuesComeBackExactlyFromTheFile) {
  // Every ANSI byte but zero, and the ones the file escapes, in names and texts alike.
  std::string every_byte;
  for (int c = 1; c < 256; ++c)
    every_byte += static_cast<char>(c);
  const std::string path = "C:\\Arquivos de programas\\Kavenlor\\";
  const std::string accented = "Configura\xE7\xF5"
                               "es \"r\xE1pidas\" 100% \x80\x81\x9D\t\x7F";
  std::string binary;
  for (int c = 0; c < 256; ++c)
    binary += static_cast<char>(255 - c);
  {
    RegistryKey key = Created();
    ASSERT_TRUE(Set(key, "Caminho", RegistryType::Text, path));
    ASSERT_TRUE(Set(key, "Op\xE7\xE3o %\"", RegistryType::Text, accented));
    ASSERT_TRUE(Set(key, "Tudo", RegistryType::Text, every_byte));
    ASSERT_TRUE(Set(key, "Vazio", RegistryType::Text, ""));
    ASSERT_TRUE(Set(key, "Janela", RegistryType::Binary, binary));
    ASSERT_TRUE(Set(key, "Nada", RegistryType::Binary, ""));
    ASSERT_TRUE(Set(key, "", RegistryType::Text, "padr\xE3o")); // the key's unnamed value
  }
  const RegistryKey key = Opened();
  const struct {
    const char* name;
    RegistryType type;
    std::string bytes;
  } expected[] = {
      {"Caminho", RegistryType::Text, path + '\0'},
      {"Op\xE7\xE3o %\"", RegistryType::Text, accented + '\0'},
      {"Tudo", RegistryType::Text, every_byte + '\0'},
      {"Vazio", RegistryType::Text, std::string(1, '\0')},
      {"Janela", RegistryType::Binary, binary},
      {"Nada", RegistryType::Binary, ""},
      {"", RegistryType::Text, std::string("padr\xE3o") + '\0'},
  };
  for (const auto& value : expected) {
    const auto stored = Query(key, value.name);
    ASSERT_TRUE(stored) << value.name;
    EXPECT_EQ(stored->type, value.type) << value.name;
    EXPECT_EQ(stored->bytes, value.bytes) << value.name;
  }
}

TEST_F(Registry, FileIsUtf8TextWithEscapesAndHex) {
  {
    RegistryKey key = Created();
    ASSERT_TRUE(Set(key, "Idioma", RegistryType::Text, "portugu\xEAs"));
    ASSERT_TRUE(Set(key, "Caminho", RegistryType::Text, "C:\\Kv\\ \"50%\"\n"));
    ASSERT_TRUE(Set(key, "Janela", RegistryType::Binary, std::string("\x00\xFF\x10", 3)));
  }
  EXPECT_EQ(kvtest::ReadFile(file), "# Kavenlor registry 1\n"
                                    "[Software\\Kavenlor]\n"
                                    "\"Idioma\" = text \"portugu\xC3\xAAs\"\n"
                                    "\"Caminho\" = text \"C:\\Kv\\ %2250%25%22%0a\"\n"
                                    "\"Janela\" = binary 00ff10\n");
}

TEST_F(Registry, KeyAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  {
    RegistryKey key = Created();
    ASSERT_TRUE(Set(key, "Idioma", RegistryType::Text, "pt"));
    ASSERT_TRUE(Set(key, "A\xE7\xE3o", RegistryType::Text, "abrir")); // Ação
  }
  {
    RegistryKey key = Created("SOFTWARE\\kavenlor");
    ASSERT_TRUE(Set(key, "IDIOMA", RegistryType::Text, "en"));
  }
  const RegistryKey key = Opened("software\\KAVENLOR\\");
  ASSERT_TRUE(Query(key, "idioma"));
  EXPECT_EQ(Query(key, "idioma")->bytes, std::string("en") + '\0');
  ASSERT_TRUE(Query(key, "A\xC7\xC3O")); // AÇÃO
  EXPECT_EQ(Query(key, "A\xC7\xC3O")->bytes, std::string("abrir") + '\0');

  const std::string text = kvtest::ReadFile(file);
  EXPECT_NE(text.find("[Software\\Kavenlor]\n\"Idioma\" = text \"en\"\n"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("IDIOMA"), std::string::npos) << text;
  EXPECT_EQ(text.find("SOFTWARE"), std::string::npos) << text;

  // A key whose subkey was created exists too; a mere prefix of a name does not.
  RegistryKey parent;
  EXPECT_TRUE(kvp::OpenRegistryKey("SOFTWARE", parent));
  EXPECT_FALSE(kvp::OpenRegistryKey("Softw", parent));
  EXPECT_FALSE(kvp::OpenRegistryKey("Software\\Kavenlor\\Outro", parent));
}

TEST_F(Registry, MissingKeysAndValuesAreReportedAndTouchNothing) {
  RegistryKey key;
  EXPECT_FALSE(kvp::OpenRegistryKey(kKey, key)) << "no file yet";
  EXPECT_FALSE(key.is_open());
  EXPECT_FALSE(std::filesystem::exists(file)) << "reading never creates the file";

  Created(); // the key exists from here on, with no value
  RegistryKey reopened = Opened();
  EXPECT_FALSE(kvp::OpenRegistryKey("Software\\Outro", key));
  EXPECT_FALSE(kvp::OpenRegistryKey("", key));
  EXPECT_FALSE(kvp::OpenRegistryKey("\\Software", key));

  unsigned char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  std::size_t size = sizeof buffer;
  RegistryType type = RegistryType::Binary;
  EXPECT_FALSE(kvp::QueryRegistryValue(reopened, "Idioma", type, buffer, size));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 8), "xxxxxxxx");
  EXPECT_FALSE(kvp::QueryRegistryValue(RegistryKey(), "Idioma", type, buffer, size));
}

TEST_F(Registry, QueryFollowsRegQueryValueExSizes) {
  {
    RegistryKey key = Created();
    ASSERT_TRUE(Set(key, "Idioma", RegistryType::Text, "pt-BR"));
    ASSERT_TRUE(Set(key, "Janela", RegistryType::Binary, "\x01\x02\x03"));
  }
  const RegistryKey key = Opened();
  RegistryType type = RegistryType::Binary;
  std::size_t size = 0;
  ASSERT_TRUE(kvp::QueryRegistryValue(key, "Idioma", type, nullptr, size));
  EXPECT_EQ(size, 6u) << "the text and its zero";
  EXPECT_EQ(type, RegistryType::Text);

  unsigned char buffer[6];
  std::memset(buffer, '#', sizeof buffer);
  size = 5; // one short: the zero does not fit
  EXPECT_FALSE(kvp::QueryRegistryValue(key, "Idioma", type, buffer, size));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), "######");
  size = 6;
  ASSERT_TRUE(kvp::QueryRegistryValue(key, "Idioma", type, buffer, size));
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "pt-BR");

  std::memset(buffer, '#', sizeof buffer);
  size = 2;
  EXPECT_FALSE(kvp::QueryRegistryValue(key, "Janela", type, buffer, size));
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(buffer[0], '#');
  size = 3;
  ASSERT_TRUE(kvp::QueryRegistryValue(key, "Janela", type, buffer, size));
  EXPECT_EQ(type, RegistryType::Binary);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "\x01\x02\x03#");
}

TEST_F(Registry, WritesAreRefusedThroughReadKeysAndForTextsWithZeros) {
  RegistryKey writable = Created();
  const RegistryKey readable = Opened();
  EXPECT_FALSE(Set(readable, "Idioma", RegistryType::Text, "pt"));
  EXPECT_FALSE(Set(writable, "Idioma", RegistryType::Text, std::string("p\0t", 3)));
  EXPECT_FALSE(Query(readable, "Idioma"));
  // strlen + 1, as RegSetValueExA callers often pass it: one zero, not part of the text.
  ASSERT_TRUE(Set(writable, "Idioma", RegistryType::Text, std::string("pt\0", 3)));
  EXPECT_EQ(Query(readable, "Idioma")->bytes, std::string("pt\0", 3));
  // A key object sees what is set after it was opened, as on Windows.
  ASSERT_TRUE(Set(writable, "Idioma", RegistryType::Text, "en"));
  EXPECT_EQ(Query(readable, "Idioma")->bytes, std::string("en\0", 3));
}

// A file that does not start with the header is no registry at all; in one that does, a line
// that is not understood is skipped and the rest holds. The next write keeps the damaged file
// aside, each damaged file under a name of its own, and removes temporary files that a killed
// writer left.
TEST_F(Registry, DamagedLinesAreSkippedAndDamagedFilesKeptAside) {
  const std::string good = "# Kavenlor registry 1\n"
                           "[Software\\Outro]\n"
                           "\"Idioma\" = text \"pt\"\n";
  const std::string not_a_registry[] = {
      "",
      "garbage\n",
      "[Software\\Kavenlor]\n\"Idioma\" = text \"pt\"\n", // no header
      "# Kavenlor registry 2\n[Software\\Kavenlor]\n",
  };
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  for (const std::string& bad : not_a_registry) {
    kvtest::WriteFile(file, bad);
    RegistryKey key;
    EXPECT_FALSE(kvp::OpenRegistryKey("Software\\Outro", key)) << bad;
    EXPECT_FALSE(kvp::OpenRegistryKey(kKey, key)) << bad;
  }
  // After the good key: the damaged line and what it takes with it are lost, nothing else.
  const std::string damaged[] = {
      "\"Idioma\" = text \"pt\"\n[Software\\Kavenlor]\n", // a value before any key
      "[Software\\Kavenlor]\n\"Idioma\" = text \"p",      // cut in a text
      "[Software\\Kavenlor]\n\"Idio",
      "[Software\\Kav",
      "[Software\\Kavenlor]\n\"Idioma\" = text \"p%00t\"\n",
      "[Software\\Kavenlor]\n\"Idioma\" = text \"p%4\"\n",
      "[Software\\Kavenlor]\n\"Idioma\" = text \"\xE2\x82\"\n",     // bad UTF-8
      "[Software\\Kavenlor]\n\"Idioma\" = text \"\xE4\xB8\xAD\"\n", // no ANSI byte
      "[Software\\Kavenlor]\n\"Janela\" = binary 0a0\n",
      "[Software\\Kavenlor]\n\"Janela\" = binary 0g\n",
      "[Software\\Kavenlor]\n\"Janela\" = dword 1\n",
      "[Software\\Kavenlor]\n\"A\" = text \"1\"\n\"a\" = text \"2\"\n",
      "[Software\\Kavenlor]\n[SOFTWARE\\KAVENLOR]\n\"Idioma\" = text \"x\"\n",
      "[]\n\"Idioma\" = text \"x\"\n",
      "[Software\\Outro]\n\"Janela\" = text \"x\"\n", // the key again: all of it skipped
  };
  for (const std::string& bad : damaged) {
    kvtest::WriteFile(file, good + bad);
    EXPECT_EQ(Query(Opened("Software\\Outro"), "Idioma")->bytes, std::string("pt\0", 3)) << bad;
    EXPECT_FALSE(Query(Opened("Software\\Outro"), "Janela")) << bad;
  }
  // Stray blanks and tabs around a line, and CRLF line ends, damage nothing.
  kvtest::WriteFile(file, "# Kavenlor registry 1 \r\n [Software\\Kavenlor]\t\r\n"
                          "\"Idioma\" = text \"pt\"  \r\n");
  EXPECT_EQ(Query(Opened(), "Idioma")->bytes, std::string("pt\0", 3));

  const std::string first = good + "\"Idioma\" = text \"pt\n";
  const std::string second = good + "\"Outro\" = dword 2\n";
  const std::string abandoned = file + ".kvtemp-AbC123";
  kvtest::WriteFile(abandoned, "half a registry");
  for (const std::string& bad : {first, second}) {
    kvtest::WriteFile(file, bad);
    RegistryKey key = Created();
    ASSERT_TRUE(Set(key, "Janela", RegistryType::Text, "en"));
  }
  EXPECT_EQ(kvtest::ReadFile(file + ".corrupt"), first);
  EXPECT_EQ(kvtest::ReadFile(file + ".corrupt-2"), second);
  EXPECT_EQ(Query(Opened("Software\\Outro"), "Idioma")->bytes, std::string("pt\0", 3));
  EXPECT_EQ(Query(Opened(), "Janela")->bytes, std::string("en\0", 3));
  EXPECT_FALSE(std::filesystem::exists(abandoned));
}

TEST_F(Registry, StoreFollowsTheEnvironmentAndMakesItsFolders) {
  {
    ScopedEnv unset{"KAVENLOR_REGISTRY", nullptr};
    Created();
    EXPECT_TRUE(std::filesystem::exists(folder / "xdg/kavenlor/registry"));
    {
      ScopedEnv no_xdg{"XDG_CONFIG_HOME", nullptr};
      Created();
      EXPECT_TRUE(std::filesystem::exists(folder / "home/.config/kavenlor/registry"));
    }
  }
  EXPECT_FALSE(std::filesystem::exists(file)) << "not written while the override was unset";
  RegistryKey key;
  EXPECT_FALSE(kvp::OpenRegistryKey(kKey, key)) << "the override's file is another registry";
  Created();
  EXPECT_TRUE(std::filesystem::exists(file));
}

// A second process rewrites the file while this one reads it: each read must find one whole
// file, the old or the new.
TEST_F(Registry, FileRewrittenByAnotherWriterIsReadWhole) {
  const std::string first(200000, 'a');
  const std::string second(150000, 'b');
  {
    RegistryKey key = Created();
    ASSERT_TRUE(Set(key, "Grande", RegistryType::Text, first));
  }
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    RegistryKey key;
    bool ok = kvp::CreateRegistryKey(kKey, key);
    for (int i = 0; ok && i < 80; ++i)
      ok = Set(key, "Grande", RegistryType::Text, i % 2 == 0 ? second : first);
    _exit(ok ? 0 : 1);
  }
  const RegistryKey key = Opened();
  int reads = 0;
  int status = 0;
  bool whole = true;
  while (waitpid(writer, &status, WNOHANG) == 0 && whole) {
    const auto stored = Query(key, "Grande");
    whole = stored && (stored->bytes == first + '\0' || stored->bytes == second + '\0');
    ++reads;
  }
  if (!whole) waitpid(writer, &status, 0);
  EXPECT_TRUE(whole) << "read " << reads << " found a partial or missing value";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer failed";
  EXPECT_GT(reads, 1);
}

TEST_F(Registry, WritersInTwoProcessesLoseNoValue) {
  Created();
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  const char* prefix = other == 0 ? "filho" : "pai";
  RegistryKey key;
  bool ok = kvp::CreateRegistryKey(kKey, key);
  for (int i = 0; ok && i < 40; ++i)
    ok = Set(key, (prefix + std::to_string(i)).c_str(), RegistryType::Text, std::to_string(i));
  if (other == 0) _exit(ok ? 0 : 1);
  int status = 0;
  waitpid(other, &status, 0);
  ASSERT_TRUE(ok);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const RegistryKey reader = Opened();
  for (const char* who : {"filho", "pai"})
    for (int i = 0; i < 40; ++i)
      EXPECT_TRUE(Query(reader, (who + std::to_string(i)).c_str())) << who << i;
}

} // namespace
