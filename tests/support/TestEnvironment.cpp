#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>

namespace plat::test {

void InitTestEnvironment() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("PLAYER_TEST_OUTPUT", PLAYER_TEST_OUTPUT_DEFAULT, 0);
  std::error_code ec;
  std::filesystem::create_directories(TestOutputDir(), ec);
}

std::string TestOutputDir() {
  const char* dir = std::getenv("PLAYER_TEST_OUTPUT");
  return dir && *dir ? dir : PLAYER_TEST_OUTPUT_DEFAULT;
}

}  // namespace plat::test
