// The grid's text editor: filters, limit, commit and completion.

#include "grid/ExtInplaceEdit.h"

#include <algorithm>
#include <cstring>

#include "grid/GridUtil.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Windows.h"

namespace {

bool IsEditControlChar(char c) { return c == '\b' || c == '\t' || c == '\r' || c == '\x1b'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the text outside the selection holds one of Chars.
bool HasOutsideSelection(const AnsiString& Text, int SelStart, int SelLength, const char* Chars) {
  for (size_t i = 0; i < Text.size(); ++i) {
    const int at = static_cast<int>(i);
    if (at >= SelStart && at < SelStart + SelLength) continue;
    if (std::strchr(Chars, Text[i])) return true;
  }
  return false;
}

}  // namespace

bool NumericKeyAllowed(TEditorType Type, char Key, const AnsiString& Text, int SelStart, int SelLength,
                       bool& Beep) {
  Beep = false;
  if (IsEditControlChar(Key) || IsDigit(Key)) return true;
  const bool hasMinus = Text.find('-') != AnsiString::npos;
  switch (Type) {
    case edNumeric:
    case edNumericEditBtn:
      if (Key == '-' && !hasMinus && SelStart == 0) return true;
      Beep = true;
      return false;
    case edPositiveNumeric:
      Beep = true;
      return false;
    case edFloat:
    case edFloatEditBtn:
      if (Key == '.' || Key == ',') return !HasOutsideSelection(Text, SelStart, SelLength, ".,");
      if (Key == '-') {
        const bool selectionHoldsMinus =
            SelLength > 0 &&
            Text.substr(static_cast<size_t>(SelStart), static_cast<size_t>(SelLength)).find('-') !=
                AnsiString::npos;
        if ((SelStart == 0 && !hasMinus) || selectionHoldsMinus) return true;
        Beep = true;
      }
      return false;
    default:
      return true;
  }
}

TExtInplaceEdit::TExtInplaceEdit(TExtStringGrid* AGrid) : TInplaceEdit(AGrid), TEditorGridLink(AGrid) {}

void TExtInplaceEdit::SetWordWrap(bool v) {
  if (wordWrap_ == v) return;
  wordWrap_ = v;
  InvalidateLayout();
  Invalidate();
}

void TExtInplaceEdit::UpdateContents() {
  wordWrap_ = grid_->WordWrap();
  if (LengthLimit == 0) LengthLimit = static_cast<SmallInt>(grid_->MaxEditLength());
  SetPasswordChar(grid_->EditorType() == edPassword ? grid_->PasswordChar : 0);
  completion_ = true;
  TInplaceEdit::UpdateContents();
  // The editor takes the look the cell has.
  const int realCol = grid_->RealColIndex(grid_->Col());
  TBrush brush;
  brush.Color = grid_->Color();
  TFont font;
  font.Assign(grid_->Font());
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  TGridDrawState state{gdFocused};
  grid_->GetCellColors(realCol, grid_->Row(), state, false, false, false, brush, font, hAlign, vAlign);
  SetColor(brush.Color);
  SetFont(font);
  // A right-justified cell is typed into from the right.
  SetAlignment(hAlign == taRightJustify ? taRightJustify : taLeftJustify);
}

void TExtInplaceEdit::BoundsChanged() {
  TInplaceEdit::BoundsChanged();
  if (!GridAlive()) return;
  // A merged cell is edited over its whole area.
  const TRect r = grid_->MergedCellRect(grid_->Col(), grid_->Row());
  if (r.IsEmpty() || !Visible()) return;
  if (Left() != r.Left || Top() != r.Top || Width() != r.Width() - 1 || Height() != r.Height() - 1)
    SetBounds(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
  // The text stands where the cell shows it, at the cell's margins.
  TRect format = Rect(2, 2, std::max(2, Width() - 2), Height());
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
}

bool TExtInplaceEdit::CommitOrReject() {
  if (grid_->CommitCellEdit(Text())) return true;
  SetText(grid_->GetCurrentCellText());
  SetSelStart(static_cast<int>(Text().size()));
  Invalidate();
  return false;
}

// ---- characters ----

bool TExtInplaceEdit::FilterChar(char& Key) {
  TNavigation& nav = grid_->Navigation();
  const TEditorType type = grid_->EditorType();
  if (LengthLimit > 0 && static_cast<int>(Text().size()) >= LengthLimit && SelLength() == 0 && Key != '\b' &&
      Key != '\x1b' && !(Key == '\r' && nav.AdvanceOnEnter))
    return false;
  if (Key == '\r' && nav.LineFeedOnEnter &&
      (type == edNormal || type == edCapital || type == edMixedCase || type == edPassword ||
       type == edUnitEditBtn)) {
    UserReplace("\r\n");
    return false;
  }
  switch (type) {
    case edNormal:
    case edPassword:
    case edMixedCase:
      return true;
    case edNumeric:
    case edPositiveNumeric:
    case edFloat: {
      bool beep = false;
      if (NumericKeyAllowed(type, Key, Text(), SelStart(), SelLength(), beep)) return true;
      if (beep) MessageBeep(0);
      return false;
    }
    case edCapital:
    case edUpperCase:
      Key = AnsiUpperCase(AnsiString(1, Key))[0];
      return true;
    case edLowerCase:
      Key = AnsiLowerCase(AnsiString(1, Key))[0];
      return true;
    default:
      return false;
  }
}

void TExtInplaceEdit::KeyPress(char& Key) {
  TNavigation& nav = grid_->Navigation();
  if (Key == '\r' && !nav.LineFeedOnEnter && !CommitOrReject()) {
    Key = 0;
    return;
  }
  TInplaceEdit::KeyPress(Key);
  if (Key == 0) return;
  if (nav.AdvanceAuto && IsMasked() && Text().find(' ') == AnsiString::npos &&
      SelStart() == static_cast<int>(Text().size())) {
    char enter = '\r';
    grid_->KeyPress(enter);
  }
}

// ---- keys ----

void TExtInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
  TNavigation& nav = grid_->Navigation();
  completion_ = Key != VK_BACK && Key != VK_DELETE;
  const bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  switch (Key) {
    case VK_UP:
      if (MultiLine() && LineFromChar(SelStart()) > 0) {
        TCustomMaskEdit::KeyDown(Key, Shift);
        return;
      }
      break;
    case VK_DOWN:
      if (MultiLine() && LineFromChar(SelStart()) < LineFromChar(static_cast<int>(Text().size()))) {
        TCustomMaskEdit::KeyDown(Key, Shift);
        return;
      }
      break;
    case VK_RIGHT:
    case VK_LEFT: {
      const bool right = Key == VK_RIGHT;
      const bool atEdge = right ? SelStart() == static_cast<int>(Text().size()) : SelStart() == 0;
      if (nav.CursorWalkEditor && plain && SelLength() == 0 && atEdge) {
        const TAdvanceDirection saved = nav.AdvanceDirection;
        nav.AdvanceDirection = adLeftRight;
        try {
          grid_->AdvanceCell(grid_->Col(), grid_->Row(), right, true, true);
        } catch (...) {
          nav.AdvanceDirection = saved;
          throw;
        }
        nav.AdvanceDirection = saved;
        Key = 0;
        return;
      }
      break;
    }
    case VK_RETURN:
      if (Shift.Contains(ssCtrl) && grid_->SizeWhileTyping().Height && grid_->Multilinecells)
        GrowRowForNewLine();
      break;
    default:
      break;
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TExtInplaceEdit::GrowRowForNewLine() {
  // The line break is not in the text yet.
  const int lines = ::LineCount(Text() + "\r\n ", true);
  const int row = grid_->Row();
  if (lines < grid_->MaxLinesInRow(row))
    grid_->AutoSizeRow(row);
  else
    grid_->SetRowHeightByLines(row, lines, 2 * grid_->XYOffset.Y);
  grid_->RowSizeNotify(row);
}

void TExtInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
  TInplaceEdit::KeyUp(Key, Shift);
  if (Key != VK_LEFT && Key != VK_RIGHT) {
    Complete();
    // The cell holds what was typed so far: the cell grows to it, and a
    // column wider than its content stays as wide.
    if (grid_->SizeWhileTyping().Width) grid_->AutoSizeCol(grid_->Col(), true);
    if (grid_->SizeWhileTyping().Height && grid_->WordWrap()) {
      grid_->AutoSizeRow(grid_->Row());
      grid_->RowSizeNotify(grid_->Row());
    }
  }
  if (SelStart() > 0) grid_->CaretHook(Text(), PosFromChar(SelStart() - 1), SelStart());
}

void TExtInplaceEdit::Complete() {
  if (!completion_ || SelLength() > 0 || !grid_->Lookup || grid_->LookupItems().Count() == 0) return;
  const AnsiString typed = Text().substr(0, static_cast<size_t>(SelStart()));
  if (typed.empty()) return;
  const bool exact = grid_->LookupCaseSensitive;
  const AnsiString prefix = exact ? typed : AnsiUpperCase(typed);
  const TStrings& items = grid_->LookupItems();
  for (int i = 0; i < items.Count(); ++i) {
    const AnsiString item = exact ? items[i] : AnsiUpperCase(items[i]);
    if (item.compare(0, prefix.size(), prefix) != 0) continue;
    // The typed part stays as typed.
    AnsiString completed = typed + items[i].substr(typed.size());
    if (completed.size() > 255) completed.resize(255);
    SetText(completed);
    Perform(EM_SETSEL, typed.size(), static_cast<LPARAM>(completed.size()));
    return;
  }
}

// ---- focus ----

void TExtInplaceEdit::SetFocusCaret() {
  if (IsMasked() && !grid_->CaretPending() && grid_->Navigation().ImproveMaskSel) {
    SetSelStart(0);
    SetSelLength(1);
    return;
  }
  if (!grid_->Navigation().EditSelectAll) SetSelStart(static_cast<int>(Text().size()));
  if (grid_->CaretPending() && grid_->MouseActions().CaretPositioning) {
    const TPoint p = ScreenToClient(grid_->ClientToScreen(grid_->CaretPoint()));
    if (PtInRect(ClientRect(), p)) {
      const int at = CharFromPos(p);
      if (at >= 0) {
        SetSelStart(at);
        SetSelLength(0);
        grid_->SetCaretPending(false);
      }
    }
  }
}

void TExtInplaceEdit::KillFocus(HWND NewFocus) {
  grid_->editStartKey_ = 0;
  if (grid_->LookupHistory && !Text().empty() && grid_->LookupItems().IndexOf(Text()) < 0)
    grid_->LookupItems().Add(Text());
  if (!grid_->HandleAllocated() || NewFocus != grid_->Handle()) {
    grid_->CommitCellEdit(Text());
    grid_->editorActive_ = false;
    grid_->SelectCell(grid_->Col(), grid_->Row());
  }
  if (Text() != grid_->GetCurrentCellText()) SetText(grid_->GetCurrentCellText());
  grid_->CaretHook(Text(), Point(-1, -1), -1);
  grid_->DoEditingDone();
}

// ---- messages ----

void TExtInplaceEdit::Paste() {
  if (!EditClipboard().GetText) return;
  AnsiString s = EditClipboard().GetText();
  if (s.empty()) return;
  bool allow = true;
  const int realCol = grid_->RealColIndex(grid_->Col());
  if (grid_->OnClipboardBeforePasteCell)
    grid_->OnClipboardBeforePasteCell(grid_, realCol, grid_->Row(), s, allow);
  const int limit = LengthLimit;
  if (!allow || (limit > 0 && limit < static_cast<int>(s.size()))) return;
  const int start = SelStart(), length = SelLength();
  const AnsiString text = Text();
  AnsiString built =
      text.substr(0, static_cast<size_t>(start)) + s + text.substr(static_cast<size_t>(start + length));
  if (limit > 0 && static_cast<int>(built.size()) > limit) return;
  if (grid_->OnClipboardPaste) grid_->OnClipboardPaste(this, allow);
  if (!allow) return;
  switch (grid_->EditorType()) {
    case edNumeric:
    case edPositiveNumeric:
      if (ClassifyNumberText(built) != 0) return;
      break;
    case edFloat:
      if (ClassifyNumberText(built) >= 2) return;
      break;
    case edMixedCase:
      built = CapitalizeWords(built);
      break;
    case edLowerCase:
      built = AnsiLowerCase(built);
      break;
    case edUpperCase:
      built = AnsiUpperCase(built);
      break;
    default:
      break;
  }
  SetText(built);
  // Pasted over a selection the piece stays selected, else the caret
  // follows it.
  if (length > 0) {
    SetSelStart(start);
    SetSelLength(static_cast<int>(s.size()));
  } else {
    SetSelStart(start + static_cast<int>(s.size()));
  }
}

void TExtInplaceEdit::Dispatch(TMessage& m) {
  if (!GridAlive()) {
    TCustomMaskEdit::Dispatch(m);
    return;
  }
  TNavigation& nav = grid_->Navigation();
  switch (m.Msg) {
    case WM_SETFOCUS:
      TInplaceEdit::Dispatch(m);
      SetFocusCaret();
      return;
    case WM_KILLFOCUS:
      TInplaceEdit::Dispatch(m);
      KillFocus(reinterpret_cast<HWND>(m.WParam));
      return;
    case WM_KEYDOWN: {
      const Word key = MsgCharCode(m);
      const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
      switch (key) {
        case VK_ESCAPE:
          // The cell gets its text back and the editing ends whole: the
          // editor goes with its caret and the grid takes the keys again,
          // so that none reaches a cell no longer being edited.
          SetText(grid_->restoreText_);
          if (!grid_->Options().Contains(goAlwaysShowEditor)) {
            if (grid_->OnKeyDown) {
              Word k = VK_ESCAPE;
              TShiftState state;
              if (shift) state << ssShift;
              if (ctrl) state << ssCtrl;
              grid_->OnKeyDown(grid_, k, state);
            }
            grid_->HideCellEditor();
            if (grid_->CanFocus()) grid_->SetFocus();
            return;
          }
          break;
        case VK_TAB:
          if (!grid_->Options().Contains(goTabs)) break;
          if (!CommitOrReject()) return;
          grid_->HideCellEditor();
          grid_->TabAdvance(shift);
          return;
        case VK_UP:
        case VK_DOWN:
        case VK_RETURN:
          if (key == VK_RETURN && (ctrl || nav.LineFeedOnEnter)) {
            if (ctrl && nav.LineFeedOnEnter) {
              char enter = '\r';
              if (FilterChar(enter)) KeyPress(enter);
              return;
            }
            break;
          }
          if (ctrl || shift) break;
          if (!CommitOrReject()) return;
          if (Text() != grid_->GetCurrentCellText()) SetText(grid_->GetCurrentCellText());
          break;
        default:
          break;
      }
      break;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      char key = static_cast<char>(m.WParam & 0xFF);
      // Ctrl+Enter's line feed: with LineFeedOnEnter its key-down has put
      // the line break in already, and one press makes one break.
      if (key == '\n' && m.Msg == WM_CHAR && nav.LineFeedOnEnter) return;
      // The keypad's "." carries bit 22 in its key data.
      if (grid_->ExcelStyleDecimalSeparator && key == '.' && (m.LParam & (LPARAM{1} << 22)) != 0)
        key = DecimalSeparator;
      if (!FilterChar(key)) return;
      m.WParam = static_cast<unsigned char>(key);
      TInplaceEdit::Dispatch(m);
      if (grid_->EditorType() == edMixedCase && static_cast<unsigned char>(key) >= ' ') {
        // The whole text is re-cased once the character landed.
        const int caret = SelStart();
        const AnsiString recased = CapitalizeWords(Text());
        if (recased != Text()) {
          SetText(recased);
          SetSelStart(caret);
        }
      }
      return;
    }
    case WM_LBUTTONDBLCLK:
      TInplaceEdit::Dispatch(m);
      if (grid_->OnDblClickCell) grid_->OnDblClickCell(grid_, grid_->Row(), grid_->Col());
      return;
    case WM_COPY:
    case WM_CUT: {
      bool allow = true;
      const TClipboardEvent& event = m.Msg == WM_COPY ? grid_->OnClipboardCopy : grid_->OnClipboardCut;
      if (event) event(this, allow);
      if (allow) TInplaceEdit::Dispatch(m);
      return;
    }
    case WM_PASTE:
      Paste();
      return;
    default:
      break;
  }
  TInplaceEdit::Dispatch(m);
}
