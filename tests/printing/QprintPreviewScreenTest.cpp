// The report form's preview on a real display, with a window manager and
// without one: opened from the modal report form by a click, then used by
// clicks and keys through the display (page turned, the report saved and
// exported), as a committee member uses it.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdEdits.h"
#include "platform/ui/WindowManager.h"
#include "printing/Prevunt.h"
#include "printing/Qprint.h"
#include "report/RpPrev.h"
#include "tests/TestOutput.h"
#include "tests/platform/backend/XvfbDisplay.h"

namespace {

// Runs the program's loop for a while: what the display and the window
// manager say is handled as it comes.
void RunFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Backend().WaitForInput(10);
    Application->ProcessMessages();
  }
}

bool Xdo(std::vector<std::string> args) {
  args.insert(args.begin(), "xdotool");
  return RunDisplayTool(args);
}

// A real click of the display's pointer at a point of the control (its
// middle by default), placed in its window wherever the window manager
// put the window.
bool ClickOn(TControl& control, int x = -1, int y = -1) {
  TWinControl* top = control.TopLevel();
  auto* screen = dynamic_cast<TScreenBackend*>(&Backend());
  const unsigned long window = top && screen ? screen->DisplayWindow(*top) : 0;
  if (window == 0) return false;
  const TPoint p =
      control.ClientToScreen(Point(x < 0 ? control.Width() / 2 : x, y < 0 ? control.Height() / 2 : y));
  // (No waiting for the pointer to arrive: a pointer already there never
  // reports its move.)
  return Xdo({"mousemove", "--window", std::to_string(window), std::to_string(p.X - top->Left()),
              std::to_string(p.Y - top->Top()), "sleep", "0.1", "click", "1"});
}

bool TypeText(const std::string& text) { return Xdo({"type", "--delay", "20", text}); }
bool PressKey(const std::string& key) { return Xdo({"key", key}); }

// The user's actions, taken in order by a timer, which runs in every loop
// of the program (the report form's modal loop, the preview's, a dialog's):
// each step once the program is ready for it. A message box no step asks
// for is answered with Enter and noted. A step not ready in time fails the
// test and closes what is open, so that the test ends.
class UserScript {
 public:
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  UserScript(TScreenBackend& screen, std::function<void()> giveUp)
      : screen_(screen), giveUp_(std::move(giveUp)), timer_(new TTimer(nullptr)) {
    timer_->SetInterval(50);
    timer_->OnTimer = [this](TObject*) { Tick(); };
    since_ = std::chrono::steady_clock::now();
  }
  ~UserScript() { delete timer_; }
  void Then(std::string what, std::function<bool()> ready, std::function<void()> act) {
    steps_.push_back({std::move(what), std::move(ready), std::move(act)});
  }
  bool Done() const { return next_ == steps_.size(); }
  // A modal window up and holding the keyboard (or long up: a display
  // without a window manager need not move the keyboard).
  bool ModalReady(const std::function<bool(TCustomForm&)>& matches) {
    auto* form = dynamic_cast<TCustomForm*>(ui::TopModal());
    if (!form || !matches(*form)) return false;
    if (form != seen_) {
      seen_ = form;
      seenSince_ = std::chrono::steady_clock::now();
    }
    return screen_.HoldsKeyboard(*form) ||
           std::chrono::steady_clock::now() - seenSince_ > std::chrono::milliseconds(1500);
  }
  std::vector<std::string> Unasked;

 private:
  static bool Expected(TCustomForm& form) {
    return form.FindComponent("FileNameEdit") != nullptr || dynamic_cast<TrpForm*>(&form);
  }
  void Tick() {
    if (busy_ || Done()) return;
    busy_ = true;
    if (ModalReady([](TCustomForm& f) { return !Expected(f); })) {
      Unasked.push_back(cp1253::ToUtf8(ui::TopModal()->Caption()));
      PressKey("Return");
      seen_ = nullptr;
    } else if (steps_[next_].ready()) {
      Step& step = steps_[next_++];
      step.act();
      since_ = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - since_ > std::chrono::seconds(20)) {
      ADD_FAILURE() << "never ready: " << steps_[next_].what;
      next_ = steps_.size();
      giveUp_();
    }
    busy_ = false;
  }
  TScreenBackend& screen_;
  std::function<void()> giveUp_;
  TTimer* timer_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::chrono::steady_clock::time_point since_;
  TCustomForm* seen_ = nullptr;
  std::chrono::steady_clock::time_point seenSince_;
  bool busy_ = false;
};

TRpStandardPreview* OpenPreview() {
  for (int i = 0; Screen && i < Screen->FormCount(); ++i)
    if (auto* p = dynamic_cast<TRpStandardPreview*>(Screen->Forms(i)); p && p->Visible()) return p;
  return nullptr;
}

// Chooses the save dialog's type whose description holds Extension and
// confirms the dialog with the name typed.
void SaveAs(TCustomForm& dialog, const std::string& path, const char* extension) {
  TypeText(path);
  auto* types = dynamic_cast<TComboBox*>(dialog.FindComponent("FilterList"));
  ASSERT_NE(types, nullptr);
  int wanted = -1;
  for (int i = 0; i < types->Items()->Count(); ++i)
    if (UpperCase(types->Items()->Strings(i)).find(extension) != AnsiString::npos && wanted < 0) wanted = i;
  ASSERT_GE(wanted, 0) << "the save dialog offers no " << extension;
  if (wanted != types->ItemIndex()) {
    ClickOn(*types);
    RunFor(200);
    for (int i = types->ItemIndex(); i < wanted; ++i) PressKey("Down");
    for (int i = types->ItemIndex(); i > wanted; --i) PressKey("Up");
    PressKey("Return");
    RunFor(200);
  }
  EXPECT_EQ(types->ItemIndex(), wanted);
  PressKey("Return");
}

class QprintPreviewScreen : public ::testing::TestWithParam<bool> {};

TEST_P(QprintPreviewScreen, ThePreviewOpenedFromTheReportFormTakesClicksAndKeys) {
  const bool withWindowManager = GetParam();
  ASSERT_TRUE(ProgramInstalled("xdotool")) << "xdotool is missing: install the Debian package xdotool";
  if (withWindowManager) {
    ASSERT_TRUE(OpenboxSession::Installed()) << "openbox is missing: install the Debian package openbox";
  }
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = OpenScreenForTest(display);
  ASSERT_NE(screen, nullptr);
  Application->Initialize();
  constexpr int kPanel = 40;
  std::unique_ptr<OpenboxSession> wm;
  if (withWindowManager) {
    wm = std::make_unique<OpenboxSession>(display->Display(), TestOutputFolder() / "openbox", kPanel);
    ASSERT_TRUE(wm->Started());
    // Up once it publishes its work area, the panel's strip left out.
    ASSERT_TRUE(RunUntil([] { return Screen->WorkAreaHeight() == Screen->Height() - kPanel; }))
        << "openbox published no work area";
  }

  {
    auto owner = std::unique_ptr<TForm>(NewForm<TForm>(nullptr));
    auto* source = new TRichEdit(owner.get());
    source->SetParent(owner.get());
    source->Hide();
    auto* prev = NewForm<Tprevform>(owner.get(), *source, "");
    TStrings& lines = prev->Prevmemo->Lines();
    for (int i = 1; i <= 160; ++i) lines.Add("Γραμμή "_a + IntToStr(i));
    auto form = std::unique_ptr<TrpForm>(NewForm<TrpForm>(nullptr));
    form->Prevform = prev;
    owner->SetBounds(0, 0, 600, 400);
    owner->Show();
    RunFor(300);

    TRpStandardPreview* preview = nullptr;
    auto giveUp = [&] {
      TRpStandardPreview* open = OpenPreview();
      ADD_FAILURE() << "preview " << (open ? "open" : "not open") << ", pages "
                    << (open && open->RpPrinter() ? open->RpPrinter()->PageCount() : -1) << ", page "
                    << (open ? open->RpPreview->PageNumber() : -1) << ", modal "
                    << (ui::TopModal() ? cp1253::ToUtf8(ui::TopModal()->Caption()) : "none");
      if (auto* modal = dynamic_cast<TCustomForm*>(ui::TopModal()); modal && modal != form.get())
        modal->SetModalResult(mrCancel);
      if (TRpStandardPreview* open = OpenPreview()) open->Close();
      form->SetModalResult(mrCancel);
    };
    UserScript user(*screen, giveUp);
    auto previewStill = [&] { return preview && OpenPreview() == preview; };
    user.Then(
        "the report form", [&] { return user.ModalReady([&](TCustomForm& f) { return &f == form.get(); }); },
        [&] { EXPECT_TRUE(ClickOn(*form->BitBtn2)); });
    // Whatever the window manager focuses or raises while the report is
    // built, the preview ends up active and takes input.
    auto built = std::chrono::steady_clock::time_point::max();
    user.Then(
        "the preview built",
        [&] {
          preview = OpenPreview();
          if (!preview || preview->RpPrinter() == nullptr || preview->RpPrinter()->PageCount() < 3 ||
              preview->RpPreview->PageNumber() != 1 || preview->ProgressBar->Visible())
            return false;
          if (built == std::chrono::steady_clock::time_point::max()) built = std::chrono::steady_clock::now();
          return std::chrono::steady_clock::now() - built > std::chrono::milliseconds(1000);
        },
        [&] {
          EXPECT_TRUE(ui::InputAllowed(preview));
          EXPECT_EQ(Screen->ActiveForm(), preview);
          EXPECT_TRUE(screen->HoldsKeyboard(*preview));
          // Maximised, it keeps to the work area: the status bar in sight.
          const TRect area = Screen->WorkAreaRect();
          EXPECT_LE(preview->Top() + preview->Height(), area.Bottom);
          EXPECT_GE(preview->Height(), area.Height() - 60);
          const TPoint bar = preview->StatusBar->ClientToScreen(Point(0, preview->StatusBar->Height()));
          EXPECT_LE(bar.Y, area.Bottom);
          // The report form's preview shows its page alone.
          EXPECT_FALSE(preview->FindButton->Visible());
          EXPECT_FALSE(preview->Tabs->Visible());
          screen->SaveScreenshot(*preview, TestOutput("preview-opened.png"));
          // A page turned by a click on the tool bar, and one by a key.
          ClickOn(*preview->nextPage);
        });
    user.Then(
        "the second page", [&] { return previewStill() && preview->RpPreview->PageNumber() == 2; },
        [&] { PressKey("Next"); });
    user.Then(
        "the third page", [&] { return previewStill() && preview->RpPreview->PageNumber() == 3; },
        [&] { screen->SaveScreenshot(*preview, TestOutput("preview-turned.png")); });

    // Saved as the report engine's own file, then exported as a sheet and
    // as rich text: each through the save dialog.
    const std::filesystem::path folder = TestOutputFolder();
    struct Save {
      const char* name;
      const char* type;
      const char* written;
    };
    static const Save saves[] = {{"report-saved", "RPP", "report-saved.rpp"},
                                 {"report-sheet", "XLS", "report-sheet.xls"},
                                 {"report-text", "RTF", "report-text.rtf"}};
    auto written = [&](const char* file) {
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == file) return true;
      }
      return false;
    };
    for (const Save& save : saves) {
      user.Then(
          std::string("the preview before saving ") + save.type,
          [&] { return previewStill() && ui::TopModal() == form.get(); },
          [&] { ClickOn(*preview->SaveReport); });
      user.Then(
          std::string("the save dialog for ") + save.type,
          [&] {
            return user.ModalReady([](TCustomForm& f) { return f.FindComponent("FileNameEdit") != nullptr; });
          },
          [&] {
            SaveAs(*static_cast<TCustomForm*>(ui::TopModal()), (folder / save.name).string(), save.type);
          });
      user.Then(
          std::string("the file written as ") + save.type,
          [&] { return ui::TopModal() == form.get() && written(save.written); }, [] {});
    }
    // Escape closes it.
    user.Then(
        "the preview after saving", [&] { return previewStill() && ui::TopModal() == form.get(); },
        [&] {
          EXPECT_EQ(Screen->ActiveForm(), preview);
          PressKey("Escape");
        });

    // The report form runs the preview inside its own modal loop: all of
    // the above happens before it returns.
    form->ShowForKind(1);
    Application->ProcessMessages();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(OpenPreview(), nullptr);
    EXPECT_EQ(ui::TopModal(), nullptr);
    // Only the notes naming each file written came unasked.
    for (const std::string& caption : user.Unasked) EXPECT_EQ(caption, "Πληροφορία");
    owner->Hide();
    RunFor(100);
    form.reset();
    owner.reset();
    Application->ProcessMessages();
  }
  wm.reset();
  SetBackend(nullptr);
  unsetenv("DIM_BACKEND");
  unsetenv("DISPLAY");
  InstallHeadlessBackend();
}

INSTANTIATE_TEST_SUITE_P(, QprintPreviewScreen, ::testing::Values(true, false), [](const auto& info) {
  return info.param ? "UnderOpenbox" : "WithoutWindowManager";
});

}  // namespace
