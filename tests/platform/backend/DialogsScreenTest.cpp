#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "XvfbDisplay.h"
#include "platform/backend/Backends.h"
#include "platform/backend/screen/Screen.h"
#include "platform/print/Printers.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/MessageLoop.h"
#include "tests/TestOutput.h"

namespace {

// A dialog that never shows where the idle handler looks for it must not
// leave the modal loop waiting for display events that no longer come (the
// loop waits for the display without a bound when no timer runs): a thread
// timer wakes the loop every 100 ms, and past the bound it ends the modal
// form that runs with Cancel and fails the test.
constexpr DWORD kDialogBoundMs = 30000;
DWORD watchdogStart = 0;

void Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  if (GetTickCount() - watchdogStart < kDialogBoundMs) return;
  TCustomForm* active = Screen->ActiveForm();
  if (!active || !active->FormState.Contains(fsModal)) return;
  ADD_FAILURE() << "dialog not captured in time: " << cp1253::ToUtf8(active->Caption());
  active->SetModalResult(mrCancel);
  watchdogStart = GetTickCount();  // the next one gets its own bound
}

// Every dialog once on a real display: each is shown, captured as a PNG
// once it has painted, and closed from the loop's idle time.
class DialogsOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    screen = OpenScreenForTest(display);
    ASSERT_NE(screen, nullptr);
    watchdogStart = GetTickCount();
    watchdog = SetTimer(nullptr, 0, 100, Watchdog);
  }
  void TearDown() override {
    if (watchdog) KillTimer(nullptr, watchdog);
    Application->OnIdle = nullptr;
    SetBackend(nullptr);
    unsetenv("DIM_BACKEND");
  }
  // While the dialog captioned Caption runs, the first idle moment after it
  // showed takes its picture and Close ends it.
  void CaptureWhenShown(const AnsiString& caption, const std::string& name,
                        std::function<void(TCustomForm&)> close) {
    Application->OnIdle = [this, caption, name, close](TObject*, bool& done) {
      TCustomForm* active = Screen->ActiveForm();
      if (!active || active->Caption() != caption || !screen->WindowOf(*active)) return;
      const std::string file = TestOutput("platform_ui_dialog_" + name + ".png");
      screen->SaveScreenshot(*active, file);
      std::ifstream in(file, std::ios::binary);
      char signature[4] = {};
      in.read(signature, 4);
      EXPECT_EQ(std::string(signature + 1, 3), "PNG") << name;
      ++captured;
      // Clearing the handler frees this lambda: what it still needs is
      // taken out first.
      const std::function<void(TCustomForm&)> closeNow = close;
      Application->OnIdle = nullptr;
      closeNow(*active);
      done = false;  // back to the loop, which sees the result, without waiting
    };
  }
  std::unique_ptr<XvfbDisplay> display;
  TScreenBackend* screen = nullptr;
  UINT_PTR watchdog = 0;
  int captured = 0;
};

void Ok(TCustomForm& f) { f.SetModalResult(mrOk); }
void Cancel(TCustomForm& f) { f.SetModalResult(mrCancel); }

TEST_F(DialogsOnScreen, MessageBoxes) {
  CaptureWhenShown("Προειδοποίηση"_a, "message", [](TCustomForm& f) { f.SetModalResult(mrYes); });
  EXPECT_EQ(MessageDlg("Να αγνοηθούν οι αλλαγές;"_a, mtWarning, {mbYes, mbCancel}, 0), mrYes);
  Application->Title = "Dim";
  CaptureWhenShown("Dim", "error", Ok);
  try {
    throw Exception("Invalid row accessed");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  Application->Title.clear();
  EXPECT_EQ(captured, 2);
}

// A message of a word longer than the screen is still shown, within the
// screen: the display refuses a window larger than it can hold.
TEST_F(DialogsOnScreen, AMessageOfAVeryLongWordIsShown) {
  int width = 0, height = 0;
  CaptureWhenShown("Σφάλμα"_a, "long_word", [&](TCustomForm& f) {
    SDL_GetWindowSize(screen->WindowOf(f), &width, &height);
    f.SetModalResult(mrOk);
  });
  EXPECT_EQ(MessageDlg(AnsiString(3000, '\xc1'), mtError, {mbOK}, 0), mrOk);
  EXPECT_EQ(captured, 1);
  EXPECT_GT(width, 0);
  EXPECT_LE(width, Screen->WorkAreaWidth());
  EXPECT_LE(height, Screen->WorkAreaHeight());
}

// A drop target whose drop raises, as a grid does when a dropped file
// cannot be read.
class TRaisingDropTarget : public IDropTarget {
 public:
  explicit TRaisingDropTarget(AnsiString message) : message_(std::move(message)) {}
  HRESULT DragEnter(IDataObject*, DWORD, TPoint, DWORD& effect) override {
    effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, TPoint, DWORD& effect) override {
    effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override { return S_OK; }
  HRESULT Drop(IDataObject*, DWORD, TPoint, DWORD&) override { throw Exception(message_); }

 private:
  AnsiString message_;
};

// Files dropped on Window as the display library tells of a drop.
void DropFileOn(SDL_Window* window, const char* name) {
  const Uint32 id = SDL_GetWindowID(window);
  SDL_Event e{};
  e.type = SDL_DROPBEGIN;
  e.drop.windowID = id;
  SDL_PushEvent(&e);
  e.type = SDL_DROPFILE;
  e.drop.file = SDL_strdup(name);
  SDL_PushEvent(&e);
  e.type = SDL_DROPCOMPLETE;
  e.drop.file = nullptr;
  SDL_PushEvent(&e);
}

// What a drop handler raises, outside the message loop (the display's
// events are handled while the loop waits for them), reaches the
// application: its handler when it has one, else the default error box,
// here with a message of a 3,000-character name. The program goes on.
TEST_F(DialogsOnScreen, AnExceptionOfADropHandlerReachesTheApplication) {
  std::unique_ptr<TForm> form(NewForm<TForm>(nullptr));
  form->SetBounds(40, 40, 300, 200);
  form->SetCaption("Στόχος"_a);
  form->Show();
  SDL_Window* window = screen->WindowOf(*form);
  ASSERT_NE(window, nullptr);
  const AnsiString name(3000, 'n');
  ASSERT_EQ(RegisterDragDrop(form->Handle(), new TRaisingDropTarget("Δεν διαβάζεται το "_a + name)), S_OK);

  AnsiString handled;
  Application->OnException = [&](TObject*, const std::exception& e) {
    handled = static_cast<const Exception&>(e).Message;
  };
  DropFileOn(window, "/nowhere/a.txt");
  EXPECT_TRUE(RunUntil([&] { return !handled.empty(); })) << "the application's handler was not told";
  EXPECT_EQ(handled, "Δεν διαβάζεται το "_a + name);

  Application->OnException = nullptr;
  Application->Title = "Dim";
  CaptureWhenShown("Dim", "drop_error", Ok);
  DropFileOn(window, "/nowhere/b.txt");
  EXPECT_TRUE(RunUntil([&] { return captured == 1; })) << "no error box";
  Application->Title.clear();
  EXPECT_TRUE(form->Visible());
  RevokeDragDrop(form->Handle());
}

TEST_F(DialogsOnScreen, InputOpenSaveFontPrintSetupAndFind) {
  AnsiString page = "3";
  CaptureWhenShown("Επιλογή σελίδας"_a, "input", Ok);
  EXPECT_TRUE(InputQuery("Επιλογή σελίδας"_a, "Εισάγετε τον αριθμό σελίδας"_a, page));

  TOpenDialog open(nullptr);
  open.Filter = "ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt"_a;
  CaptureWhenShown("Ανοιγμα"_a, "open", Cancel);
  EXPECT_FALSE(open.Execute());
  TSaveDialog save(nullptr);
  CaptureWhenShown("Αποθήκευση ως"_a, "save", Cancel);
  EXPECT_FALSE(save.Execute());

  TFontDialog font(nullptr);
  CaptureWhenShown("Γραμματοσειρά"_a, "font", Cancel);
  EXPECT_FALSE(font.Execute());

  printers::UseProfiles({printers::PdfPrinterProfile()}, 0);
  Printer()->Refresh();
  TPrintDialog print(nullptr);
  CaptureWhenShown("Εκτύπωση"_a, "print", Cancel);
  EXPECT_FALSE(print.Execute());
  TPrinterSetupDialog setup(nullptr);
  CaptureWhenShown("Ρυθμίσεις εκτύπωσης"_a, "printer_setup", Cancel);
  EXPECT_FALSE(setup.Execute());
  printers::UseSystem();
  Printer()->Refresh();

  // The find dialog does not wait: it shows, and the loop runs until it
  // has been captured and closed.
  TFindDialog find(nullptr);
  find.FindText = "δημοπρασία"_a;
  CaptureWhenShown("Εύρεση"_a, "find", [&](TCustomForm&) { find.CloseDialog(); });
  find.Execute();
  for (int round = 0; round < 200 && find.Form()->Visible(); ++round) {
    Backend().WaitForInput(10);
    Application->ProcessMessages();
    bool done = true;
    if (Application->OnIdle) Application->OnIdle(Application, done);
  }
  EXPECT_FALSE(find.Form()->Visible());
  EXPECT_EQ(captured, 7);
}

}  // namespace
