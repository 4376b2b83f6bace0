// Starting the browser for the on-line help, as the add-in tries it: "explorer.exe", then the
// path found for "explorer" + ".exe", then the same with "netscape".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "kvplatform/process.h"
#include "scratch.h"

namespace {

using kvtest::ScopedEnv;

class Processes : public ::testing::Test {
protected:
  kvtest::ScratchFolder folder;
  const std::string bin = folder / "bin";
  const std::string output = folder / "opened";
  // Only what the test puts there is on the path; no opener of the machine's own.
  ScopedEnv path{"PATH", bin};
  ScopedEnv browser{"BROWSER", nullptr};

  void SetUp() override { std::filesystem::create_directories(bin); }

  std::string Script(const std::string& name, const std::string& text, mode_t mode = 0755) {
    const std::string file = bin + "/" + name;
    kvtest::WriteFile(file, text);
    chmod(file.c_str(), mode);
    return file;
  }
  // A stand-in browser that writes down the one argument it was given.
  std::string Browser(const std::string& name = "kv-browser") {
    return Script(name, "#!/bin/sh\nprintf '%s|%s\\n' \"$1\" \"$#\" > '" + output + "'\n");
  }
  // The browser ran with `address` as its only argument.
  void ExpectOpened(int started, const std::string& address) {
    EXPECT_GT(started, 0);
    const std::string expected = address + "|1\n";
    const bool seen = kvtest::WaitFor([&] { return kvtest::ReadFile(output) == expected; });
    EXPECT_TRUE(seen) << "the browser wrote \"" << kvtest::ReadFile(output) << "\"";
    std::filesystem::remove(output);
  }
};

TEST_F(Processes, BrowserNamesStartTheBrowserVariableWithTheAddress) {
  const ScopedEnv set{"BROWSER", Browser()};
  const std::string address = "http://exemplo.com.br/ajuda?p=um dois&l=pt";
  for (const char* name :
       {"explorer.exe", "netscape.exe", "EXPLORER.EXE", "explorer", "C:\\WINDOWS\\explorer.exe",
        "C:\\Arquivos de programas\\Netscape.exe"}) {
    SCOPED_TRACE(name);
    ExpectOpened(kvp::SpawnNoWait(name, address.c_str()), address);
  }
  // The starter reaped what it started: this process has no child left, running or zombie.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(Processes, BrowserVariableMayNameACommandOnThePathWithMoreWords) {
  Browser("meu-navegador");
  const ScopedEnv set{"BROWSER", "  meu-navegador --new-window"};
  ExpectOpened(kvp::SpawnNoWait("netscape.exe", "http://a.b/c"), "http://a.b/c");
  // The add-in's second try starts the found path of "explorer" + ".exe": the opener itself.
  const std::string found = kvp::SearchProgramPath("explorer", ".exe");
  EXPECT_EQ(found, bin + "/meu-navegador");
  ExpectOpened(kvp::SpawnNoWait(found.c_str(), "http://a.b/d"), "http://a.b/d");
  EXPECT_EQ(kvp::SearchProgramPath("NETSCAPE.EXE", nullptr), bin + "/meu-navegador");
}

TEST_F(Processes, WithoutAnOpenerEveryBrowserTheAddInTriesFails) {
  // BROWSER unset and no xdg-open on the path.
  const std::string explorer = kvp::SearchProgramPath("explorer", ".exe");
  const std::string netscape = kvp::SearchProgramPath("netscape", ".exe");
  EXPECT_EQ(explorer, "");
  EXPECT_EQ(netscape, "");
  for (const std::string& program :
       {std::string("explorer.exe"), explorer, std::string("netscape.exe"), netscape})
    EXPECT_EQ(kvp::SpawnNoWait(program.c_str(), "http://a.b/"), -1) << '"' << program << '"';

  const ScopedEnv missing{"BROWSER", folder / "no-such-browser"};
  EXPECT_EQ(kvp::SpawnNoWait("explorer.exe", "http://a.b/"), -1);
  EXPECT_EQ(kvp::SearchProgramPath("explorer", ".exe"), "");
}

TEST_F(Processes, XdgOpenIsTheOpenerWhenBrowserIsUnset) {
  const std::string opener = Browser("xdg-open");
  EXPECT_EQ(kvp::SearchProgramPath("explorer", ".exe"), opener);
  ExpectOpened(kvp::SpawnNoWait("explorer.exe", "file:///tmp/ajuda.htm"), "file:///tmp/ajuda.htm");
}

TEST_F(Processes, ProgramsThatCannotStartAnswerMinusOne) {
  Script("not-executable", "#!/bin/sh\nexit 0\n", 0644);
  Script("bad-interpreter", "#!/no/such/interpreter\n");
  std::filesystem::create_directories(bin + "/a-folder");
  for (const std::string& program :
       {std::string("no-such-program"), std::string("not-executable"), bin + "/not-executable",
        std::string("bad-interpreter"), std::string("a-folder"), bin + "/a-folder", std::string()})
    EXPECT_EQ(kvp::SpawnNoWait(program.c_str(), "x"), -1) << '"' << program << '"';
  EXPECT_EQ(kvp::SpawnNoWait(nullptr, "x"), -1);
}

TEST_F(Processes, ProgramsAreFoundAsExecvpFindsThem) {
  // A script without "#!" runs under the shell, as execvp runs it.
  Script("no-shebang", "printf '%s|%s\\n' \"$1\" \"$#\" > '" + output + "'\n");
  ExpectOpened(kvp::SpawnNoWait("no-shebang", "um argumento"), "um argumento");
  // A later folder of the path is searched when an earlier one does not have the program.
  const ScopedEnv two{"PATH", folder / "empty" + ":" + bin};
  Browser("ferramenta");
  ExpectOpened(kvp::SpawnNoWait("ferramenta", "z"), "z");
}

TEST(ProgramPath, FindsProgramsAlongThePathWithOrWithoutExe) {
  const ScopedEnv path{"PATH", "/no/such/folder:/usr/bin:/bin"};
  const ScopedEnv browser{"BROWSER", nullptr};
  for (const char* extension : {static_cast<const char*>(nullptr), ".exe", ".EXE"}) {
    const std::string sh = kvp::SearchProgramPath("sh", extension);
    ASSERT_FALSE(sh.empty()) << (extension ? extension : "no extension");
    EXPECT_EQ(sh.front(), '/') << sh;
    EXPECT_EQ(std::filesystem::path(sh).filename(), "sh") << sh;
    EXPECT_EQ(access(sh.c_str(), X_OK), 0) << sh;
  }
  EXPECT_EQ(kvp::SearchProgramPath("sh.bat", ".exe"), "") << "a name's own extension stays";
  EXPECT_EQ(kvp::SearchProgramPath("no-such-program-kv", ".exe"), "");
  EXPECT_EQ(kvp::SearchProgramPath("", ".exe"), "");
}

} // namespace
