// The calculation preview's commands: files, printing, the clipboard,
// formatting, the ruler, search, and following the selection.

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Shell.h"
#include "printing/Prevunt.h"

namespace {

const AnsiString& Untitled() {
  static const AnsiString name = "Ανώνυμο"_a;
  return name;
}

UINT RichTextFormat() {
  static const UINT format = RegisterClipboardFormat("Rich Text Format");
  return format;
}

// The ruler's pixels per point.
constexpr long double kRulerScale = 4.0L / 3.0L;

}  // namespace

// ---- window ----

void Tprevform::FormShow(TObject*) {
  UpdateCursorPos();
  ClipboardChanged();
  DragAcceptFiles(Handle(), true);
  RichEditChange(this);
  if (Prevmemo->CanFocus()) Prevmemo->SetFocus();
}

void Tprevform::SetEditRect() {
  // The text keeps 6 pixels from the window's sides.
  TRect r = Prevmemo->EditRect();
  const TRect client = Prevmemo->ClientRect();
  r.Left = client.Left + 6;
  // Left of the vertical bar (the editor shows both bars).
  r.Right = std::max(r.Left, client.Right - kScrollBarSize - 6);
  // Only a change: setting it repaints the editor, and so this window.
  if (r != Prevmemo->EditRect()) Prevmemo->Perform(EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
}

void Tprevform::FormResize(TObject*) {
  SetEditRect();
  SelectionChange(this);
}

void Tprevform::FormPaint(TObject*) { SetEditRect(); }

void Tprevform::FormCloseQuery(TObject*, bool& CanClose) { CanClose = CheckFileSave(); }

void Tprevform::FileExit(TObject*) { Close(); }

void Tprevform::HelpAbout(TObject*) {
  if (ShowAboutBox) ShowAboutBox();
}

void Tprevform::HelpContents(TObject*) { Application->HelpCommand(HELP_CONTENTS, 0); }
void Tprevform::HelpSearch(TObject*) {
  static const char kEmpty[] = "";
  Application->HelpCommand(HELP_PARTIALKEY, reinterpret_cast<std::intptr_t>(kEmpty));
}
void Tprevform::HelpHowToUse(TObject*) { Application->HelpCommand(HELP_HELPONHELP, 0); }

// ---- files ----

void Tprevform::SetModified(bool value) {
  Prevmemo->Modified = value;
  StatusBar->SetPanelText(1, value ? "Μεταβλήθηκε"_a : AnsiString());
}

bool Tprevform::CheckFileSave() {
  if (!Prevmemo->Modified) return true;
  switch (MessageDlg(Format("Αποθήκευση αλλαγών στο %s;"_a, {FileName}), mtConfirmation,
                     {mbYes, mbNo, mbCancel})) {
    case mrYes:
      // A save given up in its dialog leaves the text unsaved: whatever
      // asked must not replace it.
      FileSave(this);
      return !Prevmemo->Modified;
    case mrNo:
      return true;
    default:
      return false;
  }
}

void Tprevform::FileNew(TObject*) {
  if (!CheckFileSave()) return;
  SetFileName(Untitled());
  Prevmemo->Lines().Clear();
  SetModified(false);
}

void Tprevform::PerformFileOpen(const AnsiString& AFileName) {
  ReadingFile(AFileName, [&] { Prevmemo->Lines().LoadFromFile(AFileName); });
  SetFileName(AFileName);
  if (Prevmemo->CanFocus()) Prevmemo->SetFocus();
  SetModified(false);
}

void Tprevform::FileOpen(TObject*) {
  if (!CheckFileSave()) return;
  if (!OpenDialog->Execute()) return;
  PerformFileOpen(OpenDialog->FileName);
  Prevmemo->SetReadOnly(OpenDialog->Options.Contains(ofReadOnly));
}

void Tprevform::WriteFile(const AnsiString& name) {
  // An ".RTF" name keeps the formats; any other is the text in the code
  // page, as the report and the other programs read it.
  const bool rtf = UpperCase(ExtractFileExt(name)) == ".RTF";
  const bool plain = Prevmemo->PlainText();
  Prevmemo->SetPlainText(!rtf);
  try {
    Prevmemo->Lines().SaveToFile(name);
  } catch (...) {
    Prevmemo->SetPlainText(plain);
    throw;
  }
  Prevmemo->SetPlainText(plain);
}

void Tprevform::FileSave(TObject* Sender) {
  if (FileName == Untitled()) {
    FileSaveAs(Sender);
    return;
  }
  WriteFile(FileName);
  SetModified(false);
}

void Tprevform::FileSaveAs(TObject*) {
  if (!SaveDialog->Execute()) return;
  const AnsiString name = SaveDialog->FileName;
  if (FileExists(name) && MessageDlg(Format("ΟΚ για εγγραφή πάνω στο υπάρχον  %s"_a, {name}), mtConfirmation,
                                     {mbYes, mbNo, mbCancel}) != mrYes)
    return;
  WriteFile(name);
  SetFileName(name);
  SetModified(false);
}

// ---- printing ----

void Tprevform::FilePrint(TObject*) {
  PrintDialog->MinPage = 1;
  PrintDialog->MaxPage = 9999;
  PrintDialog->FromPage = 1;
  PrintDialog->ToPage = 9999;
  if (!PrintDialog->Execute()) return;
  // The range chosen is printed: the pages given, or the selection.
  switch (PrintDialog->PrintRange) {
    case prPageNums:
      RichPrinter1->PrintRichEditRange(Prevmemo, 1, PrintDialog->FromPage, PrintDialog->ToPage);
      break;
    case prSelection:
      if (Prevmemo->SelLength() > 0) {
        RichPrinter1->PrintRichEditRange(Prevmemo, 1, 0, 0, Prevmemo->SelStart(),
                                         Prevmemo->SelStart() + Prevmemo->SelLength());
        break;
      }
      [[fallthrough]];
    default:
      RichPrinter1->PrintRichEdit(Prevmemo, 1);
      break;
  }
}

void Tprevform::N6Click(TObject*) {
  if (PreviewActive) {
    MessageDlg("H προεπισκόπιση είναι ενεργοποιημένη !"_a, mtInformation, {mbOK});
    return;
  }
  RichPrinter1->Preview(Prevmemo);
}

void Tprevform::N7Click(TObject*) {
  if (PreviewActive) {
    MessageDlg("Kλείστε πρώτα την προεπισκόπιση !"_a, mtError, {mbOK});
    return;
  }
  RichPrinter1->PageSetup();
}

void Tprevform::ToolButton7Click(TObject*) {
  if (ToolButton7->Down()) {
    RichPrinter1->Footer = "Σελίδα {$PAGE}"_a;
    ToolButton7->SetImageIndex(18);
  } else {
    RichPrinter1->Footer.clear();
    ToolButton7->SetImageIndex(19);
  }
}

void Tprevform::calcBtnClick(TObject*) { Panel1->SetVisible(calcBtn->Down()); }

void Tprevform::ToolButton2MouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  Memo1->SetVisible(true);
  Memo1->BringToFront();
}

void Tprevform::ToolButton2MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  Memo1->SetVisible(false);
}

// ---- clipboard ----

void Tprevform::EditUndo(TObject*) {
  if (Prevmemo->HandleAllocated()) Prevmemo->Undo();
}
void Tprevform::EditCut(TObject*) { Prevmemo->CutToClipboard(); }
void Tprevform::EditCopy(TObject*) { Prevmemo->CopyToClipboard(); }
void Tprevform::EditPaste(TObject*) { Prevmemo->PasteFromClipboard(); }
void Tprevform::popselallClick(TObject*) { Prevmemo->SelectAll(); }

void Tprevform::ClipboardChanged() {
  TClipboard& c = *Clipboard();
  // A program holding the clipboard that does not say what it holds
  // offers nothing to paste; a paste tried anyway says why.
  bool can = false;
  try {
    can = c.HasFormat(CF_TEXT) || c.HasFormat(RichTextFormat());
  } catch (const EClipboardException&) {
    can = false;
  }
  PasteButton->SetEnabled(can);
  EditPasteItem->Enabled = can;
  poppaste->Enabled = can;
}

void Tprevform::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_DRAWCLIPBOARD:
      if (NextViewer) SendMessage(NextViewer, m.Msg, m.WParam, m.LParam);
      ClipboardChanged();
      return;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(m.WParam) == NextViewer)
        NextViewer = reinterpret_cast<HWND>(m.LParam);
      else if (NextViewer)
        SendMessage(NextViewer, m.Msg, m.WParam, m.LParam);
      return;
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(m.WParam);
      // Asked for its length first: a deep folder's name is not cut short.
      std::string name(DragQueryFile(drop, 0, nullptr, 0) + 1, '\0');
      const UINT n = DragQueryFile(drop, 0, name.data(), static_cast<UINT>(name.size()));
      DragFinish(drop);
      if (n > 0 && CheckFileSave()) PerformFileOpen(AnsiString(name.data(), n));
      return;
    }
    default:
      break;
  }
  TForm::Dispatch(m);
}

// ---- formatting ----

TTextAttributes& Tprevform::CurrText() {
  return Prevmemo->SelLength() > 0 ? Prevmemo->SelAttributes() : Prevmemo->DefAttributes();
}

void Tprevform::SelectFont(TObject*) {
  // The dialog opens on the font where the caret stands, selected or not.
  Prevmemo->SelAttributes().AssignTo(FontDialog1->Font);
  if (FontDialog1->Execute()) CurrText().Assign(FontDialog1->Font);
  if (Prevmemo->CanFocus()) Prevmemo->SetFocus();
}

namespace {
void Toggle(TTextAttributes& a, TFontStyle style, bool on) {
  a.SetStyle(on ? (a.Style() | style) : (a.Style() & ~static_cast<TFontStyles>(style)));
}
}  // namespace

void Tprevform::BoldButtonClick(TObject*) {
  if (!Updating) Toggle(CurrText(), fsBold, BoldButton->Down());
}
void Tprevform::ItalicButtonClick(TObject*) {
  if (!Updating) Toggle(CurrText(), fsItalic, ItalicButton->Down());
}
void Tprevform::UnderlineButtonClick(TObject*) {
  if (!Updating) Toggle(CurrText(), fsUnderline, UnderlineButton->Down());
}

void Tprevform::FontSizeChange(TObject*) {
  if (Updating) return;
  int size = 0;
  if (TryStrToInt(Trim(FontSize->Text()), size) && size > 0) CurrText().SetSize(size);
}

void Tprevform::FontNameChange(TObject*) {
  if (Updating || FontName->ItemIndex() < 0) return;
  CurrText().SetName(FontName->Items()->Strings(FontName->ItemIndex()));
}

void Tprevform::AlignButtonClick(TObject* Sender) {
  if (Updating) return;
  const int tag = static_cast<TComponent*>(Sender)->Tag;
  Prevmemo->Paragraph().SetAlignment(tag == 1 ? taRightJustify : tag == 2 ? taCenter : taLeftJustify);
}

void Tprevform::BulletsButtonClick(TObject*) {
  if (Updating) return;
  Prevmemo->Paragraph().SetNumbering(BulletsButton->Down() ? nsBullet : nsNone);
}

// ---- following the selection ----

void Tprevform::RichEditChange(TObject*) {
  SetModified(Prevmemo->Modified);
  UndoButton->SetEnabled(Prevmemo->CanUndo());
  EditUndoItem->Enabled = Prevmemo->CanUndo();
}

void Tprevform::UpdateCursorPos() {
  const int line = Prevmemo->LineFromChar(Prevmemo->SelStart());
  const int column = Prevmemo->SelStart() - Prevmemo->LineIndex(line);
  StatusBar->SetPanelText(0, Format("Γραμμή:  %4d  Στήλη: %3d"_a, {line + 1, column + 1}));
  const bool selected = Prevmemo->SelLength() > 0;
  CopyButton->SetEnabled(selected);
  CutButton->SetEnabled(selected);
  EditCopyItem->Enabled = EditCutItem->Enabled = selected;
  popcopy->Enabled = popcut->Enabled = selected;
}

void Tprevform::SelectionChange(TObject*) {
  Updating = true;
  try {
    TParaAttributes& p = Prevmemo->Paragraph();
    const int first = p.FirstIndent(), left = p.LeftIndent(), right = p.RightIndent();
    FirstInd->SetLeft(static_cast<int>(first * kRulerScale) + 2);
    LeftInd->SetLeft(static_cast<int>((left + first) * kRulerScale) + 2);
    RightInd->SetLeft(Ruler->ClientWidth() - 6 - static_cast<int>((right + 6) * kRulerScale));
    TTextAttributes& a = Prevmemo->SelAttributes();
    BoldButton->SetDown((a.Style() & fsBold) != 0);
    ItalicButton->SetDown((a.Style() & fsItalic) != 0);
    UnderlineButton->SetDown((a.Style() & fsUnderline) != 0);
    BulletsButton->SetDown(p.Numbering() == nsBullet);
    FontSize->SetText(IntToStr(a.Size()));
    const int at = FontName->Items()->IndexOf(a.Name());
    FontName->SetItemIndex(at);
    if (at < 0) FontName->SetText(a.Name());
    switch (p.Alignment()) {
      case taRightJustify:
        RightAlign->SetDown(true);
        break;
      case taCenter:
        CenterAlign->SetDown(true);
        break;
      default:
        LeftAlign->SetDown(true);
        break;
    }
    UpdateCursorPos();
  } catch (...) {
    Updating = false;
    throw;
  }
  Updating = false;
}

// ---- the ruler ----

void Tprevform::RulerItemMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int X, int) {
  if (Button != mbLeft) return;
  auto* marker = static_cast<TControl*>(Sender);
  DragOfs = marker->Width() / 2;
  marker->SetLeft(std::max(0, marker->Left() + X - DragOfs));
  Dragging = true;
}

void Tprevform::RulerItemMouseMove(TObject* Sender, TShiftState, int X, int) {
  if (!Dragging) return;
  auto* marker = static_cast<TControl*>(Sender);
  marker->SetLeft(std::max(0, marker->Left() + X - DragOfs));
}

void Tprevform::FirstIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  Dragging = false;
  Prevmemo->Paragraph().SetFirstIndent(static_cast<int>((FirstInd->Left() + DragOfs - 6) / kRulerScale));
  LeftIndMouseUp(Sender, Button, Shift, X, Y);
}

void Tprevform::LeftIndMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  Dragging = false;
  Prevmemo->Paragraph().SetLeftIndent(static_cast<int>((LeftInd->Left() + DragOfs - 6) / kRulerScale) -
                                      Prevmemo->Paragraph().FirstIndent());
  SelectionChange(this);
}

void Tprevform::RightIndMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  Dragging = false;
  Prevmemo->Paragraph().SetRightIndent(
      static_cast<int>((Ruler->ClientWidth() - RightInd->Left() + DragOfs - 2) / kRulerScale) - 12);
  SelectionChange(this);
}

void Tprevform::RulerResize(TObject*) { RulerLine->SetWidth(Ruler->ClientWidth() - RulerLine->Left() * 2); }

// ---- search ----

void Tprevform::ToolButton10Click(TObject*) {
  const TPoint p = Prevmemo->ClientToScreen(Point(Prevmemo->Width() / 2 - 150, 0));
  FindDialog1->SetPosition(p);
  FindDialog1->Execute();
}

void Tprevform::FindDialog1Find(TObject*) {
  const AnsiString& what = FindDialog1->FindText;
  int start = 0;
  if (Prevmemo->SelLength() > 0)
    start = Prevmemo->SelLength() > static_cast<int>(what.size())
                ? Prevmemo->SelStart()
                : Prevmemo->SelStart() + Prevmemo->SelLength();
  const int length = static_cast<int>(Prevmemo->Text().size()) - start;
  const int at = Prevmemo->FindText(what, start, length, stMatchCase);
  if (at >= 0 && !what.empty()) {
    if (Prevmemo->CanFocus()) Prevmemo->SetFocus();
    Prevmemo->SetSelStart(at);
    Prevmemo->SetSelLength(static_cast<int>(what.size()));
  } else {
    MessageDlg("Δεν (ξανα)βρέθηκε !"_a, mtInformation, {mbOK});
  }
}
