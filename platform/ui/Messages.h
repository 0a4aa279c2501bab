#pragma once
// The message record every window procedure receives, the queued form of it,
// and the class library's own control messages (CM_*), numbered as the
// class library numbers them so that handlers written against those numbers
// keep working.

#include "platform/ui/Windows.h"

// What a window procedure receives: the number, both parameters, and the
// answer the handler leaves for the sender.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  Word WParamLo() const { return LOWORD(WParam); }
  Word WParamHi() const { return HIWORD(WParam); }
  Word LParamLo() const { return LOWORD(static_cast<std::uintptr_t>(LParam)); }
  Word LParamHi() const { return HIWORD(static_cast<std::uintptr_t>(LParam)); }
};

// A message as it waits in the queue.
struct TMsg {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
};

// Readers for the usual message shapes, so handlers say what they read.
inline Word MsgCharCode(const TMessage& m) { return static_cast<Word>(m.WParam & 0xFFFF); }
inline int MsgX(const TMessage& m) { return GET_X_LPARAM(m.LParam); }
inline int MsgY(const TMessage& m) { return GET_Y_LPARAM(m.LParam); }
inline UINT MsgKeys(const TMessage& m) { return static_cast<UINT>(m.WParam & 0xFFFF); }
inline int MsgWheelDelta(const TMessage& m) { return GET_WHEEL_DELTA_WPARAM(m.WParam); }
// Bits 16..23 of a key message's lParam.
inline int MsgScanCode(const TMessage& m) { return static_cast<int>((m.LParam >> 16) & 0xFF); }
inline bool MsgExtendedKey(const TMessage& m) { return (m.LParam & KF_EXTENDED_BIT) != 0; }

// ---- the class library's control messages ---------------------------------
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;

// The answer of WM_GETDLGCODE-style queries: the key is for the control, not
// for the dialog navigation.
constexpr LRESULT CM_WANTED = 1;
