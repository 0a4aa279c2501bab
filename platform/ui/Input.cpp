#include "platform/ui/Input.h"

#include "platform/rtl/Cp1253.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/MessageLoop.h"

namespace ui::input {

namespace {

constexpr int kLetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                 0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

bool KeyIsDown(Word vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

LPARAM KeyLParam(Word vk, bool extended, bool previousDown, bool release) {
  LPARAM l = 1;  // repeat count
  l |= static_cast<LPARAM>(ScanCodeOf(vk) & 0xFF) << 16;
  if (extended || IsExtendedKey(vk)) l |= KF_EXTENDED_BIT;
  if (KeyIsDown(VK_MENU)) l |= KF_ALTDOWN_BIT;
  if (previousDown) l |= KF_REPEAT_BIT;
  if (release) l |= KF_UP_BIT;
  return l;
}

// The generic and the sided code of a modifier move together.
void SetModifier(Word vk, bool down) {
  ui::SetAsyncKeyDown(vk, down);
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      ui::SetAsyncKeyDown(VK_SHIFT, down);
      break;
    case VK_LCONTROL:
    case VK_RCONTROL:
      ui::SetAsyncKeyDown(VK_CONTROL, down);
      break;
    case VK_LMENU:
    case VK_RMENU:
      ui::SetAsyncKeyDown(VK_MENU, down);
      break;
    default:
      break;
  }
}

Word GenericKey(Word vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return vk;
  }
}

}  // namespace

int ScanCodeOf(Word vk) {
  if (vk >= 'A' && vk <= 'Z') return kLetterScan[vk - 'A'];
  if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
  if (vk >= VK_F1 && vk <= VK_F10) return 0x3B + (vk - VK_F1);
  switch (vk) {
    case '0':
      return 0x0B;
    case VK_ESCAPE:
      return 0x01;
    case VK_BACK:
      return 0x0E;
    case VK_TAB:
      return 0x0F;
    case VK_RETURN:
      return 0x1C;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      return 0x1D;
    case VK_SHIFT:
    case VK_LSHIFT:
      return 0x2A;
    case VK_RSHIFT:
      return 0x36;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return 0x38;
    case VK_SPACE:
      return 0x39;
    case VK_CAPITAL:
      return 0x3A;
    case VK_F11:
      return 0x57;
    case VK_F12:
      return 0x58;
    case VK_NUMLOCK:
      return 0x45;
    case VK_SCROLL:
      return 0x46;
    case VK_NUMPAD7:
    case VK_HOME:
      return 0x47;
    case VK_NUMPAD8:
    case VK_UP:
      return 0x48;
    case VK_NUMPAD9:
    case VK_PRIOR:
      return 0x49;
    case VK_SUBTRACT:
      return 0x4A;
    case VK_NUMPAD4:
    case VK_LEFT:
      return 0x4B;
    case VK_NUMPAD5:
    case VK_CLEAR:
      return 0x4C;
    case VK_NUMPAD6:
    case VK_RIGHT:
      return 0x4D;
    case VK_ADD:
      return 0x4E;
    case VK_NUMPAD1:
    case VK_END:
      return 0x4F;
    case VK_NUMPAD2:
    case VK_DOWN:
      return 0x50;
    case VK_NUMPAD3:
    case VK_NEXT:
      return 0x51;
    case VK_NUMPAD0:
    case VK_INSERT:
      return 0x52;
    case VK_DECIMAL:
    case VK_DELETE:
      return 0x53;
    case VK_MULTIPLY:
      return 0x37;
    case VK_DIVIDE:
      return 0x35;
    case VK_OEM_MINUS:
      return 0x0C;
    case VK_OEM_PLUS:
      return 0x0D;
    case VK_OEM_4:
      return 0x1A;
    case VK_OEM_6:
      return 0x1B;
    case VK_OEM_1:
      return 0x27;
    case VK_OEM_7:
      return 0x28;
    case VK_OEM_3:
      return 0x29;
    case VK_OEM_5:
      return 0x2B;
    case VK_OEM_COMMA:
      return 0x33;
    case VK_OEM_PERIOD:
      return 0x34;
    case VK_OEM_2:
      return 0x35;
    default:
      return 0;
  }
}

bool IsExtendedKey(Word vk) {
  switch (vk) {
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

void KeyDown(Word vk, bool extended) {
  if (vk == VK_ESCAPE && CancelSizeMove()) return;
  const Word generic = GenericKey(vk);
  const bool wasDown = KeyIsDown(generic);
  if (generic != vk) SetModifier(vk, true);
  ui::SetAsyncKeyDown(generic, true);
  // A drag takes the keys for itself (Escape, Ctrl, Shift).
  if (ui::dragdrop::Dragging()) {
    ui::dragdrop::KeyDown(generic);
    return;
  }
  const bool system = KeyIsDown(VK_MENU) || vk == VK_F10;
  if (HWND target = GetFocus())
    PostMessage(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, generic,
                KeyLParam(vk, extended, wasDown, false));
}

void KeyUp(Word vk, bool extended) {
  const Word generic = GenericKey(vk);
  // The Alt state is read before the key itself goes up, so releasing Alt
  // is a system key message as on the system.
  const bool system = KeyIsDown(VK_MENU) || vk == VK_F10;
  const LPARAM l = KeyLParam(vk, extended, true, true);
  if (generic != vk) SetModifier(vk, false);
  ui::SetAsyncKeyDown(generic, false);
  if (ui::dragdrop::Dragging()) {
    ui::dragdrop::KeyUp(generic);
    return;
  }
  if (HWND target = GetFocus()) PostMessage(target, system ? WM_SYSKEYUP : WM_KEYUP, generic, l);
}

void Char(char ch, Word vk) {
  if (ui::dragdrop::Dragging()) return;
  if (vk == 0) vk = VkOfChar(ch);
  LPARAM l = 1 | (static_cast<LPARAM>(ScanCodeOf(vk) & 0xFF) << 16);
  if (KeyIsDown(VK_MENU)) l |= KF_ALTDOWN_BIT;
  const UINT msg = KeyIsDown(VK_MENU) && !KeyIsDown(VK_CONTROL) ? WM_SYSCHAR : WM_CHAR;
  if (HWND target = GetFocus()) PostMessage(target, msg, static_cast<unsigned char>(ch), l);
}

void WideChar(char16_t unit) {
  if (ui::dragdrop::Dragging()) return;
  const int byte = cp1253::FromUnicode(unit);
  if (byte >= 0) {
    Char(static_cast<char>(byte), 0);
    return;
  }
  if (HWND target = GetFocus()) PostMessage(target, WM_CHAR, unit, 1);
}

Word VkOfChar(char ch, bool* shifted) {
  const unsigned char c = static_cast<unsigned char>(ch);
  bool shift = false;
  Word vk = 0;
  if (c >= 'a' && c <= 'z') {
    vk = static_cast<Word>(c - 32);
  } else if (c >= 'A' && c <= 'Z') {
    vk = c;
    shift = true;
  } else if (c >= '0' && c <= '9') {
    vk = c;
  } else {
    static constexpr const char* kPlain = " -=[]\\;',./`\r\t\b\x1b";
    static constexpr Word kPlainVk[] = {
        VK_SPACE,     VK_OEM_MINUS,  VK_OEM_PLUS, VK_OEM_4, VK_OEM_6,  VK_OEM_5, VK_OEM_1, VK_OEM_7,
        VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2,    VK_OEM_3, VK_RETURN, VK_TAB,   VK_BACK,  VK_ESCAPE};
    static constexpr const char* kShifted = ")!@#$%^&*(_+{}|:\"<>?~";
    static constexpr Word kShiftedVk[] = {
        '0',      '1',      '2',      '3',          '4',           '5',      '6',
        '7',      '8',      '9',      VK_OEM_MINUS, VK_OEM_PLUS,   VK_OEM_4, VK_OEM_6,
        VK_OEM_5, VK_OEM_1, VK_OEM_7, VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2, VK_OEM_3};
    for (int i = 0; kPlain[i]; ++i)
      if (kPlain[i] == ch) vk = kPlainVk[i];
    for (int i = 0; kShifted[i] && vk == 0; ++i)
      if (kShifted[i] == ch) {
        vk = kShiftedVk[i];
        shift = true;
      }
  }
  if (shifted) *shifted = shift;
  return vk;
}

}  // namespace ui::input
