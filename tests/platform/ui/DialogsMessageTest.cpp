#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "UiFixture.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

namespace {

class MessageDlgTest : public UiTest {};

TEST_F(MessageDlgTest, KindsAndButtonSetsReachTheBackendWithTheirCaptionsAndFlags) {
  const struct {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    const char* caption;
    UINT flags;
  } cases[] = {
      {mtWarning, {mbYes, mbCancel}, "Προειδοποίηση", MB_YESCANCEL | MB_ICONWARNING},
      {mtError, {mbOK}, "Σφάλμα", MB_OK | MB_ICONERROR},
      {mtInformation, {mbYes, mbNo}, "Πληροφορία", MB_YESNO | MB_ICONINFORMATION},
      {mtConfirmation, mbYesNoCancel, "Επιβεβαίωση", MB_YESNOCANCEL | MB_ICONQUESTION},
      {mtWarning, mbOKCancel, "Προειδοποίηση", MB_OKCANCEL | MB_ICONWARNING},
      {mtCustom, {mbOK}, "Τίτλος", MB_OK},
  };
  Application->Title = "Τίτλος"_a;
  for (const auto& c : cases) {
    backend->ExpectMessageBox("αλλαγές"_a, IDYES);
    EXPECT_EQ(MessageDlg("Να αγνοηθούν οι αλλαγές;"_a, c.type, c.buttons, 0), mrYes);
    ASSERT_FALSE(backend->MessageBoxes.empty());
    EXPECT_EQ(backend->MessageBoxes.back().Caption, cp1253::FromUtf8(c.caption));
    EXPECT_EQ(backend->MessageBoxes.back().Flags, c.flags) << c.caption;
  }
  Application->Title.clear();
}

TEST_F(MessageDlgTest, ButtonSetsTheProgramDoesNotUseAreRefused) {
  for (TMsgDlgButtons buttons : {TMsgDlgButtons{}, TMsgDlgButtons{mbAbort, mbRetry, mbIgnore},
                                 TMsgDlgButtons{mbOK, mbYes}, TMsgDlgButtons{mbNo}})
    EXPECT_THROW(MessageDlg("x", mtWarning, buttons, 0), EInvalidOperation);
  EXPECT_TRUE(backend->MessageBoxes.empty());
}

TEST_F(MessageDlgTest, AnUnexpectedBoxIsReportedAndAnsweredCarefully) {
  EXPECT_EQ(MessageDlg("Να διαγραφεί η γραμμή;"_a, mtConfirmation, {mbYes, mbCancel}, 0), mrCancel);
  ASSERT_EQ(backend->UnexpectedDialogs.size(), 1u);
  EXPECT_EQ(backend->UnexpectedDialogs[0], "Να διαγραφεί η γραμμή;"_a);
  backend->UnexpectedDialogs.clear();
}

TEST_F(MessageDlgTest, ShowMessageAndMessageBoxUseTheGivenCaptions) {
  Application->Title = "Dim";
  backend->ExpectMessageBox("Έτοιμο"_a, IDOK);
  ShowMessage("Έτοιμο"_a);
  EXPECT_EQ(backend->MessageBoxes.back().Caption, "Dim");
  EXPECT_EQ(backend->MessageBoxes.back().Flags, MB_OK);
  backend->ExpectMessageBox("", IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Συνέχεια;"_a, "Ερώτηση"_a, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(backend->MessageBoxes.back().Caption, "Ερώτηση"_a);
  Application->Title.clear();
}

// ---- the message form ----------------------------------------------------------

TButton* ButtonNamed(TCustomForm& form, const char* name) {
  return dynamic_cast<TButton*>(form.FindComponent(name));
}

class MessageFormTest : public UiTest {
 protected:
  // Shows the form for Type and lets Drive answer it.
  int Run(UINT type, std::function<void(TCustomForm&)> drive, const AnsiString& text = "Μήνυμα"_a) {
    backend->ExpectModal("Λεζάντα"_a, std::move(drive));
    return ShowMessageForm(text, "Λεζάντα"_a, type);
  }
};

TEST_F(MessageFormTest, ButtonsCarryTheGreekCaptionsInOrder) {
  std::unique_ptr<TForm> form(CreateMessageDialog("x", "c", MB_YESNOCANCEL));
  const char* expected[][2] = {{"Yes", "&Ναι"}, {"No", "&Οχι"}, {"Cancel", "Ακυρο"}};
  int lastLeft = -1;
  for (const auto& e : expected) {
    TButton* b = ButtonNamed(*form, e[0]);
    ASSERT_NE(b, nullptr) << e[0];
    EXPECT_EQ(b->Caption(), cp1253::FromUtf8(e[1]));
    EXPECT_GT(b->Left(), lastLeft);
    lastLeft = b->Left();
  }
  std::unique_ptr<TForm> ok(CreateMessageDialog("x", "c", MB_OK));
  EXPECT_EQ(ButtonNamed(*ok, "OK")->Caption(), "OK");
  EXPECT_EQ(ButtonNamed(*ok, "Cancel"), nullptr);
  EXPECT_THROW(CreateMessageDialog("x", "c", MB_ABORTRETRYIGNORE), EInvalidOperation);
}

TEST_F(MessageFormTest, EnterPressesTheDefaultButtonAndEscapeTheCancelOne) {
  const struct {
    UINT type;
    Word key;
    int answer;
  } cases[] = {
      {MB_YESCANCEL, VK_RETURN, IDYES},
      {MB_YESCANCEL, VK_ESCAPE, IDCANCEL},
      {MB_YESNO, VK_ESCAPE, IDNO},
      {MB_OK, VK_ESCAPE, IDOK},
      {MB_OKCANCEL, VK_RETURN, IDOK},
      {MB_YESNOCANCEL | MB_DEFBUTTON2, VK_RETURN, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, VK_RETURN, IDCANCEL},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Run(c.type, [&](TCustomForm&) { backend->PressKey(c.key); }), c.answer)
        << c.type << " " << c.key;
}

TEST_F(MessageFormTest, TabMovesTheFocusAndEnterPressesTheFocusedButton) {
  EXPECT_EQ(Run(MB_YESNOCANCEL,
                [&](TCustomForm&) {
                  backend->PressKey(VK_TAB);
                  backend->PressKey(VK_RETURN);
                }),
            IDNO);
  EXPECT_EQ(Run(MB_YESNOCANCEL,
                [&](TCustomForm&) {
                  backend->PressKey(VK_RIGHT);
                  backend->PressKey(VK_RIGHT);
                  backend->PressKey(VK_SPACE);
                }),
            IDCANCEL);
}

TEST_F(MessageFormTest, AcceleratorsAndClicksPressTheirButtons) {
  // Greek accelerators match in either case, as typed on a Greek keyboard.
  for (const char* typed : {"Ο", "ο"})
    EXPECT_EQ(Run(MB_YESNO, [&](TCustomForm&) { backend->Type(cp1253::FromUtf8(typed)); }), IDNO) << typed;
  for (const char* typed : {"Ν", "ν"})
    EXPECT_EQ(Run(MB_YESNO, [&](TCustomForm&) { backend->Type(cp1253::FromUtf8(typed)); }), IDYES) << typed;
  EXPECT_EQ(Run(MB_YESNOCANCEL, [&](TCustomForm& f) { backend->Click(*ButtonNamed(f, "Cancel"), 5, 5); }),
            IDCANCEL);
}

TEST_F(MessageFormTest, ClosingTheWindowAnswersAsEscape) {
  EXPECT_EQ(Run(MB_YESNO, [&](TCustomForm& f) { f.Close(); }), IDNO);
  EXPECT_EQ(Run(MB_YESNOCANCEL, [&](TCustomForm& f) { f.Close(); }), IDCANCEL);
}

// Counts the pixels of a colour in the top-left corner, where the icon is.
int IconPixels(THeadlessBackend& backend, TCustomForm& form, TColor color) {
  const TImageCanvas* image = backend.Render(form);
  int count = 0;
  for (int y = 0; y < 60 && y < image->Height(); ++y)
    for (int x = 0; x < 60 && x < image->Width(); ++x)
      if (image->Pixel(x, y) == ColorToRGB(color)) ++count;
  return count;
}

TEST_F(MessageFormTest, EachKindDrawsItsIcon) {
  const struct {
    UINT icon;
    TColor mark;
  } cases[] = {{MB_ICONERROR, clRed},
               {MB_ICONWARNING, clYellow},
               {MB_ICONINFORMATION, clBlue},
               {MB_ICONQUESTION, clBlue}};
  for (const auto& c : cases) {
    Run(MB_OK | c.icon, [&](TCustomForm& f) {
      if (const char* dir = std::getenv("DIM_DIALOG_PNG"))
        backend->SaveWindowPng(f, std::string(dir) + "/icon" + std::to_string(c.icon) + ".png");
      EXPECT_GT(IconPixels(*backend, f, c.mark), 20) << c.icon;
      f.SetModalResult(mrOk);
    });
  }
  Run(MB_OK, [&](TCustomForm& f) {
    for (TColor mark : {clRed, clYellow, clBlue}) EXPECT_EQ(IconPixels(*backend, f, mark), 0);
    f.SetModalResult(mrOk);
  });
}

TEST_F(MessageFormTest, LongTextWrapsWithinHalfTheScreenAndLinesGrowTheForm) {
  AnsiString longText;
  for (int i = 0; i < 60; ++i) longText += "Ανώμαλες τιμές "_a;
  std::unique_ptr<TForm> wide(CreateMessageDialog(longText, "c", MB_OK | MB_ICONERROR));
  std::unique_ptr<TForm> narrow(CreateMessageDialog("Ανώμαλες τιμές"_a, "c", MB_OK | MB_ICONERROR));
  EXPECT_LE(wide->ClientWidth(), backend->ScreenW / 2 + 100);
  EXPECT_GT(wide->ClientHeight(), narrow->ClientHeight());
  std::unique_ptr<TForm> lines(CreateMessageDialog("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ \r12,34%"_a, "c", MB_OK));
  std::unique_ptr<TForm> line(CreateMessageDialog("ΟΜΑΛΗ ΠΡΟΣΦΟΡΑ 12,34%"_a, "c", MB_OK));
  EXPECT_GT(lines->ClientHeight(), line->ClientHeight());
}

// A word longer than the screen is broken at the lines' ends, and a text
// taller than the work area is cut with an ellipsis: the box, buttons and
// all, stays within the work area, which a display never refuses.
TEST_F(MessageFormTest, ABoxKeepsWithinTheWorkAreaWhateverItsText) {
  const struct {
    const char* what;
    AnsiString text;
  } texts[] = {
      {"a word of 3,000 characters", AnsiString(3000, '\xc1')},
      {"a name of 3,000 characters in a sentence",
       "Το αρχείο "_a + AnsiString(3000, 'x') + " δεν βρέθηκε."_a},
      {"a word of 300,000 characters", AnsiString(300000, 'W')},
      {"ten thousand lines",
       [] {
         AnsiString many;
         for (int i = 0; i < 10000; ++i) many += "Γραμμή\r\n"_a;
         return many;
       }()},
  };
  const TRect work = Screen->WorkAreaRect();
  for (const auto& t : texts) {
    SCOPED_TRACE(t.what);
    std::unique_ptr<TForm> box(CreateMessageDialog(t.text, "c", MB_OK | MB_ICONERROR));
    EXPECT_LE(box->ClientWidth(), work.Width() / 2 + 100);
    EXPECT_LE(box->Width(), work.Width());
    EXPECT_LE(box->Height(), work.Height());
    TButton* ok = ButtonNamed(*box, "OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_LE(ok->Top() + ok->Height(), box->ClientHeight());
  }
  // A text that fits is shown whole: the box of the 3,000 characters grew
  // by lines, not past the screen's half.
  std::unique_ptr<TForm> word(CreateMessageDialog(texts[0].text, "c", MB_OK));
  std::unique_ptr<TForm> line(CreateMessageDialog("x", "c", MB_OK));
  EXPECT_GT(word->ClientHeight(), 10 * line->ClientHeight() / 2);
}

// The screen's path: a backend that shows the program's own form for
// message boxes and error boxes, answered here through the form.
class TFormShowingBackend : public THeadlessBackend {
 public:
  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override {
    return TBackend::MessageBox(text, caption, flags);
  }
  void ShowErrorBox(const AnsiString& text, const AnsiString& caption) override {
    TBackend::ShowErrorBox(text, caption);
  }
};

TEST(MessageFormPath, TheDefaultBackendShowsTheMessageFormAndTheErrorBox) {
  auto owned = std::make_unique<TFormShowingBackend>();
  TFormShowingBackend& shown = *owned;
  SetBackend(std::move(owned));
  ui::ResetThreadState();
  Application->ResetState();

  shown.ExpectModal("Προειδοποίηση"_a, [&](TCustomForm&) { shown.Type("Ν"_a); });
  EXPECT_EQ(MessageDlg("Να αγνοηθούν οι αλλαγές;"_a, mtWarning, {mbYes, mbCancel}, 0), mrYes);

  Application->Title = "Dim";
  shown.ExpectModal("Dim", [&](TCustomForm& f) {
    EXPECT_NE(f.FindComponent("OK"), nullptr);
    shown.PressKey(VK_RETURN);
  });
  try {
    throw EConvertError("'x' is not a valid integer value");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(shown.PendingAnswers(), 0);
  EXPECT_TRUE(shown.UnexpectedDialogs.empty());
  Application->Title.clear();
  InstallHeadlessBackend();
}

}  // namespace
