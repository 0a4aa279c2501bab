// LIBS: grid_controls platform_backend
// The grid's editing driven by a script of bytes: keys, characters, pastes,
// clicks, drags, panning, wheel turns and clock ticks over a grid whose
// cells cycle through the editor types; the rest of the input is read as cell text for the
// UTF-16 cell rule and the wide list's text. No input may crash, hang,
// leak or let an exception out to the error box, and every cell must end
// holding a text the grid knew: the old one or one an editor stored.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/DefaultFlags.h"
#include "grid/EsgUni.h"
#include "grid/ExtGridEditors.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"

namespace {

constexpr Word kKeys[] = {VK_RETURN, VK_TAB,     VK_ESCAPE, VK_UP, VK_DOWN, VK_LEFT,  VK_RIGHT, VK_PRIOR,
                          VK_NEXT,   VK_HOME,    VK_END,    VK_F2, VK_F4,   VK_SPACE, VK_BACK,  VK_DELETE,
                          VK_INSERT, VK_DECIMAL, 'A',       'C',   'V',     'X'};
constexpr int kCols = 5, kRows = 6;
// Scripts longer than this add little that shorter ones do not reach, and
// cost time every run would rather spend on more inputs.
constexpr size_t kMaxOps = 64;

THeadlessBackend& FuzzBackend() {
  static THeadlessBackend* backend = &InstallHeadlessBackend();
  return *backend;
}

// One form for every run (its window and first paint are the slow part of
// a run).
TForm& FuzzForm() {
  static TForm* form = [] {
    LoadGreekLocale();
    TForm* f = NewForm<TForm>(nullptr);
    f->SetBounds(0, 0, 220, 120);
    f->Show();
    return f;
  }();
  return *form;
}

// What of a grid the runs can change that a new grid has its own way:
// counts, sizes, view, selection, options, sorting, zoom, panning, editing
// and the store's extras. A used grid set back must read as a new one here.
void ReadShape(TExtStringGrid& grid, std::vector<long long>& shape) {
  const TGridRect sel = grid.Selection();
  shape = {grid.ColCount(),
           grid.RowCount(),
           grid.FixedCols(),
           grid.FixedRows(),
           grid.TopRow(),
           grid.LeftCol(),
           grid.Col(),
           grid.Row(),
           sel.Left,
           sel.Top,
           sel.Right,
           sel.Bottom,
           static_cast<long long>(grid.Options().Bits()),
           grid.GridState(),
           grid.EditorMode(),
           grid.EditorActive(),
           grid.Panning(),
           grid.UpdateCount(),
           grid.ZoomStep(),
           grid.HiddenRowCount(),
           grid.HiddenColCount(),
           grid.NodeCount(),
           grid.FilterActive(),
           static_cast<long long>(grid.MergeColumns().size()),
           static_cast<long long>(grid.SelectedCells.size()),
           grid.SortIndexes().Count(),
           grid.SortSettings().Column,
           grid.SortSettings().Direction,
           grid.SortSettings().Show,
           grid.SortSettings().Row(),
           grid.Navigation().AdvanceOnEnter,
           grid.Navigation().CursorWalkEditor,
           grid.Lookup,
           grid.MaxEditLength(),
           grid.MouseActions().RowSelect,
           grid.MouseActions().ColSelect,
           grid.MouseActions().AllSelect,
           grid.EnhRowColMove,
           grid.Cursor(),
           grid.Font().Size(),
           static_cast<long long>(grid.LookupText().size())};
  for (int c = 0; c < grid.ColCount(); ++c) shape.push_back(grid.ColWidths(c) * 2 + grid.ColSelect(c));
  for (int r = 0; r < grid.RowCount(); ++r) shape.push_back(grid.RowHeights(r) * 2 + grid.RowSelect(r));
  for (const int c : grid.ColumnOrder()) shape.push_back(c);
  for (int c = 0; c < grid.ColCount(); ++c)
    for (int r = 0; r < grid.RowCount(); ++r)
      shape.push_back(grid.HasCellProperties(c, r) || grid.GetCellGraphic(c, r) != nullptr);
}

// The grid the runs edit. Making one (its window and its nine editors) and
// painting it whole took half of a run, so one grid serves run after run,
// set back after each to what a new grid shows; where setting back falls
// short (a state a run reached that it does not undo) the grid is freed and
// the next run makes a new one. Setting back changes only what differs, so
// that a run's first paint draws only what its own cells change.
class EditingStage {
 public:
  TExtStringGrid& Ready() {
    if (!grid_) Make();
    return *grid_;
  }

  // After a run: the grid set back for the next, or freed when setting
  // back falls short or Free asks for it (a grid freed after what a run did
  // to it: its destruction is tested too).
  void Finish(bool free) {
    if (!free && SetBack()) return;
    delete grid_;
    grid_ = nullptr;
    Application->ProcessMessages();
  }

 private:
  void Make() {
    grid_ = new TExtStringGrid(&FuzzForm());
    grid_->SetBounds(5, 5, 200, 100);
    grid_->SetParent(&FuzzForm());
    grid_->SetColCount(kCols);
    grid_->SetRowCount(kRows);
    grid_->SetOptions(grid_->Options() + TGridOptions{goEditing});
    if (!shape_.empty()) return;
    TExtStringGrid& g = *grid_;
    options_ = g.Options();
    for (int c = 0; c < kCols; ++c) widths_.push_back(g.ColWidths(c));
    for (int r = 0; r < kRows; ++r) heights_.push_back(g.RowHeights(r));
    topLeft_ = {g.LeftCol(), g.TopRow()};
    cell_ = {g.Col(), g.Row()};
    sortColumn_ = g.SortSettings().Column;
    sortDirection_ = g.SortSettings().Direction;
    advanceOnEnter_ = g.Navigation().AdvanceOnEnter;
    cursorWalk_ = g.Navigation().CursorWalkEditor;
    actions_ = {g.MouseActions().RowSelect, g.MouseActions().ColSelect, g.MouseActions().AllSelect};
    lookup_ = g.Lookup;
    enhMove_ = g.EnhRowColMove;
    sortShow_ = g.SortSettings().Show;
    maxEditLength_ = g.MaxEditLength();
    ReadShape(g, shape_);
  }

  // Undoes what a script's steps can change; true when the grid then reads
  // as new.
  bool SetBack() {
    TExtStringGrid& g = *grid_;
    // A middle press ends panning, as it ends the user's.
    if (g.Panning()) g.Perform(WM_MBUTTONDOWN, 0, 0);
    // A click of the last run and one of the next are no double click.
    FuzzBackend().Advance(ui::input::DoubleClickTime() + 1);
    g.Navigation().AdvanceOnEnter = advanceOnEnter_;
    g.Navigation().CursorWalkEditor = cursorWalk_;
    g.Lookup = lookup_;
    if (g.MaxEditLength() != maxEditLength_) g.SetMaxEditLength(maxEditLength_);
    g.SortSettings().Show = sortShow_;
    g.SortSettings().Column = sortColumn_;
    g.SortSettings().Direction = sortDirection_;
    g.MouseActions().RowSelect = actions_[0];
    g.MouseActions().ColSelect = actions_[1];
    g.MouseActions().AllSelect = actions_[2];
    g.EnhRowColMove = enhMove_;
    if (!(g.Options() == options_)) g.SetOptions(options_);
    if (g.ColCount() != kCols) g.SetColCount(kCols);
    if (g.RowCount() != kRows) g.SetRowCount(kRows);
    for (int c = 0; c < kCols; ++c) {
      if (g.ColSelect(c)) g.SetColSelect(c, false);
      if (g.ColWidths(c) != widths_[static_cast<size_t>(c)])
        g.SetColWidths(c, widths_[static_cast<size_t>(c)]);
    }
    for (int r = 0; r < kRows; ++r) {
      if (g.RowSelect(r)) g.SetRowSelect(r, false);
      if (g.RowHeights(r) != heights_[static_cast<size_t>(r)])
        g.SetRowHeights(r, heights_[static_cast<size_t>(r)]);
    }
    g.SetLeftCol(topLeft_.X);
    g.SetTopRow(topLeft_.Y);
    g.SetCol(cell_.X);
    g.SetRow(cell_.Y);
    const TGridRect one{cell_.X, cell_.Y, cell_.X, cell_.Y};
    if (!(g.Selection() == one)) g.SetSelection(one);
    // Read into storage kept from run to run.
    ReadShape(g, read_);
    return read_ == shape_;
  }

  TExtStringGrid* grid_ = nullptr;
  // What a new grid has.
  std::vector<long long> shape_, read_;
  TGridOptions options_;
  std::vector<int> widths_, heights_;
  TPoint topLeft_, cell_;
  int sortColumn_ = 0;
  TSortDirection sortDirection_ = sdAscending;
  std::array<bool, 3> actions_{};
  bool advanceOnEnter_ = false, cursorWalk_ = false, lookup_ = false, enhMove_ = false, sortShow_ = false;
  int maxEditLength_ = 0;
};

EditingStage& Stage() {
  static EditingStage* stage = new EditingStage;
  return *stage;
}

// The texts every run starts its cells with, column by column.
const std::vector<AnsiString>& StartTexts() {
  static const std::vector<AnsiString>* texts = [] {
    auto* made = new std::vector<AnsiString>;
    for (int c = 0; c < kCols; ++c)
      for (int r = 0; r < kRows; ++r) made->push_back(IntToStr(c * 10 + r) + (r % 2 ? " kg" : ""));
    return made;
  }();
  return *texts;
}

// The texts a run's cells may end with: the empty one, those it started
// with, its own text and those pasted or stored by an editor. The ones
// learned during a run are kept in storage kept from run to run: a set
// made for each run cost a node for every text.
class KnownTexts {
 public:
  explicit KnownTexts(const AnsiString& text) : text_(text), sorted_(Sorted()) { Learned().clear(); }
  void Add(const AnsiString& value) {
    if (!Contains(value)) Learned().push_back(value);
  }
  bool Contains(const AnsiString& value) const {
    if (value.empty() || value == text_ || std::binary_search(sorted_.begin(), sorted_.end(), value))
      return true;
    const std::vector<AnsiString>& learned = Learned();
    return std::find(learned.begin(), learned.end(), value) != learned.end();
  }

 private:
  static const std::vector<AnsiString>& Sorted() {
    static const std::vector<AnsiString>* sorted = [] {
      auto* texts = new std::vector<AnsiString>(StartTexts());
      std::sort(texts->begin(), texts->end());
      return texts;
    }();
    return *sorted;
  }
  static std::vector<AnsiString>& Learned() {
    static auto* learned = new std::vector<AnsiString>;
    return *learned;
  }
  const AnsiString& text_;
  const std::vector<AnsiString>& sorted_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return fuzz::HeavyRuns(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 2048) return 0;
  THeadlessBackend& backend = FuzzBackend();
  ui::ResetClipboard();
  // The text part: after the first NUL.
  size_t script = 0;
  while (script < size && data[script] != 0) ++script;
  const AnsiString text(reinterpret_cast<const char*>(data) + std::min(size, script + 1),
                        size - std::min(size, script + 1));
  const WideString wide = WideFromCellText(text);
  if (WideFromCellText(CellTextFromWide(wide)) != wide) std::abort();
  TWideStrings list;
  list.SetText(cp1253::ToWide(text));
  if (list.Text().size() < list.Count() * 2u) std::abort();

  TExtStringGrid* grid = &Stage().Ready();
  KnownTexts known(text);
  const std::vector<AnsiString>& start = StartTexts();
  for (int c = 0; c < kCols; ++c)
    for (int r = 0; r < kRows; ++r) grid->SetCellText(c, r, start[static_cast<size_t>(c * kRows + r)]);
  grid->SetCellText(1, 1, text);
  int typeBase = data[0];
  grid->OnGetEditorType = [&typeBase](TObject*, int c, int r, TEditorType& e) {
    const int t = (typeBase + c + r) % 30;
    e = t == edRichEdit ? edNormal : static_cast<TEditorType>(t);
  };
  grid->OnSetEditText = [&known](TObject*, int, int, const AnsiString& v) { known.Add(v); };
  grid->SetFocus();
  Application->ProcessMessages();

  size_t ops = 0;
  for (size_t i = 1; i + 1 < script && ops < kMaxOps; i += 2, ++ops) {
    const std::uint8_t op = data[i], arg = data[i + 1];
    switch (op % 8) {
      case 0: {
        TShiftState shift;
        if (op & 0x10) shift << ssShift;
        if (op & 0x20) shift << ssCtrl;
        backend.PressKey(kKeys[arg % std::size(kKeys)], shift);
        break;
      }
      case 1:
        if (op & 0x40)
          backend.TypeWide(WideString(1, static_cast<char16_t>(op & 0x80 ? 0xD800 + arg : 0x4E00 + arg)));
        else
          backend.Type(AnsiString(1, static_cast<char>(arg)));
        break;
      case 2: {
        const size_t n = std::min<size_t>(arg % 12, script - (i + 2));
        const AnsiString piece(reinterpret_cast<const char*>(data) + i + 2, n);
        Clipboard()->SetAsText(piece);
        known.Add(piece);
        if (HWND focus = GetFocus()) SendMessage(focus, WM_PASTE, 0, 0);
        i += n;
        break;
      }
      case 3: {
        // Clicks anywhere in a cell (its edges size and sort headings),
        // double and right clicks, drags to another cell, and panning.
        const TRect r = grid->CellRect(arg % kCols, (arg / kCols) % kRows);
        if (r.IsEmpty()) break;
        const int x = r.Left + (op >> 3) % std::max(1, r.Width()), y = r.Top + 2;
        switch (op >> 6) {
          case 0:
            backend.Click(*grid, x, y, (op & 0x20) ? 1 : 0);
            break;
          case 1:
            backend.DoubleClick(*grid, x, y);
            break;
          case 2:
            backend.PressMouse(*grid, x, y);
            backend.MoveMouse(*grid, x + 40, y + 25);
            backend.Advance(70);
            backend.ReleaseMouse(*grid, x + 40, y + 25);
            break;
          default:
            backend.Click(*grid, x, y, 2);
            backend.MoveMouse(*grid, x + 3, y + 30);
            backend.Advance(50);
            break;
        }
        break;
      }
      case 4:
        typeBase = arg;
        break;
      case 5:
        backend.Advance(arg * 10u);
        break;
      case 6: {
        const TRect r = grid->CellRect(grid->Col(), grid->Row());
        if (!r.IsEmpty()) backend.Wheel(*grid, (arg % 5) - 2, r.Left + 3, r.Top + 3);
      } break;
      default:
        grid->Navigation().AdvanceOnEnter = arg & 1;
        grid->Navigation().CursorWalkEditor = arg & 2;
        grid->Lookup = arg & 4;
        grid->SetOptions(arg & 8 ? grid->Options() + TGridOptions{goTabs}
                                 : grid->Options() - TGridOptions{goTabs});
        grid->SetMaxEditLength(arg & 16 ? 4 : 0);
        grid->SortSettings().Show = arg & 32;
        grid->MouseActions().RowSelect = grid->MouseActions().ColSelect = grid->MouseActions().AllSelect =
            arg & 64;
        grid->EnhRowColMove = arg & 128;
        grid->SetOptions(arg & 128 ? grid->Options() + TGridOptions{goColMoving, goRowMoving, goRangeSelect}
                                   : grid->Options() - TGridOptions{goColMoving, goRowMoving});
        break;
    }
    Application->ProcessMessages();
  }
  grid->HideCellEditor();
  Application->ProcessMessages();
  if (!backend.ErrorBoxes.empty()) std::abort();
  backend.UnexpectedDialogs.clear();
  backend.MessageBoxes.clear();
  // The spin editors store numbers and dates of their own formatting.
  for (int c = 0; c < grid->ColCount(); ++c)
    for (int r = 0; r < grid->RowCount(); ++r) {
      const AnsiString cell = grid->GetCellText(c, r);
      Extended number = 0;
      TDateTime date = 0;
      if (!known.Contains(cell) && !TryStrToFloat(cell, number) && !TryStrToDate(cell, date) &&
          !TryStrToTime(cell, date))
        std::abort();
    }
  // The events hold this run's locals.
  grid->OnGetEditorType = nullptr;
  grid->OnSetEditText = nullptr;
  // An eighth of the inputs, chosen by their first byte, end by freeing
  // the grid.
  Stage().Finish((data[0] & 0xE0) == 0xE0);
  if (!backend.ErrorBoxes.empty()) std::abort();
  return 0;
}
