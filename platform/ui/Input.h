#pragma once
// Where the backends hand in what the user did. Keys become key messages for
// the focused window, with the lParam the system would give them (scan code,
// extended bit, Alt context, previous state, transition), so handlers that
// read the keypad from the scan code work.

#include "platform/ui/Messages.h"

namespace ui::input {

// The PC scan code of a key (set 1); keypad keys keep their own codes and
// the navigation block shares them with the extended bit. 0 when unknown.
int ScanCodeOf(Word vk);
// True for keys that carry the extended bit (arrows, Insert/Delete block,
// right Ctrl/Alt, keypad Enter and "/").
bool IsExtendedKey(Word vk);

// Key down (auto-repeat when the key is already down) and up. Extended marks
// the keypad Enter (VK_RETURN) and similar twins. With Alt down, or for F10,
// the system key messages go out.
void KeyDown(Word vk, bool extended = false);
void KeyUp(Word vk, bool extended = false);
// A character (1253 byte) produced by key Vk (0: derived from the character).
void Char(char ch, Word vk = 0);
// The key that types Ch on the US layout, shifted or not; 0 for characters
// of no key (Greek letters arrive as text).
Word VkOfChar(char ch, bool* shifted = nullptr);

}  // namespace ui::input
