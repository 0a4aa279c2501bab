// LIBS: grid_controls platform_backend
// The grid's editing driven by a script of bytes: keys, characters, pastes,
// clicks, drags, panning, wheel turns and clock ticks over a grid whose
// cells cycle through the editor types; the rest of the input is read as cell text for the
// UTF-16 cell rule and the wide list's text. No input may crash, hang,
// leak or let an exception out to the error box, and every cell must end
// holding a text the grid knew: the old one or one an editor stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>

#include "fuzz/DefaultFlags.h"
#include "grid/EsgUni.h"
#include "grid/ExtGridEditors.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"

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
// a run); each run puts a fresh grid on it.
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return fuzz::HeavyRuns(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 2048) return 0;
  THeadlessBackend& backend = FuzzBackend();
  TForm& form = FuzzForm();
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

  std::unique_ptr<TExtStringGrid> grid(new TExtStringGrid(&form));
  grid->SetBounds(5, 5, 200, 100);
  grid->SetParent(&form);
  grid->SetColCount(kCols);
  grid->SetRowCount(kRows);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  std::set<AnsiString> known = {""};
  for (int c = 0; c < kCols; ++c)
    for (int r = 0; r < kRows; ++r) {
      const AnsiString cell = IntToStr(c * 10 + r) + (r % 2 ? " kg" : "");
      grid->SetCellText(c, r, cell);
      known.insert(cell);
    }
  grid->SetCellText(1, 1, text);
  known.insert(text);
  int typeBase = data[0];
  grid->OnGetEditorType = [&typeBase](TObject*, int c, int r, TEditorType& e) {
    const int t = (typeBase + c + r) % 30;
    e = t == edRichEdit ? edNormal : static_cast<TEditorType>(t);
  };
  grid->OnSetEditText = [&known](TObject*, int, int, const AnsiString& v) { known.insert(v); };
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
        known.insert(piece);
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
      if (!known.count(cell) && !TryStrToFloat(cell, number) && !TryStrToDate(cell, date) &&
          !TryStrToTime(cell, date))
        std::abort();
    }
  grid.reset();
  Application->ProcessMessages();
  if (!backend.ErrorBoxes.empty()) std::abort();
  return 0;
}
