// One grid with what the grid offers beyond plain text, for trying by hand
// or under a virtual display: rich-text cells, Unicode cells in scripts the
// program's code page lacks, flat scroll bars, check boxes and radios in
// the themed look, and a column of each special editor. Typing into the
// text column widens it, Ctrl+Enter there starts a new line and heightens
// the row; Enter from a text cell into a check box ticks it; a click into
// the list column leaves the caret where it was made.
//   grid_demo [classic|flat|winxp|theme]   (the check-box look; theme by default)
#include <cstring>
#include <string>

#include "grid/ExtGrid.h"
#include "grid/ExtGridEditors.h"
#include "platform/backend/Backends.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tools/DemoMain.h"

namespace {

TCellControlStyle g_look = csTheme;

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption("Grid");
    SetBounds(20, 20, 980, 650);
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetBounds(10, 6, 900, 18);
    label->SetCaption(cp1253::FromUtf8(
        "Κείμενο, RTF, Unicode, επιλογές, πλήκτρα επεξεργασίας: Enter από το κείμενο σημειώνει το κουτί"));
    auto* g = new TExtStringGrid(this);
    g->SetParent(this);
    g->SetBounds(10, 28, 950, 580);
    g->SetColCount(10);
    g->SetRowCount(60);
    g->SetDefaultRowHeight(24);
    g->SetOptions(g->Options() + TGridOptions{goEditing});
    g->Navigation().AdvanceOnEnter = true;
    g->SizeWhileTyping().Width = true;
    g->SizeWhileTyping().Height = true;
    g->Multilinecells = true;
    g->MouseActions().CaretPositioning = true;
    g->ControlLook().SetControlStyle(g_look);
    // The pictured looks draw 15-pixel radios: the captions start after them.
    if (g_look != csClassic && g_look != csFlat) g->ControlLook().SetRadioSize(15);
    g->SetScrollType(ssFlat);
    g->SetScrollColor(0xF0D0B0);
    g->SetScrollWidth(14);
    const char* headers[] = {"",        "Κείμενο", "Επιλογή", "Ραδιόφωνο",  "RTF",
                             "Unicode", "Μονάδα",  "Αριθμός", "Ημερομηνία", "Λίστα"};
    for (int c = 0; c < 10; ++c) g->SetCells(c, 0, cp1253::FromUtf8(headers[c]));
    g->SetColWidths(3, 130);
    g->SetColWidths(4, 150);
    g->SetColWidths(5, 140);
    const char* rtf[] = {
        R"({\rtf1\ansi{\fonttbl{\f0 Tahoma;}}\f0\fs16 plain {\b bold} {\i italic}})",
        R"({\rtf1\ansi{\fonttbl{\f0 Tahoma;}}{\colortbl;\red200\green0\blue0;}\f0\fs16 {\cf1 red} and {\ul under}})",
    };
    const char16_t* unicode[] = {u"Ελληνικά", u"Русский текст", u"Zażółć gęślą jaźń", u"עברית",
                                 u"Σύνολο ∑ ≠ ∞"};
    TStringList choices;
    choices.Add("A");
    choices.Add("B");
    choices.Add("C");
    for (int r = 1; r < 60; ++r) {
      g->SetCells(0, r, std::to_string(r));
      g->SetCells(1, r, cp1253::FromUtf8("Γραμμή ") + std::to_string(r));
      g->AddCheckBox(2, r, r % 3 == 0, false);
      g->AddRadio(3, r, true, choices, r % 3);
      g->SetCells(4, r, rtf[r % 2]);
      g->SetUnicodeCell(5, r, unicode[r % 5]);
      g->SetCells(6, r, std::to_string(r) + ".5 kg");
      g->SetCells(7, r, std::to_string(r * 10));
      // In the locale's own date form, which the date editor reads.
      g->SetCells(8, r,
                  DateToStr(EncodeDate(2026, static_cast<Word>(1 + r % 12), static_cast<Word>(1 + r % 28))));
      g->SetCells(9, r, cp1253::FromUtf8(r % 2 ? "Αθήνα" : "Θεσσαλονίκη"));
    }
    g->SetColWidths(9, 110);
    for (const char* city : {"Αθήνα", "Θεσσαλονίκη", "Πάτρα", "Ηράκλειο"})
      g->Combo()->Items()->Add(cp1253::FromUtf8(city));
    // The themed look reaches the editors that draw a button or an arrow
    // too.
    if (g_look == csTheme || g_look == csWinXP) {
      g->UnitEditBtn()->SetIsWinXP(true);
      g->EditBtn()->SetIsWinXP(true);
      g->Spin()->SetIsWinXP(true);
      g->Combo()->SetIsWinXP(true);
    }
    g->UnitEditBtn()->Units().Add("kg");
    g->UnitEditBtn()->Units().Add("t");
    g->OnGetEditorType = [](TObject*, int col, int, TEditorType& editor) {
      switch (col) {
        case 5:
          editor = edUniEdit;
          break;
        case 6:
          editor = edUnitEditBtn;
          break;
        case 7:
          editor = edSpinEdit;
          break;
        case 8:
          editor = edDateEdit;
          break;
        case 9:
          editor = edComboEdit;
          break;
        default:
          editor = edNormal;
      }
    };
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const struct {
      const char* name;
      TCellControlStyle look;
    } looks[] = {{"classic", csClassic}, {"flat", csFlat}, {"winxp", csWinXP}, {"theme", csTheme}};
    for (const auto& l : looks)
      if (std::strcmp(argv[1], l.name) == 0) g_look = l.look;
  }
  return RunDemoForm<TDemoForm>();
}
