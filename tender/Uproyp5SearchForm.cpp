// The budget window's target-discount search panel: its controls, the "="
// button, the count of combinations, the search run with its Stop button,
// the result grid with its marks, hints and sort, and the check of a chosen
// solution.
#include <algorithm>
#include <chrono>

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "tender/N_STR.h"
#include "tender/Uglo.h"
#include "tender/Uproyp5.h"

namespace {

Byte Style() { return static_cast<Byte>(NumberStyle); }

// The hourglass while the search or the sort runs.
class THourGlass {
 public:
  THourGlass() { Screen->SetCursor(crHourGlass); }
  ~THourGlass() { Screen->SetCursor(crDefault); }
};

constexpr int ResultColumns = 20000;
constexpr int ResultRows = 101;
constexpr Int64 MostTries = 100000000;

const char* const MarksHint =
    "Βάλτε σύμβολο \"+\" όταν θέλετε η έκπτωση τις κατηγορίας να είναι μεγαλύτερη από την μέση\r"
    "Βάλτε σύμβολο \"-\" όταν θέλετε η έκπτωση τις κατηγορίας να είναι μικρότερη από την μέση\r"
    "Βάλτε σύμβολο \"=\" όταν θέλετε η έκπτωση τις κατηγορίας να είναι ~ίση με την μέση";
const char* const DifferenceHint =
    "Η γραμμή αυτή εμφανίζει την απόκλιση του\rυπολογιζόμενου ΠΟΣΟΥ της συγκεκριμένης\r"
    "σειράς(στήλης) ως προς το επιθυμητό ΠΟΣΟ";
const char* const SortHint =
    "Με διπλό κλικ γίνεται ταξινόμηση των στηλών\rως προς την ΑΠΟΛΥΤΗ ΑΠΟΚΛΙΣΗ ΤΟΥ ΠΟΣΟΎ";

}  // namespace

void TUproypFrm::BuildSearchPanel() {
  TExtPanel& panel = *inEkptEpim;
  panel.SetBounds(20, 60, 640, 462);
  // Below the caption, whose text sits lower on this panel.
  constexpr int below = 22;
  panel.Caption().SetText("Προσδιορισμός ΕΠΙΘΥΜΗΤΗΣ μέσης έκπτωσης "_a);
  panel.Caption().SetVisible(true);
  panel.Caption().SetHeight(32);
  panel.Caption().SetColor(static_cast<TColor>(0xFF8000));
  panel.Caption().SetShadeType(stDiagShade);
  panel.Caption().SetFlat(true);
  panel.Caption().SetShape(csRectangle);
  panel.Caption().SetCloseButton(false);
  panel.Caption().SetMinMaxButton(false);
  panel.Position().Save = false;
  panel.CanMove = true;
  panel.SetCanSize(true);

  auto place = [&](auto* control, const char* name, int left, int top, int width, int height) {
    control->SetName(name);
    control->SetBounds(left, top + below, width, height);
    control->SetParent(&panel);
    return control;
  };
  auto label = [&](int left, int top, const AnsiString& caption) {
    auto* l = new TLabel(this);
    l->SetBounds(left, top + below, 10, 13);
    l->SetParent(&panel);
    l->SetCaption(caption);
    return l;
  };
  auto spin = [&](const char* name, int left, int top, int width, int low, int high, int value) {
    auto* s = place(new TSpinEdit(this), name, left, top, width, 21);
    s->SetMinValue(low);
    s->SetMaxValue(high);
    s->SetValue(value);
    return s;
  };
  auto readOnly = [&](const char* name, int left, int top, int width) {
    auto* e = place(new TEdit(this), name, left, top, width, 21);
    e->SetReadOnly(true);
    e->SetText("");
    return e;
  };
  auto button = [&](const char* name, int left, int top, int width, const AnsiString& caption) {
    auto* b = place(new TBitBtn(this), name, left, top, width, 25);
    b->SetCaption(caption);
    return b;
  };

  label(8, 30, "Μέση έκπτωση %"_a);
  Edit3 = place(new TEdit(this), "Edit3", 8, 45, 80, 21);
  Edit3->SetHint("Βάλε επιθυμητή μέση έκπτωση"_a);
  SpeedButton1 = place(new TSpeedButton(this), "SpeedButton1", 92, 45, 22, 21);
  SpeedButton1->SetCaption("=");
  label(118, 30, "Ποσό προσφοράς"_a);
  Edit4 = place(new TEdit(this), "Edit4", 118, 45, 130, 21);
  Edit4->SetHint("Βάλε Επιθυμητό τελικό ποσό προσφοράς"_a);
  for (TEdit* edit : {Edit3, Edit4}) {
    edit->SetText("");
    edit->OnKeyPress = [this](TObject* s, char& k) { Edit2KeyPress(s, k); };
    edit->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { Edit3KeyDown(s, k, sh); };
    edit->OnChange = [this](TObject*) { CheckBox5->SetChecked(false); };
  }

  label(256, 30, "Απόκλιση από την μέση έκπτωση"_a);
  Apokl1 = spin("Apokl1", 256, 45, 50, 0, 10, 6);
  label(440, 30, "Δυνατοί συνδυασμοί"_a);
  MaxComp = readOnly("MaxComp", 440, 45, 180);
  label(8, 72, "Δοκιμές"_a);
  MaxTries = spin("MaxTries", 8, 87, 110, 0, static_cast<int>(MostTries), 50000);
  MaxTries->Increment = 10000;
  label(124, 72, "Επιθυμητή ακρίβεια 1/10^"_a);
  SpinEdit1 = spin("SpinEdit1", 124, 87, 50, 0, 7, 4);
  RandSeries = place(new TCheckBox(this), "RandSeries", 256, 74, 170, 17);
  RandSeries->SetCaption("Τυχαίοι συνδυασμοί"_a);
  RandSeries->SetChecked(true);
  CheckBox5 = place(new TCheckBox(this), "CheckBox5", 256, 92, 180, 17);
  CheckBox5->SetCaption("Προσθήκη στις μέχρι τώρα"_a);
  CheckBox5->SetChecked(true);
  BitBtn5 = button("BitBtn5", 440, 84, 85, "Αναζήτηση"_a);
  StopBtn = button("StopBtn", 440, 84, 85, "Stop");
  StopBtn->Hide();
  BitBtn4 = button("BitBtn4", 535, 84, 85, "Εξοδος"_a);

  label(8, 118, "Συνδυασμοί"_a);
  STHLES = readOnly("STHLES", 8, 133, 110);
  label(124, 118, "ΠΙιθανές λύσεις"_a);
  Lyseis = readOnly("Lyseis", 124, 133, 80);
  auto* choose = label(256, 114, "Επιλογή σειράς\rγια έλεγχο"_a);
  SpinEdit2 = spin("SpinEdit2", 350, 124, 70, 1, 80, 1);
  SpinEdit2->Hide();
  choose->SetVisible(true);
  BitBtn1 = button("BitBtn1", 440, 122, 85, "Ελεγχος"_a);

  StringGrid1 = place(new TExtStringGrid(this), "StringGrid1", 8, 162, 622, 270);
  StringGrid1->Anchors = {akLeft, akTop, akRight, akBottom};
  StringGrid1->SetColCount(ResultColumns);
  StringGrid1->SetRowCount(ResultRows);
  StringGrid1->SetFixedCols(1);
  StringGrid1->SetFixedRows(1);
  StringGrid1->SetDefaultColWidth(48);
  StringGrid1->SetDefaultRowHeight(18);
  StringGrid1->SetColWidths(0, 150);
  StringGrid1->SetShowHint(true);
  StringGrid1->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing});
  StringGrid1->OnCanEditCell = [](TObject*, int, int ACol, bool& CanEdit) { CanEdit = ACol == 1; };
  StringGrid1->OnKeyPress = [this](TObject*, char& Key) {
    const bool mark = Key == '+' || Key == '-' || Key == '=' || Key == ' ' || Key == '\b' || Key == '\t' ||
                      Key == '\r' || Key == 0x1b;
    if (StringGrid1->Col() != 1 || !mark) Key = 0;
  };
  StringGrid1->OnGetCellColor = [](TObject*, int ARow, int ACol, TGridDrawState, TBrush& ABrush, TFont&) {
    if (ACol == 1 && ARow >= 1) ABrush.Color = clYellow;
  };
  StringGrid1->OnGridHint = [this](TObject*, int ARow, int ACol, AnsiString& HintStr) {
    const int n = BudgetRows;
    if (ACol == 1)
      HintStr = cp1253::FromUtf8(MarksHint);
    else if (ARow == n + 1 && ACol >= 2 && ACol <= Search.SolutionCount + 1)
      HintStr = cp1253::FromUtf8(DifferenceHint);
    else if (ARow != n + 1)
      HintStr = cp1253::FromUtf8(SortHint);
  };
  StringGrid1->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
    if (!StringGrid1->Cells(StringGrid1->Col(), 0).empty()) SpinEdit2->SetValue(StringGrid1->Col() - 1);
  };
  StringGrid1->OnDblClick = [this](TObject* s) { StringGrid1DblClick(s); };
  SolutionMenu = new TPopupMenu(this);
  SolutionMenu->SetName("SolutionMenu");
  auto* item = new TMenuItem(this);
  item->SetName("SortItem");
  item->SetCaption("Ταξινόμηση των στηλών ως προς ΑΠΟΚΛΙΣΗ ΤΟΥ ΠΟΣΟΎ"_a);
  // The item does what a double click on the tries does.
  item->OnClick = [this](TObject* s) { MaxTriesDblClick(s); };
  SolutionMenu->Items()->Add(item);
  StringGrid1->PopupMenu = SolutionMenu;

  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  Apokl1->OnChange = [this](TObject* s) { Apokl1Change(s); };
  MaxTries->OnDblClick = [this](TObject* s) { MaxTriesDblClick(s); };
  BitBtn5->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  StopBtn->OnClick = [this](TObject* s) { StopBtnClick(s); };
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  BitBtn4->OnClick = [this](TObject* s) { BitBtn4Click(s); };
  SpinEdit2->OnChange = [this](TObject*) {
    const int col = SpinEdit2->Value() + 1;
    if (col >= 1 && col < StringGrid1->ColCount()) StringGrid1->SetCol(col);
  };
}

void TUproypFrm::SpeedButton1Click(TObject*) {
  const int d = CostDecimals;
  if (!Edit3->Text().empty()) {
    DesiredDiscount = StrToNum(Edit3->Text());
    // Without a study total no amount follows from a discount.
    Edit4->SetText(
        StudyTotal == 0
            ? AnsiString()
            : FormatNum(
                  17, d + 2, Style(),
                  RoundDec(d + 2, static_cast<double>(
                                      StudyTotal * (1 - static_cast<long double>(DesiredDiscount) / 100)))));
  } else {
    const double amount = StrToNum(Edit4->Text());
    if (StudyTotal == 0) {
      Edit3->SetText("");
      return;
    }
    DesiredDiscount =
        RoundDec(6, static_cast<double>(100 - static_cast<long double>(amount) / StudyTotal * 100));
    Edit3->SetText(FloatToStr(DesiredDiscount));
  }
}

void TUproypFrm::Apokl1Change(TObject*) {
  const double value = CombinationsOf(Apokl1->Value(), BudgetRows);
  MaxComp->SetText(FormatNum(20, 0, 2, value));
  CombinationCount = value >= 9.2e18 ? INT64_MAX : static_cast<Int64>(Round(value));
}

void TUproypFrm::MaxTriesDblClick(TObject*) {
  if (MaxComp->Text().empty()) return;
  MaxTries->SetValue(static_cast<int>(std::min(CombinationCount, MostTries)));
  RandSeries->SetChecked(false);
}

TSearchInputs TUproypFrm::SearchInputs() {
  TSearchInputs in;
  const int n = BudgetRows;
  in.Costs.reserve(static_cast<size_t>(n));
  in.Marks.reserve(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    in.Costs.push_back(ProypGrid->Cells(4, i));
    in.Marks.push_back(StringGrid1->Cells(1, i));
  }
  in.OverheadText = SumaGrid->Cells(3, 2);
  OverheadIsExpression = in.OverheadText.find('$') != AnsiString::npos ? 1 : 0;
  if (OverheadIsExpression) {
    OverheadExpression = std::string_view(in.OverheadText).substr(0, 40);
    AnsiString display;
    ParseGeoeStr(in.OverheadExpressionAmount, display);
  }
  in.CostDecimals = CostDecimals;
  in.HalfDown = B54->Down();
  in.StudyTotal = StudyTotal;
  in.DesiredDiscount = DesiredDiscount;
  in.Accuracy = SpinEdit1->Value();
  in.RandomOrder = RandSeries->Checked();
  return in;
}

void TUproypFrm::SpeedButton3Click(TObject*) {
  SpeedButton1Click(SpeedButton1);
  if (Edit3->Text().empty() || DesiredDiscount > 100 || DesiredDiscount < 0 || StudyTotal == 0) return;
  DesiredAmount = StrToNum(Edit4->Text());
  if (Search.SolutionCount != 0 && !CheckBox5->Checked() &&
      MessageDlg("Νέα Αναζήτηση;"_a, mtConfirmation, {mbYes, mbNo}) != mrYes)
    return;
  STHLES->SetText("");
  Lyseis->SetText("");
  SpinEdit2->Hide();
  const int n = std::min<int>(BudgetRows, ResultRows - 2);
  Randomize();
  const int shown = std::min(Search.ShownSolutions + 1, StringGrid1->ColCount() - 1);
  if (PrepareSearch(Search, n, Apokl1->Value(), DesiredDiscount, CheckBox5->Checked())) {
    StringGrid1->BeginUpdate();
    for (int c = 2; c <= shown; ++c)
      for (int r = 0; r <= n + 1; ++r) StringGrid1->SetCells(c, r, "");
    for (int i = 1; i <= n; ++i) StringGrid1->SetCells(0, i, IntToStr(i));
    StringGrid1->EndUpdate();
  }
  for (int i = 1; i <= n; ++i) StringGrid1->SetCells(0, i, IntToStr(i) + " " + StringGrid1->Cells(1, i));
  StringGrid1->SetCol(
      std::min(Search.SolutionCount + 1 < 2 ? 2 : Search.SolutionCount + 1, ResultColumns - 1));
  StringGrid1->SetRow(n + 1);
  SearchStop = 0;
  StopBtn->Show();
  BitBtn5->Hide();
  THourGlass hourGlass;

  using Clock = std::chrono::steady_clock;
  Clock::time_point shownAt = Clock::now(), countShownAt = Clock::time_point();
  const Byte style = Style();
  const int decimals = CostDecimals;
  TSearchHooks hooks;
  hooks.Solution = [&](int number, const TCombination& codes, double total) {
    Lyseis->SetText(IntToStr(number));
    // Shown at once, but not repainted more than a few times a second.
    if (Clock::now() - countShownAt > std::chrono::milliseconds(100)) {
      Lyseis->Update();
      countShownAt = Clock::now();
    }
    const int c = number + 1;
    // Solutions beyond the grid's columns are kept and counted only.
    if (c >= StringGrid1->ColCount()) return;
    StringGrid1->SetCells(c, 0, IntToStr(number));
    for (int i = 1; i <= n; ++i)
      StringGrid1->SetCells(c, i,
                            IntToStr(static_cast<unsigned char>(codes[static_cast<size_t>(i - 1)]) - 10));
    StringGrid1->SetCells(c, n + 1, SolutionDifference(total, DesiredAmount, decimals, style));
  };
  hooks.Checkpoint = [&](Int64 tries) {
    // The count is repainted a few times a second, not at every point.
    if (Clock::now() - shownAt > std::chrono::milliseconds(100)) {
      STHLES->SetText(IntToStr(tries));
      STHLES->Update();
      shownAt = Clock::now();
    }
    Application->ProcessMessages();
    return SearchStop != 0;
  };
  hooks.Read = [this] { return SearchInputs(); };
  hooks.Reseed = [] { Randomize(); };
  const Int64 tries = RunSearch(Search, {MaxTries->Value()}, hooks);

  STHLES->SetText(IntToStr(tries));
  StopBtn->Hide();
  BitBtn5->Show();
  Lyseis->SetText(IntToStr(Search.SolutionCount));
  if (Search.SolutionCount > 0) {
    SpinEdit2->SetMaxValue(Search.SolutionCount);
    SpinEdit2->SetValue(Search.SolutionCount);
    SpinEdit2->Show();
    StringGrid1->SetCol(std::min(Search.SolutionCount + 1, ResultColumns - 1));
  }
  Search.ShownSolutions = Search.SolutionCount;
  CheckBox5->SetChecked(true);
}

void TUproypFrm::StopBtnClick(TObject*) { SearchStop = 1; }

void TUproypFrm::BitBtn1Click(TObject*) {
  const int col = StringGrid1->Col();
  if (StringGrid1->Cells(col, 0).empty()) return;
  const int n = std::min<int>(BudgetRows, ResultRows - 2);
  for (int i = 1; i <= n; ++i) ProypGrid->SetCells(5, i, StringGrid1->Cells(col, i));
  RecalcClick(BitBtn1);
  DoCheckBtnClick(BitBtn1);
}

void TUproypFrm::BitBtn4Click(TObject*) {
  inEkptEpim->Hide();
  EkptBtn->SetDown(false);
}

void TUproypFrm::StringGrid1DblClick(TObject*) {
  if (MessageDlg("Να γίνει ταξινόμηση; "_a, mtConfirmation, {mbYes, mbNo}) != mrYes) return;
  THourGlass hourGlass;
  if (Search.SolutionCount <= 2) return;
  const int n = std::min<int>(BudgetRows, ResultRows - 2);
  const int columns = std::min(Search.SolutionCount, StringGrid1->ColCount() - 2);
  std::vector<double> differences(static_cast<size_t>(columns));
  for (int i = 0; i < columns; ++i)
    differences[static_cast<size_t>(i)] = StrToNum(StringGrid1->Cells(i + 2, n + 1));
  const std::vector<int> order = SolutionSortOrder(differences);
  std::vector<std::vector<AnsiString>> texts(static_cast<size_t>(columns));
  for (int i = 0; i < columns; ++i)
    for (int r = 0; r <= n + 1; ++r) texts[static_cast<size_t>(i)].push_back(StringGrid1->Cells(i + 2, r));
  StringGrid1->BeginUpdate();
  for (int i = 0; i < columns; ++i)
    for (int r = 0; r <= n + 1; ++r)
      StringGrid1->SetCells(
          i + 2, r, texts[static_cast<size_t>(order[static_cast<size_t>(i)])][static_cast<size_t>(r)]);
  StringGrid1->EndUpdate();
}
