// The process in a pt_BR locale (decimal comma) for the scope: an installed one, or one that
// localedef builds into a LOCPATH of its own, so that the tests of locale independence run on
// machines without Portuguese locales too. WhyNot() says why there is none.
#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kvtest {

class PtBrLocale {
public:
  PtBrLocale() : before_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"pt_BR.UTF-8", "pt_BR.utf8", "pt_BR"})
      if (std::setlocale(LC_ALL, name) != nullptr) return;
    if (std::system("command -v localedef >/dev/null 2>&1") != 0) {
      why_not_ = "no pt_BR locale, and no localedef to build one";
      return;
    }
    folder_ =
        std::filesystem::temp_directory_path() / ("kvtest_locale_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    const std::filesystem::path locale = folder_ / "pt_BR.UTF-8";
    const std::string build = "localedef -i pt_BR -f UTF-8 '" + locale.string() + "' 2>/dev/null";
    if (std::system(build.c_str()) != 0 && !std::filesystem::exists(locale / "LC_NUMERIC")) {
      why_not_ = "localedef could not build pt_BR.UTF-8";
      return;
    }
    ::setenv("LOCPATH", folder_.c_str(), 1);
    if (std::setlocale(LC_ALL, "pt_BR.UTF-8") == nullptr)
      why_not_ = "the built pt_BR locale does not load";
  }
  ~PtBrLocale() {
    std::setlocale(LC_ALL, before_.c_str());
    if (!folder_.empty()) {
      ::unsetenv("LOCPATH");
      std::error_code ignored;
      std::filesystem::remove_all(folder_, ignored);
    }
  }
  PtBrLocale(const PtBrLocale&) = delete;
  PtBrLocale& operator=(const PtBrLocale&) = delete;
  const std::string& WhyNot() const { return why_not_; }

private:
  std::string before_;
  std::filesystem::path folder_;
  std::string why_not_;
};

} // namespace kvtest
