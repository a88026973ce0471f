#include "platform/wnd/KeyMap.h"

#include <Qt>
#include <array>

#include "platform/wnd/WinInput.h"

namespace plat {
namespace {

struct KeyPair {
  int qt;
  int vk;
  bool keypad;
};

constexpr std::array<KeyPair, 27> kKeys = {{
    {Qt::Key_Backspace, VK_BACK, false},  {Qt::Key_Tab, VK_TAB, false},         {Qt::Key_Backtab, VK_TAB, false},
    {Qt::Key_Return, VK_RETURN, false},   {Qt::Key_Enter, VK_RETURN, false},    {Qt::Key_Shift, VK_SHIFT, false},
    {Qt::Key_Control, VK_CONTROL, false}, {Qt::Key_Alt, VK_MENU, false},        {Qt::Key_Pause, VK_PAUSE, false},
    {Qt::Key_CapsLock, VK_CAPITAL, false}, {Qt::Key_Escape, VK_ESCAPE, false},  {Qt::Key_Space, VK_SPACE, false},
    {Qt::Key_PageUp, VK_PRIOR, false},    {Qt::Key_PageDown, VK_NEXT, false},   {Qt::Key_End, VK_END, false},
    {Qt::Key_Home, VK_HOME, false},       {Qt::Key_Left, VK_LEFT, false},       {Qt::Key_Up, VK_UP, false},
    {Qt::Key_Right, VK_RIGHT, false},     {Qt::Key_Down, VK_DOWN, false},       {Qt::Key_Insert, VK_INSERT, false},
    {Qt::Key_Delete, VK_DELETE, false},   {Qt::Key_Asterisk, VK_MULTIPLY, true}, {Qt::Key_Plus, VK_ADD, true},
    {Qt::Key_Minus, VK_SUBTRACT, true},   {Qt::Key_Period, VK_DECIMAL, true},   {Qt::Key_Slash, VK_DIVIDE, true},
}};

}  // namespace

int VirtualKeyOf(int qtKey, bool keypad) {
  for (const KeyPair& k : kKeys) {
    if (k.qt == qtKey && (!k.keypad || keypad)) return k.vk;
  }
  if (keypad && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
  return 0;
}

int QtKeyOf(int virtualKey, bool* keypad) {
  *keypad = false;
  for (const KeyPair& k : kKeys) {
    if (k.vk == virtualKey) {
      *keypad = k.keypad;
      return k.qt;
    }
  }
  if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) {
    *keypad = true;
    return Qt::Key_0 + (virtualKey - VK_NUMPAD0);
  }
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) return virtualKey;
  if (virtualKey >= VK_F1 && virtualKey <= VK_F1 + 23) return Qt::Key_F1 + (virtualKey - VK_F1);
  return 0;
}

}  // namespace plat
