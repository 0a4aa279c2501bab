#include <gtest/gtest.h>

#include <vector>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Input.h"
#include "platform/ui/MessageLoop.h"

namespace {

struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class Recorder : public TWindowTarget {
 public:
  Recorder() : handle(ui::RegisterWindow(this)) {}
  ~Recorder() override { ui::UnregisterWindow(handle); }
  LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    seen.push_back({msg, wParam, lParam});
    if (onMessage) onMessage(msg, wParam);
    return static_cast<LRESULT>(msg) + 1000;
  }
  std::vector<UINT> Numbers() const {
    std::vector<UINT> out;
    for (auto& s : seen) out.push_back(s.msg);
    return out;
  }
  HWND handle;
  std::vector<Seen> seen;
  std::function<void(UINT, WPARAM)> onMessage;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { clock = &InstallHeadlessBackend(); }
  THeadlessBackend* clock = nullptr;
};

TEST_F(MessageLoopTest, PostedMessagesArriveInOrderAfterSentOnes) {
  Recorder w;
  PostMessage(w.handle, WM_USER + 1, 1, 0);
  PostMessage(w.handle, WM_USER + 2, 2, 0);
  EXPECT_EQ(SendMessage(w.handle, WM_USER + 3, 0, 0), static_cast<LRESULT>(WM_USER + 3 + 1000));
  ui::PumpMessages();
  EXPECT_EQ(w.Numbers(), (std::vector<UINT>{WM_USER + 3, WM_USER + 1, WM_USER + 2}));
}

TEST_F(MessageLoopTest, StaleHandleIsRefusedAndItsQueuedMessagesDropped) {
  HWND stale;
  {
    Recorder w;
    stale = w.handle;
    PostMessage(w.handle, WM_USER, 0, 0);
  }
  EXPECT_FALSE(IsWindow(stale));
  EXPECT_FALSE(PostMessage(stale, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(stale, WM_USER, 0, 0), 0);
  EXPECT_FALSE(ui::HasPendingMessages());
  Recorder later;  // a new window never takes the old handle
  EXPECT_NE(later.handle, stale);
}

TEST_F(MessageLoopTest, HandlerPostingDuringPumpIsHandledInTheSamePump) {
  Recorder w;
  w.onMessage = [&](UINT msg, WPARAM n) {
    if (msg == WM_USER && n < 3) PostMessage(w.handle, WM_USER, n + 1, 0);
  };
  PostMessage(w.handle, WM_USER, 0, 0);
  ui::PumpMessages();
  EXPECT_EQ(w.seen.size(), 4u);
}

TEST_F(MessageLoopTest, TimersFireOncePerIntervalAsTheClockAdvances) {
  Recorder w;
  SetTimer(w.handle, 7, 500, nullptr);
  clock->Advance(499);
  EXPECT_TRUE(w.seen.empty());
  clock->Advance(1);
  ASSERT_EQ(w.seen.size(), 1u);
  EXPECT_EQ(w.seen[0].msg, WM_TIMER);
  EXPECT_EQ(w.seen[0].wParam, 7u);
  clock->Advance(1500);
  EXPECT_EQ(w.seen.size(), 4u);
  EXPECT_TRUE(KillTimer(w.handle, 7));
  clock->Advance(5000);
  EXPECT_EQ(w.seen.size(), 4u);
  EXPECT_FALSE(KillTimer(w.handle, 7));
}

TEST_F(MessageLoopTest, TimersOfDifferentIntervalsInterleaveByDueTime) {
  Recorder w;
  SetTimer(w.handle, 1, 300, nullptr);
  SetTimer(w.handle, 2, 200, nullptr);
  clock->Advance(600);
  std::vector<WPARAM> ids;
  for (auto& s : w.seen) ids.push_back(s.wParam);
  // 200:2, 300:1, 400:2, 600: both due, the earlier-created first
  EXPECT_EQ(ids, (std::vector<WPARAM>{2, 1, 2, 1, 2}));
}

TEST_F(MessageLoopTest, SetTimerAgainRestartsIt) {
  Recorder w;
  SetTimer(w.handle, 1, 100, nullptr);
  clock->Advance(90);
  SetTimer(w.handle, 1, 100, nullptr);
  clock->Advance(90);
  EXPECT_TRUE(w.seen.empty());
  clock->Advance(10);
  EXPECT_EQ(w.seen.size(), 1u);
}

TEST_F(MessageLoopTest, TimerOfADestroyedWindowStops) {
  auto w = std::make_unique<Recorder>();
  SetTimer(w->handle, 1, 100, nullptr);
  EXPECT_EQ(ui::RunningTimerCount(), 1);
  w.reset();
  EXPECT_EQ(ui::RunningTimerCount(), 0);
  clock->Advance(1000);  // nothing to reach
}

int procCalls = 0;
void CountingProc(HWND, UINT, UINT_PTR, DWORD) { ++procCalls; }

TEST_F(MessageLoopTest, ThreadTimerWithProcedureGetsItsOwnId) {
  procCalls = 0;
  const UINT_PTR a = SetTimer(nullptr, 0, 50, CountingProc);
  const UINT_PTR b = SetTimer(nullptr, 0, 50, CountingProc);
  EXPECT_NE(a, b);
  clock->Advance(100);
  EXPECT_EQ(procCalls, 4);
  KillTimer(nullptr, a);
  KillTimer(nullptr, b);
}

TEST_F(MessageLoopTest, KeyStateChangesWhenTheKeyMessageIsTaken) {
  Recorder w;
  SetFocus(w.handle);
  ui::input::KeyDown(VK_CONTROL);
  // The device knows at once; the message-time state waits for the message.
  EXPECT_NE(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0);
  SmallInt seenInHandler = 0;
  w.onMessage = [&](UINT msg, WPARAM) {
    if (msg == WM_KEYDOWN) seenInHandler = GetKeyState(VK_CONTROL);
  };
  ui::PumpMessages();
  EXPECT_NE(seenInHandler & 0x8000, 0);
  ui::input::KeyUp(VK_CONTROL);
  ui::PumpMessages();
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0);
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 1, 1);  // toggled once by the press
}

TEST_F(MessageLoopTest, SidedModifierAlsoSetsTheGenericOne) {
  Recorder w;
  SetFocus(w.handle);
  ui::input::KeyDown(VK_RSHIFT);
  ui::PumpMessages();
  EXPECT_NE(GetKeyState(VK_SHIFT) & 0x8000, 0);
  ASSERT_EQ(w.seen.size(), 2u);  // the focus message, then the key
  EXPECT_EQ(w.seen[1].wParam, VK_SHIFT);
  ui::input::KeyUp(VK_RSHIFT);
  ui::PumpMessages();
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
}

struct KeyCase {
  Word vk;
  bool extended;
  int scan;
  bool extendedBit;
};

class KeyLParamTest : public MessageLoopTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyLParamTest, ScanCodeAndExtendedBitAreThoseOfThePcKeyboard) {
  const KeyCase& c = GetParam();
  Recorder w;
  SetFocus(w.handle);
  w.seen.clear();
  ui::input::KeyDown(c.vk, c.extended);
  ui::input::KeyUp(c.vk, c.extended);
  ui::PumpMessages();
  ASSERT_EQ(w.seen.size(), 2u);
  TMessage down{w.seen[0].msg, w.seen[0].wParam, w.seen[0].lParam, 0};
  TMessage up{w.seen[1].msg, w.seen[1].wParam, w.seen[1].lParam, 0};
  EXPECT_EQ(down.Msg, WM_KEYDOWN);
  EXPECT_EQ(MsgCharCode(down), c.vk);
  EXPECT_EQ(MsgScanCode(down), c.scan);
  EXPECT_EQ(MsgExtendedKey(down), c.extendedBit);
  EXPECT_EQ(down.LParam & KF_UP_BIT, 0);
  EXPECT_EQ(up.Msg, WM_KEYUP);
  EXPECT_NE(up.LParam & KF_UP_BIT, 0);
  EXPECT_NE(up.LParam & KF_REPEAT_BIT, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyLParamTest,
    ::testing::Values(KeyCase{VK_DECIMAL, false, 0x53, false},  // keypad "."
                      KeyCase{VK_OEM_PERIOD, false, 0x34, false}, KeyCase{VK_DELETE, false, 0x53, true},
                      KeyCase{VK_RETURN, false, 0x1C, false},
                      KeyCase{VK_RETURN, true, 0x1C, true},  // keypad Enter
                      KeyCase{VK_NUMPAD7, false, 0x47, false}, KeyCase{VK_HOME, false, 0x47, true},
                      KeyCase{'A', false, 0x1E, false}, KeyCase{VK_F12, false, 0x58, false}));

TEST_F(MessageLoopTest, AltMakesSystemKeyMessages) {
  Recorder w;
  SetFocus(w.handle);
  w.seen.clear();
  ui::input::KeyDown(VK_MENU);
  ui::input::KeyDown('X');
  ui::input::Char('x');
  ui::input::KeyUp('X');
  ui::input::KeyUp(VK_MENU);
  ui::PumpMessages();
  EXPECT_EQ(w.Numbers(),
            (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP, WM_SYSKEYUP}));
  EXPECT_NE(w.seen[1].lParam & KF_ALTDOWN_BIT, 0);
}

TEST_F(MessageLoopTest, AutoRepeatSetsThePreviousStateBit) {
  Recorder w;
  SetFocus(w.handle);
  w.seen.clear();
  ui::input::KeyDown(VK_DOWN);
  ui::input::KeyDown(VK_DOWN);
  ui::PumpMessages();
  ASSERT_EQ(w.seen.size(), 2u);
  EXPECT_EQ(w.seen[0].lParam & KF_REPEAT_BIT, 0);
  EXPECT_NE(w.seen[1].lParam & KF_REPEAT_BIT, 0);
  EXPECT_EQ(GetKeyState(VK_DOWN) & 1, 1);  // the repeat does not toggle back
}

TEST_F(MessageLoopTest, FocusChangeSendsKillThenSetWithTheOtherHandle) {
  Recorder a, b;
  SetFocus(a.handle);
  a.seen.clear();
  EXPECT_EQ(SetFocus(b.handle), a.handle);
  ASSERT_EQ(a.seen.size(), 1u);
  EXPECT_EQ(a.seen[0].msg, WM_KILLFOCUS);
  EXPECT_EQ(a.seen[0].wParam, reinterpret_cast<WPARAM>(b.handle));
  ASSERT_EQ(b.seen.size(), 1u);
  EXPECT_EQ(b.seen[0].msg, WM_SETFOCUS);
  EXPECT_EQ(b.seen[0].wParam, reinterpret_cast<WPARAM>(a.handle));
  EXPECT_EQ(GetFocus(), b.handle);
}

TEST_F(MessageLoopTest, CaptureChangeTellsTheWindowThatLosesIt) {
  Recorder a, b;
  SetCapture(a.handle);
  EXPECT_EQ(GetCapture(), a.handle);
  SetCapture(b.handle);
  ASSERT_EQ(a.seen.size(), 1u);
  EXPECT_EQ(a.seen[0].msg, WM_CAPTURECHANGED);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(b.seen.back().msg, WM_CAPTURECHANGED);
}

TEST(MessageParams, PackedCoordinatesKeepTheirSign) {
  const LPARAM l = MAKELPARAM(-5, 300);
  EXPECT_EQ(GET_X_LPARAM(l), -5);
  EXPECT_EQ(GET_Y_LPARAM(l), 300);
  const WPARAM w = MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(w), -120);
  EXPECT_EQ(GET_KEYSTATE_WPARAM(w), static_cast<int>(MK_CONTROL));
}

}  // namespace

namespace {

// A display whose input arrives only when the loop asks for it, as the
// screen's does.
class PollingBackend : public THeadlessBackend {
 public:
  bool WaitForInput(DWORD timeout) override {
    polls.push_back(timeout);
    if (pending != nullptr) PostMessage(pending, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    pending = nullptr;
    return true;
  }
  std::vector<DWORD> polls;
  HWND pending = nullptr;
};

TEST(ProcessMessages, TakesInTheInputTheDisplayReceivedMeanwhile) {
  InstallHeadlessBackend();
  auto owned = std::make_unique<PollingBackend>();
  PollingBackend& backend = *owned;
  SetBackend(std::move(owned));
  Recorder target;
  backend.pending = target.handle;
  // A long task that lets the window process its messages sees the click.
  Application->ProcessMessages();
  EXPECT_EQ(target.Numbers(), std::vector<UINT>{WM_LBUTTONDOWN});
  ASSERT_FALSE(backend.polls.empty());
  EXPECT_EQ(backend.polls.front(), 0u);  // a look, never a wait
  InstallHeadlessBackend();
}

}  // namespace
