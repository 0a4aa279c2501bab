#include "platform/ui/Menus.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/WindowManager.h"

namespace paint = ui::paint;

// ---- shortcuts ------------------------------------------------------------------------

namespace {
struct KeyName {
  Word key;
  const char* name;
};
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"}};

AnsiString KeyText(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return AnsiString(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F1 + 23) return "F" + IntToStr(key - VK_F1 + 1);
  for (const auto& k : kKeyNames)
    if (k.key == key) return k.name;
  return {};
}

int& CommandCounter() {
  static int next = 0;
  return next;
}

std::vector<TMenuWindow*>& OpenWindows() {
  static auto* list = new std::vector<TMenuWindow*>;  // past the last control, as the windows
  return *list;
}

constexpr int kItemHeight = 19, kLineHeight = 9, kMarkWidth = 20, kArrowWidth = 16, kBarItemPad = 7;
}  // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if ((Key & 0xFF00) != 0) return 0;
  TShortCut s = Key;
  if (Shift.Contains(ssShift)) s |= scShift;
  if (Shift.Contains(ssCtrl)) s |= scCtrl;
  if (Shift.Contains(ssAlt)) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut s, Word& Key, TShiftState& Shift) {
  Key = s & 0xFF;
  Shift = {};
  if (s & scShift) Shift << ssShift;
  if (s & scCtrl) Shift << ssCtrl;
  if (s & scAlt) Shift << ssAlt;
}

AnsiString ShortCutToText(TShortCut s) {
  const AnsiString key = KeyText(s & 0xFF);
  if (key.empty()) return {};
  AnsiString text;
  if (s & scShift) text += "Shift+";
  if (s & scCtrl) text += "Ctrl+";
  if (s & scAlt) text += "Alt+";
  return text + key;
}

TShortCut TextToShortCut(const AnsiString& text) {
  AnsiString rest = text;
  TShortCut mods = 0;
  for (;;) {
    const AnsiString upper = AnsiUpperCase(rest);
    if (upper.rfind("SHIFT+", 0) == 0) {
      mods |= scShift;
      rest = rest.substr(6);
    } else if (upper.rfind("CTRL+", 0) == 0) {
      mods |= scCtrl;
      rest = rest.substr(5);
    } else if (upper.rfind("ALT+", 0) == 0) {
      mods |= scAlt;
      rest = rest.substr(4);
    } else {
      break;
    }
  }
  if (rest.empty()) return 0;
  for (int key = 1; key < 0x100; ++key)
    if (const AnsiString name = KeyText(static_cast<Word>(key));
        !name.empty() && AnsiCompareText(name, rest) == 0)
      return static_cast<TShortCut>(key | mods);
  return 0;
}

AnsiString StripHotkey(const AnsiString& text) {
  AnsiString out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

// ---- TMenuItem --------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(++CommandCounter()) {}

TMenuItem::~TMenuItem() {
  Destroying();
  // An open window showing these items goes first.
  for (TMenuWindow* w : std::vector<TMenuWindow*>(OpenWindows()))
    if (std::find(OpenWindows().begin(), OpenWindows().end(), w) != OpenWindows().end()) w->CloseAll();
  Clear();
  if (parent_) parent_->Remove(this);
}

void TMenuItem::SetChecked(bool v) {
  Checked = v;
  if (!v || !RadioItem || !parent_) return;
  for (TMenuItem* other : parent_->items_)
    if (other != this && other->RadioItem && other->GroupIndex == GroupIndex) other->Checked = false;
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw EMenuError("Menu inserted twice");
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) throw EMenuError("Sub-menu is not in menu");
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= Count()) throw EMenuError("Menu index out of range");
  delete items_[static_cast<size_t>(index)];  // removes itself
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(int command) {
  if (command_ == command) return this;
  for (TMenuItem* item : items_)
    if (TMenuItem* found = item->Find(command)) return found;
  return nullptr;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

// ---- TMenu ------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(std::make_unique<TMenuItem>(nullptr)) {}

TMenu::~TMenu() { Destroying(); }

namespace {
TMenuItem* FindShortCut(TMenuItem& item, TShortCut s) {
  for (int i = 0; i < item.Count(); ++i) {
    TMenuItem* sub = item.Items(i);
    if (!sub->Visible || !sub->Enabled) continue;
    if (sub->ShortCut == s && sub->Count() == 0) return sub;
    if (TMenuItem* found = FindShortCut(*sub, s)) return found;
  }
  return nullptr;
}
}  // namespace

bool TMenu::IsShortCut(Word key, TShiftState shift) {
  const TShortCut s = ShortCut(key, shift);
  if (s == 0) return false;
  TMenuItem* item = FindShortCut(*items_, s);
  if (!item) return false;
  item->Click();
  return true;
}

// ---- TMainMenu -------------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {
  if (auto* form = dynamic_cast<TCustomForm*>(AOwner); form && !form->Menu()) form->SetMenu(this);
}

TMainMenu::~TMainMenu() {
  Destroying();
  if (form_ && form_->Menu() == this) form_->SetMenu(nullptr);
  AttachTo(nullptr);
}

void TMainMenu::AttachTo(TCustomForm* form) {
  if (form == form_) return;
  if (bar_) {
    TMenuBar* bar = bar_;
    bar_ = nullptr;
    delete bar;
    if (form_) form_->Realign();  // the client area takes the strip back
  }
  form_ = form;
  if (!form) return;
  // The bar takes its strip of the window above the client area: the
  // window keeps its size and the client area gets lower.
  bar_ = new TMenuBar(nullptr, *this);
  bar_->SetParent(form);
  form->Realign();
}

// ---- TPopupMenu -------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  ui::ShowPopupMenu = [](TPopupMenu* menu, TControl* control, TPoint at) {
    menu->PopupComponent = control;
    menu->Popup(at.X, at.Y);
  };
}

TPopupMenu::~TPopupMenu() {
  Destroying();
  for (TMenuWindow* w : std::vector<TMenuWindow*>(OpenWindows()))
    if (std::find(OpenWindows().begin(), OpenWindows().end(), w) != OpenWindows().end()) w->CloseAll();
}

bool TPopupMenu::IsOpen() const {
  for (TMenuWindow* w : OpenWindows())
    if (&w->MenuItems() == Items()) return true;
  return false;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  if (TMenuWindow* open = OpenMenuWindow()) open->CloseAll();
  auto* window = new TMenuWindow(*Items(), this, nullptr, nullptr);
  const int width = window->MeasureSize().cx;
  const int left = Alignment == paRight ? X - width : Alignment == paCenter ? X - width / 2 : X;
  window->OpenAt(Point(left, Y), -1);
}

void TPopupMenu::TrackFor(TWinControl* window, int X, int Y) {
  commandTarget_ = window;
  Popup(X, Y);
}

int TPopupMenu::TrackReturnCmd(int X, int Y) {
  if (returnCmd_) throw EMenuError("The menu is open already");
  commandTarget_ = nullptr;
  returnCmd_ = true;
  chosenCmd_ = 0;
  try {
    Popup(X, Y);
    TMenuWindow* window = OpenMenuWindow();
    if (window && HasBackend() && !Backend().DriveMenu(*window) && IsOpen()) window->CloseAll();
    while (IsOpen()) {
      if (!Application->HandleMessage() && IsOpen()) {
        // No input can ever come (headless): the menu closes unchosen.
        if (TMenuWindow* open = OpenMenuWindow()) open->CloseAll();
      }
      if (Application->Terminated() && IsOpen()) OpenMenuWindow()->CloseAll();
    }
  } catch (...) {
    returnCmd_ = false;
    throw;
  }
  returnCmd_ = false;
  return chosenCmd_;
}

// ---- TMenuBar ---------------------------------------------------------------------------

namespace {
TMenuBar*& KeyboardBar() {
  static TMenuBar* bar = nullptr;
  return bar;
}
bool& AltAlone() {
  static bool alone = false;
  return alone;
}
// The menu bar of the form whose control a message is for.
TMenuBar* BarOfWindow(HWND hwnd) {
  auto* control = dynamic_cast<TWinControl*>(ui::FindWindow(hwnd));
  TCustomForm* form = control ? control->GetParentForm() : nullptr;
  TMainMenu* menu = form ? form->Menu() : nullptr;
  TMenuBar* bar = menu ? menu->Bar() : nullptr;
  return bar && bar->Visible() && bar->Enabled() && ui::InputAllowed(form) ? bar : nullptr;
}
}  // namespace

TMenuBar::TMenuBar(TComponent* AOwner, TMainMenu& menu) : TCustomControl(AOwner), menu_(menu) {
  SetColor(clMenu);
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  SetBounds(0, -(measure.TextHeight("Ag") + 6), 100, measure.TextHeight("Ag") + 6);
  ControlStyle >> csClickEvents;
}

TMenuBar::~TMenuBar() {
  Destroying();
  if (KeyboardBar() == this) KeyboardBar() = nullptr;
  // The form may free its children before the menu lets go of the bar.
  if (menu_.bar_ == this) {
    menu_.bar_ = nullptr;
    menu_.form_ = nullptr;
  }
  if (openIndex_ >= 0)
    if (TMenuWindow* w = OpenMenuWindow()) w->CloseAll();
}

TRect TMenuBar::ItemRect(int index) {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  int x = 0;
  TMenuItem* root = menu_.Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (!item->Visible) {
      if (i == index) return Rect(x, 0, x, Height());
      continue;
    }
    const int w = measure.TextWidth(StripHotkey(item->Caption())) + 2 * kBarItemPad;
    if (i == index) return Rect(x, 0, x + w, Height());
    x += w;
  }
  return Rect(x, 0, x, Height());
}

int TMenuBar::ItemAt(int X) {
  for (int i = 0; i < menu_.Items()->Count(); ++i) {
    const TRect r = ItemRect(i);
    if (X >= r.Left && X < r.Right) return i;
  }
  return -1;
}

void TMenuBar::OpenItem(int index, bool selectFirst) {
  TMenuItem* root = menu_.Items();
  if (index < 0 || index >= root->Count()) return;
  TMenuItem* item = root->Items(index);
  if (!item->Visible || !item->Enabled) return;
  if (TMenuWindow* open = OpenMenuWindow()) open->CloseAll();
  if (item->Count() == 0) {
    item->Click();
    return;
  }
  openIndex_ = index;
  Invalidate();
  auto* window = new TMenuWindow(*item, nullptr, this, nullptr);
  const TRect r = ItemRect(index);
  window->OpenAt(ClientToScreen(Point(r.Left, r.Bottom)), -1);
  if (selectFirst) window->Select(window->Selected() < 0 ? 0 : window->Selected());
}

void TMenuBar::SubMenuClosed() {
  openIndex_ = -1;
  Invalidate();
}

TMenuBar* TMenuBar::InKeyboardMode() { return KeyboardBar(); }

int TMenuBar::StepItem(int index, int step) const {
  TMenuItem* root = menu_.Items();
  const int count = root->Count();
  for (int i = 1; i <= count; ++i) {
    const int at = ((index + step * i) % count + count) % count;
    if (root->Items(at)->Visible) return at;
  }
  return -1;
}

void TMenuBar::EnterKeyboardMode(int index) {
  if (KeyboardBar() && KeyboardBar() != this) KeyboardBar()->LeaveKeyboardMode();
  TMenuItem* root = menu_.Items();
  if (root->Count() == 0) return;
  if (index < 0 || index >= root->Count() || !root->Items(index)->Visible) index = StepItem(-1, 1);
  if (index < 0) return;
  KeyboardBar() = this;
  hotIndex_ = index;
  Invalidate();
}

void TMenuBar::LeaveKeyboardMode() {
  if (KeyboardBar() == this) KeyboardBar() = nullptr;
  if (hotIndex_ < 0) return;
  hotIndex_ = -1;
  Invalidate();
}

bool TMenuBar::KeyboardMessage(const TMsg& msg) {
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    switch (static_cast<Word>(msg.wParam)) {
      case VK_LEFT:
        hotIndex_ = StepItem(hotIndex_, -1);
        Invalidate();
        return true;
      case VK_RIGHT:
        hotIndex_ = StepItem(hotIndex_, 1);
        Invalidate();
        return true;
      case VK_RETURN:
      case VK_DOWN:
      case VK_UP: {
        const int index = hotIndex_;
        LeaveKeyboardMode();
        OpenItem(index, true);
        return true;
      }
      case VK_ESCAPE:
      case VK_F10:
      case VK_MENU:
        LeaveKeyboardMode();
        // The Alt that left must not come back in when it is released.
        AltAlone() = false;
        return true;
      case VK_SHIFT:
      case VK_CONTROL:
        return true;
      default:
        // Letters come as characters; other keys do nothing here.
        return true;
    }
  }
  if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
    TMenuItem* root = menu_.Items();
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* item = root->Items(i);
      if (item->Visible && item->Enabled && IsAccel(static_cast<int>(msg.wParam), item->Caption())) {
        LeaveKeyboardMode();
        OpenItem(i, true);
        return true;
      }
    }
    return true;
  }
  if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) return true;
  return false;
}

bool MenuKeyboardHook(const TMsg& msg) {
  const UINT m = msg.message;
  const bool keyDown = m == WM_KEYDOWN || m == WM_SYSKEYDOWN, keyUp = m == WM_KEYUP || m == WM_SYSKEYUP;
  if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN) {
    AltAlone() = false;
    if (TMenuBar* bar = KeyboardBar()) bar->LeaveKeyboardMode();
    return false;
  }
  if (!keyDown && !keyUp && m != WM_CHAR && m != WM_SYSCHAR) return false;
  // An open menu takes its own keys.
  if (OpenMenuWindow()) {
    AltAlone() = false;
    return false;
  }
  const Word key = static_cast<Word>(msg.wParam);
  if (TMenuBar* bar = KeyboardBar()) {
    if (keyUp && key == VK_MENU && AltAlone()) {
      // The release of the Alt that entered.
      AltAlone() = false;
      return true;
    }
    return bar->KeyboardMessage(msg);
  }
  if (keyDown) {
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    if (key == VK_MENU) {
      if (!repeat) AltAlone() = true;
      return false;
    }
    AltAlone() = false;
    if (key == VK_F10 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) {
      if (TMenuBar* bar = BarOfWindow(msg.hwnd)) {
        bar->EnterKeyboardMode(0);
        return true;
      }
    }
    return false;
  }
  if (keyUp && key == VK_MENU && AltAlone()) {
    AltAlone() = false;
    if (TMenuBar* bar = BarOfWindow(msg.hwnd)) {
      bar->EnterKeyboardMode(0);
      return true;
    }
  }
  return false;
}

void TMenuBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  LeaveKeyboardMode();
  if (Button == mbLeft) OpenItem(ItemAt(X), false);
}

void TMenuBar::Dispatch(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR && GetKeyState(VK_MENU) < 0) {
    // Alt and an accelerator open that menu.
    TMenuItem* root = menu_.Items();
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* item = root->Items(i);
      if (item->Visible && item->Enabled && IsAccel(MsgCharCode(m), item->Caption())) {
        OpenItem(i, true);
        m.Result = 1;
        return;
      }
    }
    return;
  }
  TCustomControl::Dispatch(m);
}

void TMenuBar::Paint() {
  TCanvas& c = Canvas();
  paint::Fill(c, ClientRect(), Color());
  c.Font->Assign(Font());
  TMenuItem* root = menu_.Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (!item->Visible) continue;
    TRect r = ItemRect(i);
    if (i == openIndex_) DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT);
    if (i == hotIndex_) DrawEdge(c, r, BDR_RAISEDINNER, BF_RECT);
    c.Font->Color = clMenuText;
    paint::Caption(c, item->Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, item->Enabled && Enabled());
  }
}

// ---- TMenuWindow --------------------------------------------------------------------------

TMenuWindow* OpenMenuWindow() { return OpenWindows().empty() ? nullptr : OpenWindows().back(); }

TMenuWindow::TMenuWindow(TMenuItem& items, TPopupMenu* popup, TMenuBar* bar, TMenuWindow* parent)
    : TPopupWindow(nullptr), items_(items), popup_(popup), bar_(bar), parent_(parent) {
  SetColor(clMenu);
  ControlStyle >> csClickEvents;
}

TMenuWindow::~TMenuWindow() {
  Destroying();
  std::erase(OpenWindows(), this);
}

bool TMenuWindow::Usable(int index) const {
  if (index < 0 || index >= items_.Count()) return false;
  const TMenuItem* item = items_.Items(index);
  return item->Visible && !item->IsLine();
}

TSize TMenuWindow::MeasureSize() {
  TImageCanvas measure(1, 1);
  measure.Font->Assign(Font());
  int captionWidth = 0, shortcutWidth = 0, height = 0;
  for (int i = 0; i < items_.Count(); ++i) {
    const TMenuItem* item = items_.Items(i);
    if (!item->Visible) continue;
    if (item->IsLine()) {
      height += kLineHeight;
      continue;
    }
    height += kItemHeight;
    captionWidth = std::max(captionWidth, measure.TextWidth(StripHotkey(item->Caption())));
    shortcutWidth = std::max(shortcutWidth, measure.TextWidth(ShortCutToText(item->ShortCut)));
  }
  const int width = kMarkWidth + captionWidth + (shortcutWidth > 0 ? shortcutWidth + 24 : 0) + kArrowWidth;
  return {width + 6, height + 6};
}

TRect TMenuWindow::ItemRect(int index) {
  int y = 3;
  for (int i = 0; i < items_.Count(); ++i) {
    const TMenuItem* item = items_.Items(i);
    if (!item->Visible) {
      if (i == index) return Rect(3, y, Width() - 3, y);
      continue;
    }
    const int h = item->IsLine() ? kLineHeight : kItemHeight;
    if (i == index) return Rect(3, y, Width() - 3, y + h);
    y += h;
  }
  return Rect(3, y, Width() - 3, y);
}

int TMenuWindow::ItemAt(TPoint p) {
  for (int i = 0; i < items_.Count(); ++i)
    if (PtInRect(ItemRect(i), p)) return i;
  return -1;
}

void TMenuWindow::OpenAt(TPoint at, int alignedRight) {
  const TSize size = MeasureSize();
  const int sw = Screen ? Screen->Width() : 1024, sh = Screen ? Screen->Height() : 768;
  // Kept on the screen: a menu that would pass the right edge opens to the
  // left of its parent (or of the point), one past the bottom moves up.
  if (at.X + size.cx > sw) at.X = alignedRight >= 0 ? alignedRight - size.cx : sw - size.cx;
  if (at.Y + size.cy > sh) at.Y = std::max(0, sh - size.cy);
  at.X = std::max(at.X, 0);
  if (!parent_) focusBefore_ = GetFocus();
  OpenWindows().push_back(this);
  Popup(Bounds(at.X, at.Y, size.cx, size.cy));
  ::SetFocus(Handle());
  Invalidate();
}

void TMenuWindow::Select(int index) {
  if (!Usable(index)) index = -1;
  if (index == selected_) return;
  selected_ = index;
  Invalidate();
}

int TMenuWindow::Step(int from, int direction) {
  const int count = items_.Count();
  if (count == 0) return -1;
  int i = from;
  for (int n = 0; n < count; ++n) {
    i = (i + direction + count) % count;
    if (i < 0) i = count - 1;
    if (Usable(i)) return i;
  }
  return -1;
}

void TMenuWindow::OpenChild(bool selectFirst) {
  if (child_ || !Usable(selected_)) return;
  TMenuItem* item = items_.Items(selected_);
  if (item->Count() == 0 || !item->Enabled) return;
  child_ = new TMenuWindow(*item, popup_, bar_, this);
  const TRect r = ItemRect(selected_);
  child_->OpenAt(ClientToScreen(Point(Width() - 3, r.Top - 3)), ClientToScreen(Point(3, 0)).X);
  if (selectFirst) child_->Select(child_->Step(-1, 1));
}

void TMenuWindow::CloseChild() {
  if (!child_) return;
  TMenuWindow* child = child_;
  child_ = nullptr;
  child->CloseChild();
  child->closing_ = true;
  child->SetVisible(false);
  std::erase(OpenWindows(), child);
  ::SetFocus(Handle());
  // The window may be the one whose message is being handled: it goes
  // once the queue is through.
  PostMessage(child->Handle(), CM_RELEASE, 0, 0);
}

void TMenuWindow::CloseAll() {
  TMenuWindow* root = this;
  while (root->parent_) root = root->parent_;
  root->CloseChild();
  if (root->closing_) return;
  root->closing_ = true;
  root->SetVisible(false);
  std::erase(OpenWindows(), root);
  if (root->focusBefore_ && ui::FindWindow(root->focusBefore_)) ::SetFocus(root->focusBefore_);
  if (root->bar_) root->bar_->SubMenuClosed();
  PostMessage(root->Handle(), CM_RELEASE, 0, 0);
}

void TMenuWindow::Choose(int index) {
  if (!Usable(index)) return;
  TMenuItem* item = items_.Items(index);
  if (!item->Enabled) return;
  if (item->Count() > 0) {
    Select(index);
    OpenChild(true);
    return;
  }
  TWinControl* target = popup_ ? popup_->commandTarget_ : nullptr;
  if (popup_) popup_->commandTarget_ = nullptr;
  const int command = item->Command();
  CloseAll();
  if (popup_ && popup_->returnCmd_) {
    popup_->chosenCmd_ = command;
    return;
  }
  // The menu is gone before the choice runs, as after the system's menus.
  if (target)
    SendMessage(target->Handle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
  else
    item->Click();
}

void TMenuWindow::KeyDown(Word& key, TShiftState shift) {
  TPopupWindow::KeyDown(key, shift);
  switch (key) {
    case VK_DOWN:
      Select(Step(selected_ < 0 ? -1 : selected_, 1));
      break;
    case VK_UP:
      Select(Step(selected_ < 0 ? items_.Count() : selected_, -1));
      break;
    case VK_HOME:
      Select(Step(-1, 1));
      break;
    case VK_END:
      Select(Step(items_.Count(), -1));
      break;
    case VK_RIGHT:
      if (Usable(selected_) && items_.Items(selected_)->Count() > 0) {
        OpenChild(true);
      } else if (bar_) {
        // On to the next menu of the bar.
        TMenuBar* bar = bar_;
        const int next = (bar->openIndex_ + 1) % std::max(1, bar->menu_.Items()->Count());
        bar->OpenItem(next, true);
      }
      break;
    case VK_LEFT:
      if (parent_) {
        parent_->CloseChild();
      } else if (bar_) {
        TMenuBar* bar = bar_;
        const int count = std::max(1, bar->menu_.Items()->Count());
        bar->OpenItem((bar->openIndex_ - 1 + count) % count, true);
      }
      break;
    case VK_ESCAPE:
      if (parent_)
        parent_->CloseChild();
      else
        CloseAll();
      break;
    case VK_RETURN:
      Choose(selected_);
      break;
    case VK_MENU:
    case VK_F10:
      CloseAll();
      break;
    default:
      return;
  }
  key = 0;
}

void TMenuWindow::KeyPress(char& key) {
  TPopupWindow::KeyPress(key);
  if (static_cast<unsigned char>(key) < ' ') return;
  // The accelerator chooses its item at once.
  for (int i = 0; i < items_.Count(); ++i) {
    if (Usable(i) && items_.Items(i)->Enabled &&
        IsAccel(static_cast<unsigned char>(key), items_.Items(i)->Caption())) {
      key = 0;
      Choose(i);
      return;
    }
  }
}

void TMenuWindow::MouseMove(TShiftState shift, int X, int Y) {
  TPopupWindow::MouseMove(shift, X, Y);
  const int index = ItemAt(Point(X, Y));
  if (index < 0 || index == selected_) return;
  if (child_) CloseChild();
  Select(index);
  if (Usable(index) && items_.Items(index)->Count() > 0) OpenChild(false);
}

void TMenuWindow::MouseUp(TMouseButton button, TShiftState shift, int X, int Y) {
  TPopupWindow::MouseUp(button, shift, X, Y);
  const int index = ItemAt(Point(X, Y));
  if (index >= 0) Choose(index);
}

void TMenuWindow::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
      return;
    case WM_SYSCHAR:
    case WM_SYSKEYDOWN:
      // Alt held with a letter works as the letter alone.
      m.Msg = m.Msg == WM_SYSCHAR ? WM_CHAR : WM_KEYDOWN;
      break;
    case CM_CANCELMODE: {
      // A press in another window of the same menu keeps it open.
      TPoint p;
      GetCursorPos(&p);
      for (TMenuWindow* w : OpenWindows())
        if (w != this && w->Visible() && PtInRect(w->BoundsRect(), p)) return;
      CloseAll();
      return;
    }
    case CM_RELEASE:
      delete this;
      return;
    default:
      break;
  }
  TPopupWindow::Dispatch(m);
}

void TMenuWindow::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  paint::Fill(c, r, Color());
  DrawEdge(c, r, EDGE_RAISED, BF_RECT);
  c.Font->Assign(Font());
  for (int i = 0; i < items_.Count(); ++i) {
    const TMenuItem* item = items_.Items(i);
    if (!item->Visible) continue;
    TRect ir = ItemRect(i);
    if (item->IsLine()) {
      TRect line =
          Rect(ir.Left + 1, ir.Top + kLineHeight / 2 - 1, ir.Right - 1, ir.Top + kLineHeight / 2 + 1);
      DrawEdge(c, line, EDGE_ETCHED, BF_TOP);
      continue;
    }
    const bool highlighted = i == selected_;
    if (highlighted) paint::Fill(c, ir, clHighlight);
    const TColor ink = highlighted ? clHighlightText : clMenuText;
    c.Font->Color = ink;
    c.Font->Style = item->Default ? TFontStyles{fsBold} : TFontStyles{0};
    if (item->Checked) {
      c.Pen->Color = item->Enabled ? ink : clGrayText;
      c.Pen->Width = 1;
      c.Brush->Color = ink;
      const int cx = ir.Left + kMarkWidth / 2, cy = (ir.Top + ir.Bottom) / 2;
      if (item->RadioItem) {
        c.Brush->Style = bsSolid;
        c.Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
      } else {
        c.Polyline({{cx - 4, cy}, {cx - 2, cy + 2}, {cx + 3, cy - 3}});
        c.Polyline({{cx - 4, cy + 1}, {cx - 2, cy + 3}, {cx + 3, cy - 2}});
      }
    }
    TRect text = Rect(ir.Left + kMarkWidth, ir.Top, ir.Right - kArrowWidth, ir.Bottom);
    const bool enabled = item->Enabled;
    const unsigned format = DT_SINGLELINE | DT_VCENTER;
    if (highlighted && !enabled) c.Font->Color = clGrayText;
    paint::Caption(c, item->Caption(), text, format | DT_LEFT, enabled || highlighted);
    if (item->ShortCut)
      paint::Caption(c, ShortCutToText(item->ShortCut), text, format | DT_RIGHT | DT_NOPREFIX,
                     enabled || highlighted);
    if (item->Count() > 0) {
      // The arrow of a sub-menu.
      const int ax = ir.Right - kArrowWidth / 2 - 2, ay = (ir.Top + ir.Bottom) / 2;
      c.Pen->Color = ink;
      c.Brush->Color = ink;
      c.Brush->Style = bsSolid;
      c.Polygon({{ax - 2, ay - 4}, {ax + 2, ay}, {ax - 2, ay + 4}});
    }
  }
}
