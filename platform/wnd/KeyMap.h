// Qt key codes and the platform's virtual keys.
#pragma once

namespace plat {

// The virtual key of a Qt key; 0 for keys without one.
int VirtualKeyOf(int qtKey, bool keypad);
// The Qt key of a virtual key (keypad keys: the Qt key, to be sent with the keypad modifier).
int QtKeyOf(int virtualKey, bool* keypad);

}  // namespace plat
