// The user's standard folders, as the desktop's user-dirs file names them.
#pragma once

#include <string>

namespace plat {

// XDG_PICTURES_DIR of "$XDG_CONFIG_HOME/user-dirs.dirs" (~/.config when unset), else
// "$HOME/Pictures"; no trailing '/'. Empty without a home folder.
std::string UserPicturesDir();
// XDG_VIDEOS_DIR in the same way, else "$HOME/Videos".
std::string UserVideosDir();

// True when the folder exists and this process may create files in it.
bool IsWritableDir(const std::string& dir);

}  // namespace plat
