// The calculation preview window: its controls, menus and tool bars, and
// the copy of the report it holds.

#include "printing/Prevunt.h"

#include "platform/gfx/TextEngine.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"

std::function<void()> Tprevform::ShowAboutBox;

namespace {

constexpr const char* kFilter =
    "Κείμενα  *.P*,*.Z*,*.U*, *.TXT|*.TXT; *.P*; *.z*; *.u*|Rich Text Files (*.RTF)|*.RTF|ΟΛΛΑ ΤΑ ΑΡΧΕΙΑ "
    "(*.*)|*.*";

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const char* name, const char* caption,
                TShortCut shortCut = 0) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->SetCaption(cp1253::FromUtf8(caption));
  item->ShortCut = shortCut;
  parent->Add(item);
  return item;
}

void Line(TComponent* owner, TMenuItem* parent) {
  auto* item = new TMenuItem(owner);
  item->SetCaption("-");
  parent->Add(item);
}

}  // namespace

Tprevform::Tprevform(TComponent* AOwner, const TRichEdit& Source, const AnsiString& ClosingLine)
    : TForm(AOwner), source_(&Source), closingLine_(ClosingLine) {
  SetName("prevform");
  SetBounds(Left(), Top(), 880, 560);
  Position = poDefaultPosOnly;
  BuildMenus();
  BuildToolBars();
  BuildRuler();

  StatusBar = new TStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->SetAlign(alBottom);
  StatusBar->AddPanel(150);
  StatusBar->AddPanel(100).Alignment = taCenter;
  StatusBar->AddPanel(90);

  // The calculator, shown in its own strip while its button is down.
  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetAlign(alTop);
  Panel1->SetHeight(30);
  Panel1->SetCaption("");
  Panel1->SetVisible(false);
  MoneyEdit1 = new TMoneyEdit(this);
  MoneyEdit1->SetName("MoneyEdit1");
  MoneyEdit1->SetParent(Panel1);
  MoneyEdit1->SetBounds(8, 4, 180, 22);
  TCalculatorLook& look = MoneyEdit1->CalculatorLook();
  look.ButtonWidth = 30;
  look.ButtonHeight = 30;
  look.ButtonColor = clAqua;
  look.Color = clWhite;
  look.Flat = true;

  Prevmemo = new TRichEdit(this);
  Prevmemo->SetName("Prevmemo");
  Prevmemo->SetParent(this);
  Prevmemo->SetAlign(alClient);
  TFont font;
  font.Name = "Courier New Greek";
  font.SetHeight(-13);
  Prevmemo->SetFont(font);
  Prevmemo->SetScrollBars(ssBoth);
  Prevmemo->SetWordWrap(false);
  Prevmemo->HideSelection = false;
  Prevmemo->SetMaxLength(1000000000);
  Prevmemo->PopupMenu = PopupMenu1;
  Prevmemo->OnChange = [this](TObject* s) { RichEditChange(s); };
  Prevmemo->OnSelectionChange = [this](TObject* s) { SelectionChange(s); };

  // The page-size table: lines a page and characters a line of an A4
  // sheet by font size, shown while its button is held.
  Memo1 = new TMemo(this);
  Memo1->SetName("Memo1");
  Memo1->SetParent(this);
  Memo1->SetBounds(300, 90, 300, 110);
  Memo1->SetReadOnly(true);
  Memo1->SetVisible(false);
  for (const char* line :
       {"Μέγεθος  Γραμμές  Χαρακτήρες (A4)", "   8        96        143", "   9        75        124",
        "  10        69        112", "  11        62        107", "Οριζόντια:", "   7        68        225"})
    Memo1->Lines().Add(cp1253::FromUtf8(line));

  OpenDialog = new TOpenDialog(this);
  OpenDialog->SetName("OpenDialog");
  OpenDialog->Filter = cp1253::FromUtf8(kFilter);
  OpenDialog->Title = "Αναζήτηση αρχείου κειμένου  DOS"_a;
  OpenDialog->Options = {ofEnableSizing, ofFileMustExist};
  SaveDialog = new TSaveDialog(this);
  SaveDialog->SetName("SaveDialog");
  SaveDialog->Filter = OpenDialog->Filter;
  SaveDialog->Options = {ofHideReadOnly, ofEnableSizing, ofOverwritePrompt};
  PrintDialog = new TPrintDialog(this);
  PrintDialog->SetName("PrintDialog");
  PrintDialog->Options = {poPageNums, poSelection};
  FontDialog1 = new TFontDialog(this);
  FontDialog1->SetName("FontDialog1");
  FindDialog1 = new TFindDialog(this);
  FindDialog1->SetName("FindDialog1");
  FindDialog1->Options = {frDown, frFindNext, frHideUpDown, frHideMatchCase, frHideWholeWord};
  FindDialog1->OnFind = [this](TObject* s) { FindDialog1Find(s); };

  RichPrinter1 = new TRichPrinter(this);
  RichPrinter1->SetName("RichPrinter1");
  RichPrinter1->Header = "{$TITLE}";
  RichPrinter1->Footer = "Σελίδα {$PAGE}"_a;
  RichPrinter1->HeaderFormat = RichPrinter1->FooterFormat = ">100";
  TFont headerFont;
  headerFont.Name = "Courier New";
  headerFont.SetHeight(-13);
  RichPrinter1->SetFont_HeaderFooter(headerFont);
  RichPrinter1->Options_Dialog = {poMargins};

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnPaint = [this](TObject* s) { FormPaint(s); };
  OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
}

Tprevform::~Tprevform() { DoDestroy(); }

void TRulerMarker::Paint() {
  TCanvas& c = Canvas();
  const int w = Width() - 1, h = Height() - 1;
  c.Pen->Color = clBlack;
  c.Brush->Style = bsSolid;
  c.Brush->Color = clBtnFace;
  if (PointsDown)
    c.Polygon({Point(0, 0), Point(w, 0), Point(w / 2, h)});
  else
    c.Polygon({Point(w / 2, 0), Point(w, h), Point(0, h)});
}

void Tprevform::BuildMenus() {
  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  TMenuItem* bar = MainMenu1->Items();
  TMenuItem* file = Item(this, bar, "File1", "&Αρχείο");
  FileNewItem = Item(this, file, "FileNewItem", "&Νεο", ShortCut('N', {ssCtrl}));
  FileOpenItem = Item(this, file, "FileOpenItem", "&Ανοιγμα...", ShortCut('O', {ssCtrl}));
  FileSaveItem = Item(this, file, "FileSaveItem", "Απο&θήκευση", ShortCut('S', {ssCtrl}));
  FileSaveAsItem = Item(this, file, "FileSaveAsItem", "Αποθήκευση &Ως");
  Line(this, file);
  N7 = Item(this, file, "N7", "&Διαμόρφωση σελίδας");
  N6 = Item(this, file, "N6", "&Προεπισκόπιση");
  FilePrintItem = Item(this, file, "FilePrintItem", "&Εκτύπωση", ShortCut('P', {ssCtrl}));
  Line(this, file);
  FileExitItem = Item(this, file, "FileExitItem", "Ε&ξοδος", ShortCut('X', {ssAlt}));
  TMenuItem* edit = Item(this, bar, "Edit1", "&Επεξεργασία");
  EditUndoItem = Item(this, edit, "EditUndoItem", "&Αναίρεση", ShortCut('Z', {ssCtrl}));
  Line(this, edit);
  EditCutItem = Item(this, edit, "EditCutItem", "Απο&κοπή", ShortCut('X', {ssCtrl}));
  EditCopyItem = Item(this, edit, "EditCopyItem", "Αντι&γραφή", ShortCut('C', {ssCtrl}));
  EditPasteItem = Item(this, edit, "EditPasteItem", "&Επικόλληση", ShortCut('V', {ssCtrl}));
  Line(this, edit);
  EditFontItem = Item(this, edit, "EditFontItem", "&Γραμματοσειρά...");
  TMenuItem* help = Item(this, bar, "Help1", "&Βοήθεια");
  HelpAboutItem = Item(this, help, "HelpAboutItem", "&Περί...");
  MainMenu1->AttachTo(this);

  FileNewItem->OnClick = [this](TObject* s) { FileNew(s); };
  FileOpenItem->OnClick = [this](TObject* s) { FileOpen(s); };
  FileSaveItem->OnClick = [this](TObject* s) { FileSave(s); };
  FileSaveAsItem->OnClick = [this](TObject* s) { FileSaveAs(s); };
  N7->OnClick = [this](TObject* s) { N7Click(s); };
  N6->OnClick = [this](TObject* s) { N6Click(s); };
  FilePrintItem->OnClick = [this](TObject* s) { FilePrint(s); };
  FileExitItem->OnClick = [this](TObject* s) { FileExit(s); };
  EditUndoItem->OnClick = [this](TObject* s) { EditUndo(s); };
  EditCutItem->OnClick = [this](TObject* s) { EditCut(s); };
  EditCopyItem->OnClick = [this](TObject* s) { EditCopy(s); };
  EditPasteItem->OnClick = [this](TObject* s) { EditPaste(s); };
  EditFontItem->OnClick = [this](TObject* s) { SelectFont(s); };
  HelpAboutItem->OnClick = [this](TObject* s) { HelpAbout(s); };

  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  popcut = Item(this, PopupMenu1->Items(), "popcut", "Απο&κοπή");
  popcopy = Item(this, PopupMenu1->Items(), "popcopy", "Αντι&γρφαή");
  poppaste = Item(this, PopupMenu1->Items(), "poppaste", "&Επικόλληση");
  popselall = Item(this, PopupMenu1->Items(), "popselall", "Επιλογή &όλων");
  popcut->OnClick = [this](TObject* s) { EditCut(s); };
  popcopy->OnClick = [this](TObject* s) { EditCopy(s); };
  poppaste->OnClick = [this](TObject* s) { EditPaste(s); };
  popselall->OnClick = [this](TObject* s) { popselallClick(s); };
}

void Tprevform::BuildToolBars() {
  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetParent(this);
  ToolBar1->SetAlign(alTop);
  ToolBar1->SetHeight(26);
  ToolBar1->SetFlat(true);
  ToolBar1->SetShowCaptions(true);
  ToolBar1->SetButtonSize(38, 22);
  auto button = [&](const char* name, const char* caption, const char* hint,
                    TToolButtonStyle style = tbsButton) {
    auto* b = new TToolButton(this);
    b->SetName(name);
    b->SetParent(ToolBar1);
    b->SetStyle(style);
    b->SetCaption(cp1253::FromUtf8(caption));
    b->SetHint(cp1253::FromUtf8(hint));
    b->SetShowHint(true);
    return b;
  };
  auto gap = [&] {
    auto* b = new TToolButton(this);
    b->SetParent(ToolBar1);
    b->SetStyle(tbsSeparator);
  };
  ToolButton12 = button("ToolButton12", "Τέλος", "Κλείσιμο");
  gap();
  OpenButton = button("OpenButton", "Ανοιγ", "Ανοιγμα αρχείου");
  SaveButton = button("SaveButton", "Αποθ", "Αποθήκευση");
  ToolButton6 = button("ToolButton6", "Σελίδ", "Διαμόρφωση σελίδας");
  ToolButton7 = button("ToolButton7", "Αρ.Σ", "Αρίθμηση σελίδων", tbsCheck);
  ToolButton7->SetDown(true);
  ToolButton7->SetImageIndex(18);
  ToolButton7->SetVisible(false);
  ToolButton3 = button("ToolButton3", "Προεπ", "Προεπισκόπιση");
  PrintButton = button("PrintButton", "Εκτύπ", "Εκτύπωση");
  gap();
  UndoButton = button("UndoButton", "Αναίρ", "Αναίρεση");
  CutButton = button("CutButton", "Αποκ", "Αποκοπή");
  CopyButton = button("CopyButton", "Αντιγ", "Αντιγραφή");
  PasteButton = button("PasteButton", "Επικ", "Επικόλληση");
  ToolButton10 = button("ToolButton10", "Εύρεσ", "Εύρεση");
  ToolButton2 = button("ToolButton2", "A4", "Γραμμές και χαρακτήρες σελίδας A4 (κρατήστε πατημένο)");
  gap();
  BoldButton = button("BoldButton", "B", "Εντονα", tbsCheck);
  ItalicButton = button("ItalicButton", "I", "Πλάγια", tbsCheck);
  UnderlineButton = button("UnderlineButton", "U", "Υπογράμμιση", tbsCheck);
  gap();
  LeftAlign = button("LeftAlign", "Αρ", "Στοίχιση αριστερά", tbsCheck);
  CenterAlign = button("CenterAlign", "Κε", "Στοίχιση στο κέντρο", tbsCheck);
  RightAlign = button("RightAlign", "Δε", "Στοίχιση δεξιά", tbsCheck);
  LeftAlign->Grouped = CenterAlign->Grouped = RightAlign->Grouped = true;
  LeftAlign->Tag = 0;
  RightAlign->Tag = 1;
  CenterAlign->Tag = 2;
  BulletsButton = button("BulletsButton", "•", "Κουκκίδες", tbsCheck);
  gap();
  calcBtn = button("calcBtn", "Calc", "Αριθμομηχανή", tbsCheck);

  ToolButton12->OnClick = [this](TObject* s) { FileExit(s); };
  OpenButton->OnClick = [this](TObject* s) { FileOpen(s); };
  SaveButton->OnClick = [this](TObject* s) { FileSave(s); };
  ToolButton6->OnClick = [this](TObject* s) { N7Click(s); };
  ToolButton7->OnClick = [this](TObject* s) { ToolButton7Click(s); };
  ToolButton3->OnClick = [this](TObject* s) { N6Click(s); };
  PrintButton->OnClick = [this](TObject* s) { FilePrint(s); };
  UndoButton->OnClick = [this](TObject* s) { EditUndo(s); };
  CutButton->OnClick = [this](TObject* s) { EditCut(s); };
  CopyButton->OnClick = [this](TObject* s) { EditCopy(s); };
  PasteButton->OnClick = [this](TObject* s) { EditPaste(s); };
  ToolButton10->OnClick = [this](TObject* s) { ToolButton10Click(s); };
  ToolButton2->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    ToolButton2MouseDown(s, b, sh, x, y);
  };
  ToolButton2->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    ToolButton2MouseUp(s, b, sh, x, y);
  };
  BoldButton->OnClick = [this](TObject* s) { BoldButtonClick(s); };
  ItalicButton->OnClick = [this](TObject* s) { ItalicButtonClick(s); };
  UnderlineButton->OnClick = [this](TObject* s) { UnderlineButtonClick(s); };
  for (TToolButton* b : {LeftAlign, CenterAlign, RightAlign})
    b->OnClick = [this](TObject* s) { AlignButtonClick(s); };
  BulletsButton->OnClick = [this](TObject* s) { BulletsButtonClick(s); };
  calcBtn->OnClick = [this](TObject* s) { calcBtnClick(s); };

  ToolBar2 = new TToolBar(this);
  ToolBar2->SetName("ToolBar2");
  ToolBar2->SetParent(this);
  ToolBar2->SetAlign(alTop);
  ToolBar2->SetHeight(28);
  FontName = new TComboBox(this);
  FontName->SetName("FontName");
  FontName->SetParent(ToolBar2);
  FontName->SetBounds(4, 3, 180, 22);
  FontName->SetSorted(true);
  FontSize = new TEdit(this);
  FontSize->SetName("FontSize");
  FontSize->SetParent(ToolBar2);
  FontSize->SetBounds(190, 3, 36, 22);
  FontSize->SetText("8");
  UpDown1 = new TUpDown(this);
  UpDown1->SetName("UpDown1");
  UpDown1->SetParent(ToolBar2);
  UpDown1->SetBounds(226, 3, 16, 22);
  UpDown1->SetMin(0);
  UpDown1->SetAssociate(FontSize);
  FontName->OnChange = [this](TObject* s) { FontNameChange(s); };
  FontSize->OnChange = [this](TObject* s) { FontSizeChange(s); };
}

void Tprevform::BuildRuler() {
  Ruler = new TPanel(this);
  Ruler->SetName("Ruler");
  Ruler->SetParent(this);
  Ruler->SetAlign(alTop);
  Ruler->SetHeight(26);
  Ruler->SetAlignment(taLeftJustify);
  // Tab-separated bars mark the ruler's steps.
  AnsiString caption;
  for (int i = 0; i < 100; ++i) caption += "\t|";
  Ruler->SetCaption(caption);
  RulerLine = new TBevel(this);
  RulerLine->SetName("RulerLine");
  RulerLine->SetParent(Ruler);
  RulerLine->SetBounds(4, 12, 100, 2);
  RulerLine->SetShape(bsTopLine);
  auto marker = [&](const char* name, bool down, int top) {
    auto* m = new TRulerMarker(this);
    m->SetName(name);
    m->SetParent(Ruler);
    m->PointsDown = down;
    m->SetBounds(2, top, 9, 7);
    m->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
      RulerItemMouseDown(s, b, sh, x, y);
    };
    m->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { RulerItemMouseMove(s, sh, x, y); };
    return m;
  };
  FirstInd = marker("FirstInd", true, 3);
  LeftInd = marker("LeftInd", false, 16);
  RightInd = marker("RightInd", false, 16);
  FirstInd->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    FirstIndMouseUp(s, b, sh, x, y);
  };
  LeftInd->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    LeftIndMouseUp(s, b, sh, x, y);
  };
  RightInd->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    RightIndMouseUp(s, b, sh, x, y);
  };
  Ruler->OnResize = [this](TObject* s) { RulerResize(s); };
}

void Tprevform::FormCreate(TObject*) {
  // Hints show across the status bar while there is one.
  Application->OnHint = [this](TObject*) {
    StatusBar->SetSimplePanel(!Application->Hint().empty());
    StatusBar->SetSimpleText(Application->Hint());
  };
  OpenDialog->InitialDir = GetProgramFolder();
  SaveDialog->InitialDir = OpenDialog->InitialDir;
  // Named in full: "Save" writes into the program's folder wherever a file
  // dialog has since moved the current folder.
  SetFileName(OpenDialog->InitialDir + "Προεπισκόπηση υπολογισμών"_a);
  if (source_) {
    Prevmemo->Lines().Assign(source_->Lines());
    AddClosingLine();
    Prevmemo->SetFont(source_->Font());
    source_ = nullptr;
  }
  for (const AnsiString& face : gfx::FontFaceNames()) FontName->Items()->Add(face);
  RulerResize(this);
  SelectionChange(this);
  FontSize->SetText(IntToStr(Prevmemo->Font().Size()));
  NextViewer = SetClipboardViewer(Handle());
  Prevmemo->Paragraph().SetFirstIndent(0);
  SetModified(false);
}

void Tprevform::FormDestroy(TObject*) {
  ChangeClipboardChain(Handle(), NextViewer);
  Application->OnHint = nullptr;
}

void Tprevform::AddClosingLine() { Prevmemo->Lines().Add("\r\n" + closingLine_); }

void Tprevform::CopyReport(const TRichEdit& Source) {
  TStrings& lines = Prevmemo->Lines();
  lines.BeginUpdate();
  try {
    lines.Clear();
    lines.Assign(Source.Lines());
    AddClosingLine();
  } catch (...) {
    lines.EndUpdate();
    throw;
  }
  lines.EndUpdate();
  Prevmemo->SetFont(Source.Font());
}

void Tprevform::SetFileName(const AnsiString& name) {
  FileName = name;
  SetCaption(Format("%s - %s", {ExtractFileName(FileName), Application->Title}));
}
