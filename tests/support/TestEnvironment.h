// Settings every test program runs with, whether CTest or a person starts it: headless windows,
// no sound device, and a folder for pictures that tests render.
#pragma once

#include <string>

namespace plat::test {

// Sets QT_QPA_PLATFORM=offscreen, SDL_AUDIODRIVER=dummy and PLAYER_TEST_OUTPUT where they are not
// set yet, and creates the output folder. Programs with their own main() call it first.
void InitTestEnvironment();
// The folder for rendered test pictures.
std::string TestOutputDir();

}  // namespace plat::test
