// Clears the locale variables for the life of the object and puts the old values back afterwards,
// so that a test decides alone which interface language and system locale the program sees.
#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
      ::unsetenv(name);
    }
  }
  ~LocaleEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  LocaleEnvironment(const LocaleEnvironment&) = delete;
  LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

  static void Set(const char* name, const char* value) { ::setenv(name, value, 1); }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};
