// Sets environment variables for the life of the object and puts the old values back afterwards.
// Setting TZ also makes the C library read the time zone again, both ways.
#pragma once

#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>
#include <string>

class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const char* name, const char* value) { Set(name, value); }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
    tzset();
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  // A null value removes the variable.
  void Set(const char* name, const char* value) {
    if (saved_.find(name) == saved_.end()) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
    tzset();
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};
