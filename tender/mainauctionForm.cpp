// The main window's controls, menus and tool bar, as its window description
// lays them out.
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "tender/HelpTopics.h"
#include "tender/OfferCalc.h"
#include "tender/Uglo.h"
#include "tender/mainauction.h"

namespace {

// A control named Name on Parent at a place of its client area.
template <typename T>
T* Place(TComponent* owner, const char* name, TWinControl* parent, int left, int top, int width, int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(parent);
  return control;
}

TLabel* PlaceLabel(TComponent* owner, const char* name, TWinControl* parent, int left, int top,
                   const AnsiString& caption) {
  auto* label = Place<TLabel>(owner, name, parent, left, top, 10, 13);
  label->SetCaption(caption);
  return label;
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const char* name, const AnsiString& caption) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

TMenuItem* AddLine(TComponent* owner, TMenuItem* parent) {
  auto* item = new TMenuItem(owner);
  item->SetCaption("-");
  parent->Add(item);
  return item;
}

}  // namespace

TProgramFolderSource ProgramFolderSource = &GetProgramFolder;
TProgramFolderSource ShippedFolderSource = &GetExecutableFolder;
TProgramFolderSource ProjectsFolderSource = &GetProjectsFolder;

TFrmAXP::TFrmAXP(TComponent* AOwner) : TForm(AOwner) {
  SetName("FrmAXP");
  SetCaption("Επεξεργασία στοιχείων διενέργειας  δημοπρασίας"_a);
  SetBounds(40, 30, 900, 600);
  Position = poScreenCenter;
  SetShowHint(true);
  BuildMenus();
  BuildToolBar();
  BuildFields();
  BuildGrid();
  BuildGuaranteePanel();
  BuildReportText();
  BuildProjectCommands();
  MeasureLeastSize();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  Screen->OnActiveControlChange = [this](TObject*) { TrackFocus(); };
}

TFrmAXP::~TFrmAXP() {
  Screen->OnActiveControlChange = nullptr;
  if (MainForm == this) MainForm = nullptr;
  // The preview is the main window's and goes with it.
  PreviewForm = nullptr;
}

TPoint TFrmAXP::LeastSize() const {
  return {leastClient_.X + Width() - ClientWidth(), leastClient_.Y + Height() - ClientHeight()};
}

void TFrmAXP::MeasureLeastSize() {
  int right = 0, bottom = 0;
  for (int i = 0; i < ToolPanel->ControlCount(); ++i) {
    const TControl* c = ToolPanel->Controls(i);
    right = std::max(right, ToolPanel->Left() + c->Left() + c->Width() + 4);
  }
  // The grid and the bars follow the window; the report text is never shown.
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (c == StGrid || c == PrMemo || c->Align() != alNone) continue;
    right = std::max(right, c->Left() + c->Width() + 8);
    if (c != ExtraKe) bottom = std::max(bottom, c->Top() + c->Height());
  }
  // The headings and four offers, with what lies below the grid (the
  // status line) as the layout has it.
  const int belowGrid = ClientHeight() - StGrid->Top() - StGrid->Height();
  bottom = std::max(bottom, StGrid->Top() + 5 * StGrid->DefaultRowHeight() + 4 + belowGrid);
  leastClient_ = {right, bottom};
  const TPoint least = LeastSize();
  if (Width() < least.X || Height() < least.Y)
    SetBounds(Left(), Top(), std::max(Width(), least.X), std::max(Height(), least.Y));
}

void TFrmAXP::Dispatch(TMessage& Message) {
  TForm::Dispatch(Message);
  if (Message.Msg != WM_GETMINMAXINFO) return;
  auto* limits = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  const TPoint least = LeastSize();
  limits->ptMinTrackSizeX = std::max(limits->ptMinTrackSizeX, least.X);
  limits->ptMinTrackSizeY = std::max(limits->ptMinTrackSizeY, least.Y);
}

void TFrmAXP::BuildMenus() {
  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  TMenuItem* bar = MainMenu1->Items();
  File1 = AddItem(this, bar, "File1", "&Αρχείο"_a);
  N1 = AddItem(this, File1, "N1", "&Νέο"_a);
  Open1 = AddItem(this, File1, "Open1", "&Ανοιγμα"_a);
  Save1 = AddItem(this, File1, "Save1", "&Σώσιμο"_a);
  SaveAs = AddItem(this, File1, "SaveAs", "Αποθήκευση &Ως"_a);
  AddLine(this, File1);
  Indexfrm = AddItem(this, File1, "Indexfrm", "&Ευρετήριο"_a);
  AddLine(this, File1);
  N5 = AddItem(this, File1, "N5", "&Προεπισκόπιση"_a);
  N6 = AddItem(this, File1, "N6", "Εκ&τύπωση"_a);
  N7 = AddItem(this, File1, "N7", "&Γρήγορη εκτύπωση"_a);
  AddLine(this, File1);
  N9 = AddItem(this, File1, "N9", "Ε&ξοδος"_a);
  Params1 = AddItem(this, bar, "Params1", "&Παράμετροι"_a);
  E10 = AddItem(this, Params1, "E10", "Eκτύπωση και &Αρχικής σειράς προσφορών"_a);
  E10->Checked = true;
  N8 = AddItem(this, bar, "N8", "&Βοήθεια"_a);
  // F1 anywhere in the window shows the help topic of the menu's command.
  HelpContext = HelpMainWindow;
  N16 = AddItem(this, bar, "N16", "περί"_a);

  N5->OnClick = [this](TObject* s) { N5Click(s); };
  N6->OnClick = [this](TObject* s) { N6Click(s); };
  N9->OnClick = [this](TObject* s) { N9Click(s); };
  E10->OnClick = [this](TObject* s) { E10Click(s); };
  N8->OnClick = [this](TObject* s) { N8Click(s); };
  N7->OnClick = [this](TObject* s) { N7Click(s); };

  GridPopup = new TPopupMenu(this);
  GridPopup->SetName("GridPopup");
  mouse1 = AddItem(this, GridPopup->Items(), "mouse1", "Συλλογή με το mouse"_a);
  CopyToCliboard = AddItem(this, GridPopup->Items(), "CopyToCliboard", "&Αντιγραφή Συλλογής στο CilpBoard"_a);
  PasteFromCipBoard =
      AddItem(this, GridPopup->Items(), "PasteFromCipBoard", "&Επικόληση Συλλογής Απο ClipBoard"_a);
  mouse1->OnClick = [this](TObject* s) { mouse1Click(s); };
  CopyToCliboard->OnClick = [this](TObject* s) { CopyToCliboardClick(s); };
  PasteFromCipBoard->OnClick = [this](TObject* s) { PasteFromCipBoardClick(s); };
}

void TFrmAXP::BuildToolBar() {
  ToolPanel = Place<TPanel>(this, "ToolPanel", this, 0, 0, 900, 30);
  ToolPanel->SetAlign(alTop);
  ToolPanel->SetCaption("");
  // Each button as wide as its caption in the bar's font.
  TBitmap measure(1, 1);
  measure.Canvas()->Font->Assign(ToolPanel->Font());
  auto fit = [&](const AnsiString& caption) { return measure.Canvas()->TextWidth(caption) + 12; };
  int x = 4;
  auto button = [&](const char* name, const AnsiString& caption, const AnsiString& hint, int) {
    const int width = fit(caption);
    auto* b = Place<TSpeedButton>(this, name, ToolPanel, x, 3, width, 24);
    b->SetCaption(caption);
    b->SetHint(hint);
    b->SetFlat(true);
    x += width + 2;
    return b;
  };
  BtnOpen = button("BtnOpen", "Ανοιγμα"_a, "Ανοιγμα"_a, 56);
  BtnSave = button("BtnSave", "Σώσιμο"_a, "Αποθήκευση"_a, 50);
  docalc = button("docalc", "Υπολογισμός"_a, "Υπολογισμός"_a, 78);
  ClearButton = button("ClearButton", "Νέο"_a, "Καθάρισμα φύλλου"_a, 32);
  Doreset = button("Doreset", "α/α"_a, "Επαναφορά στοιχείων\rμε σειρά εισαγωγής-α/α|"_a, 34);
  sortBtn = button("sortBtn", "Κατάταξη"_a, "Ταξινόμηση κατά έκπτωση"_a, 72);
  doprintq = button("doprintq", "Γρήγορη"_a, "Γρήγορη εκτύπωση"_a, 54);
  doprint = button("doprint", "Εκτύπωση"_a, "Εκτύπωση"_a, 62);
  dopreview = button("dopreview", "Προβολή"_a, "Προεπισκόπιση"_a, 88);
  // The preview button stays down while its command runs.
  dopreview->SetGroupIndex(1);
  dopreview->SetAllowAllUp(true);
  // The sorts and the outputs need a calculation first.
  Doreset->SetEnabled(false);
  sortBtn->SetEnabled(false);
  EnableResultCommands(false, false);

  auto bitButton = [&](const char* name, const AnsiString& caption, const AnsiString& hint, int) {
    const int width = fit(caption) + 4;
    auto* b = Place<TBitBtn>(this, name, ToolPanel, x, 3, width, 24);
    b->SetCaption(caption);
    b->SetHint(hint);
    b->SetTabStop(false);
    x += width + 2;
    return b;
  };
  Button2 = bitButton("Button2", "Διαγραφή"_a, "Διαγραφή γραμμής προσφοράς"_a, 60);
  BitBtn2 = bitButton("BitBtn2", "Ευρετήριο"_a, "Ευρετήριο"_a, 64);
  BitBtn1 = bitButton("BitBtn1", "Εγγύηση"_a,
                      "Υπολογισμός πρόσθετης και συνολικής εγγύησης καλής εκτέλεσης\r"
                      "(άρθρο 4 παρ 2 του Νόμου 3263/2004, άρθρο 5 του Νόμου 3669/2008)"_a,
                      56);
  ExitButton = button("ExitButton", "Εξοδος"_a, "Εξοδος"_a, 46);
  PrintInitaa = Place<TCheckBox>(this, "PrintInitaa", ToolPanel, x + 6, 6, fit("Αρχική σειρά"_a) + 20, 18);
  PrintInitaa->SetCaption("Αρχική σειρά"_a);
  PrintInitaa->SetHint("Eκτύπωση και Αρχικής σειράς προσφορών"_a);
  PrintInitaa->SetChecked(true);

  docalc->OnClick = [this](TObject* s) { docalcClick(s); };
  Doreset->OnClick = [this](TObject* s) { doresetClick(s); };
  sortBtn->OnClick = [this](TObject* s) { sortBtnClick(s); };
  doprint->OnClick = [this](TObject* s) { N6Click(s); };
  doprintq->OnClick = [this](TObject* s) { doprintqClick(s); };
  dopreview->OnClick = [this](TObject* s) { dopreviewClick(s); };
  ExitButton->OnClick = [this](TObject* s) { ExitButtonClick(s); };
  PrintInitaa->OnClick = [this](TObject* s) { PrintInitaaClick(s); };
}

void TFrmAXP::BuildFields() {
  Label1 = PlaceLabel(this, "Label1", this, 8, 62, "ΕΡΓΟ :"_a);
  Memo1 = Place<TMemo>(this, "Memo1", this, 90, 58, 480, 48);
  Label2 = PlaceLabel(this, "Label2", this, 8, 114, "ΥΠΗΡΕΣΙΑ :"_a);
  Memo2 = Place<TMemo>(this, "Memo2", this, 90, 110, 480, 40);
  Label3 = PlaceLabel(this, "Label3", this, 8, 158, "Ενδεικτική Συνολική Δαπάνη Εργου"_a);
  Edit1 = Place<TEdit>(this, "Edit1", this, 420, 154, 150, 21);
  Label4 = PlaceLabel(this, "Label4", this, 8, 182,
                      "Συνολική δαπάνη εργασιών μαζί με Γ.Ε. & Ο.Ε.  (Ποσό Διαιρέτης)"_a);
  Label4->SetShowAccelChar(false);
  EditDiair = Place<TEdit>(this, "EditDiair", this, 420, 178, 150, 21);
  Label5 = PlaceLabel(this, "Label5", this, 590, 58, "Ημερομηνία"_a);
  EditDate = Place<TDateTimePicker>(this, "EditDate", this, 590, 74, 110, 21);
  Label6 = PlaceLabel(this, "Label6", this, 590, 104, "Δεκαδικά έκπτωσης"_a);
  EkptDgEd = Place<TSpinEdit>(this, "EkptDgEd", this, 590, 120, 50, 21);
  EkptDgEd->SetMinValue(0);
  EkptDgEd->SetMaxValue(6);
  EkptDgEd->SetValue(DiscountDecimals);

  RadioGroupZephType = Place<TRadioGroup>(this, "RadioGroupZephType", this, 716, 56, 170, 86);
  RadioGroupZephType->SetCaption("ΕΛΕΓΧΟΣ ΠΡΟΣΦΟΡΑΣ"_a);
  RadioGroupZephType->Items()->Add("Χωρίς έλεγχο προσφοράς"_a);
  RadioGroupZephType->Items()->Add("Συμπλήρωση Τιμολογίου"_a);
  RadioGroupZephType->Items()->Add("Επιμέρους ποσοστά"_a);
  // The choice shown is the project type the window starts with, 0, as
  // after clearing a project: showing another one would let a budget be
  // entered for a project that saves none.
  RadioGroupZephType->SetItemIndex(0);
  ProInputBtn = Place<TButton>(this, "ProInputBtn", this, 716, 146, 170, 25);
  ProInputBtn->SetCaption(" Προϋπ/σμός  Μελέτης"_a);
  ProInputBtn->SetEnabled(false);
  CheckOmalbtn = Place<TButton>(this, "CheckOmalbtn", this, 716, 174, 170, 25);
  CheckOmalbtn->SetCaption(" Προσφορά"_a);
  CheckOmalbtn->SetEnabled(false);
  Panel4 = Place<TPanel>(this, "Panel4", this, 0, 550, 900, 22);
  Panel4->SetAlign(alBottom);
  Panel4->SetBevelOuter(bvLowered);
  // The project's file name has the status bar beside the title, as wide
  // as the window lets it be: the whole name in sight, only its folder
  // shortened.
  Label24 = PlaceLabel(this, "Label24", Panel4, 0, 4, "");
  Label24->SetAutoSize(false);
  Label24->SetEllipsisPosition(epPathEllipsis);
  Panel4->OnResize = [this](TObject*) { PlaceProjectName(); };

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->SetName("OpenDialog1");
  OpenDialog1->Filter = "ΑΡΧΕΙΑ  *.ddn|*.ddn|ΠΑΛΑΙΑ ΑΡΧΕΙΑ  *.ddt|*.ddt"_a;
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->SetName("SaveDialog1");
  SaveDialog1->Filter = "ΑΡΧΕΙΑ *.ddn|*.ddn"_a;
  SaveDialog1->DefaultExt = "ddt";

  Memo1->OnKeyPress = [this](TObject* s, char& k) { MemoKeyPress(s, k); };
  Memo2->OnKeyPress = [this](TObject* s, char& k) { MemoKeyPress(s, k); };
  Edit1->OnKeyPress = [this](TObject* s, char& k) { Edit2NKeyPress(s, k); };
  EditDiair->OnKeyPress = [this](TObject* s, char& k) { Edit2NKeyPress(s, k); };
  EditDiair->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { EditDiairKeyDown(s, k, sh); };
  // The keypad rule of the indicative total must see that field's own keys.
  Edit1->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { EditDiairKeyDown(s, k, sh); };
  EditDiair->OnExit = [this](TObject* s) { EditDiairExit(s); };
  Edit1->OnExit = [this](TObject* s) { Edit1Exit(s); };
  EditDate->OnKeyPress = [this](TObject* s, char& k) { EditDateKeyPress(s, k); };
  EkptDgEd->OnChange = [this](TObject* s) { EkptDgEdChange(s); };
  RadioGroupZephType->OnClick = [this](TObject* s) { RadioGroupZephTypeClick(s); };
  RadioGroupZephType->OnExit = [this](TObject* s) { RadioGroupZephTypeClick(s); };
}

void TFrmAXP::PlaceProjectName() {
  TBitmap measure(1, 1);
  measure.Canvas()->Font->Assign(Panel4->Font());
  const int title = measure.Canvas()->TextWidth(Panel4->Caption());
  const int left = (Panel4->ClientWidth() + title) / 2 + 16;
  Label24->SetBounds(left, (Panel4->ClientHeight() - Label24->Height()) / 2, Panel4->ClientWidth() - 6 - left,
                     Label24->Height());
}

void TFrmAXP::BuildGrid() {
  StGrid = Place<TExtStringGrid>(this, "StGrid", this, 8, 206, 562, 340);
  // The offers grid follows the window both ways (the controls beside it
  // sit above its top); an anchor to the bottom as well would grow it twice.
  StGrid->SizeWithForm = true;
  StGrid->SetColCount(5);
  StGrid->SetRowCount(501);
  StGrid->SetFixedRows(1);
  StGrid->SetFixedCols(1);
  const int widths[] = {24, 270, 100, 70, 42};
  for (int col = 0; col < 5; ++col) StGrid->SetColWidths(col, widths[col]);
  TFont font = StGrid->Font();
  font.Name = "Arial Greek";
  StGrid->SetFont(font);
  StGrid->SetParentFont(false);
  StGrid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goColSizing,
                      goRowMoving, goEditing});
  // Alternate rows in the two colours, so that a bidder's line reads across.
  StGrid->Bands().SetPrimaryColor(clInfoBk);
  StGrid->Bands().SetSecondaryColor(clWindow);
  StGrid->Bands().SetActive(true);
  StGrid->Navigation().AllowClipboardShortCuts = true;
  StGrid->Navigation().AllowSmartClipboard = true;
  // One row per offer slot, and never more: a paste that runs past the last
  // row says how many of its rows were left out.
  StGrid->Navigation().AllowClipboardRowGrow = false;
  StGrid->OnClipboardBeforePasteCell = [](TObject*, int, int row, AnsiString&, bool& allow) {
    if (row > LastOfferRow) allow = false;
  };
  StGrid->OnCellsChanged = [this](TObject*, const TRect& pasted) {
    OffersChanged(pasted);
    if (pasted.Bottom > LastOfferRow)
      MessageDlg("Δεν επικολλήθηκαν "_a + IntToStr(pasted.Bottom - LastOfferRow) +
                     " γραμμές: ο πίνακας δέχεται έως 500 προσφορές."_a,
                 mtWarning, {mbOK});
  };
  StGrid->OnRowMoved = [this](TObject*, int from, int to) {
    OffersChanged(TRect{0, std::min(from, to), StGrid->ColCount() - 1, std::max(from, to)});
  };
  StGrid->OnClipboardCut = [this](TObject*, bool&) {
    // The cut empties the selection's cells after this; a selection of
    // empty cells changes nothing.
    const TGridRect sel = StGrid->Selection();
    for (int row = sel.Top; row <= sel.Bottom; ++row)
      for (int col = sel.Left; col <= sel.Right; ++col)
        if (!StGrid->GetCellText(StGrid->RealColIndex(col), row).empty()) {
          OffersChanged(TRect{sel.Left, sel.Top, sel.Right, sel.Bottom});
          return;
        }
  };
  StGrid->PopupMenu = GridPopup;
  StGrid->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    StGridMouseUp(s, b, sh, x, y);
  };
  StGrid->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { StGridKeyDown(s, k, sh); };
  StGrid->OnKeyPress = [this](TObject* s, char& k) { StGridKeyPress(s, k); };
  StGrid->OnExit = [this](TObject* s) { StGridExit(s); };
  StGrid->OnColumnSize = [this](TObject* s, int c, bool& allow) { StGridColumnSize(s, c, allow); };
}

void TFrmAXP::BuildReportText() {
  PrMemo = Place<TRichEdit>(this, "PrMemo", this, 8, 206, 560, 200);
  PrMemo->Hide();
  PrMemo->SetWordWrap(false);
  TFont font = PrMemo->Font();
  font.Name = "Courier New";
  font.SetHeight(-11);
  font.Color = clBlack;
  PrMemo->SetFont(font);
}
