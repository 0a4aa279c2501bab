// The search of a page's text and the dialog that asks for it.
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "report/RpPrev.h"

bool FindTextInPageBytes(const AnsiString& text, std::string_view emf, bool matchCase) {
  const AnsiString wanted = matchCase ? text : AnsiUpperCase(text);
  bool found = false;
  EnumEnhMetafile(emf, [&](std::uint32_t type, std::string_view record) {
    if (type != emr::EXTTEXTOUTA && type != emr::EXTTEXTOUTW) return true;
    AnsiString s;
    // The record's text in the code page, checked against the record's size.
    if (!TextOfRecord(record, s)) return true;
    if (!matchCase) s = AnsiUpperCase(s);
    found = s.find(wanted) != AnsiString::npos;
    return !found;
  });
  return found;
}

bool FindTextInPageMetafile(const AnsiString& text, const TMetafile& metafile, bool matchCase) {
  return FindTextInPageBytes(text, metafile.Data(), matchCase);
}

TSearchDlg::TSearchDlg(TComponent* owner) : TForm(owner) {
  SetCaption("Ανεύρεση κειμένου"_a);
  BorderStyle = bsDialog;
  Position = poScreenCenter;
  SetBounds(Left(), Top(), 305, 118);
  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetParent(this);
  Label1->SetCaption("Αναζήτηση Κειμένου"_a);
  Label1->SetBounds(8, 8, 200, 16);
  Edit1 = new TEdit(this);
  Edit1->SetName("Edit1");
  Edit1->SetParent(this);
  Edit1->SetBounds(8, 26, 281, 21);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetName("CheckBox1");
  CheckBox1->SetParent(this);
  CheckBox1->SetCaption("Ταίριασμα πεζών/κεφαλαίων χαρακτήρων"_a);
  CheckBox1->SetBounds(8, 52, 281, 17);
  SpeedButton1 = new TSpeedButton(this);
  SpeedButton1->SetName("SpeedButton1");
  SpeedButton1->SetParent(this);
  SpeedButton1->SetCaption("Cancel");
  SpeedButton1->SetBounds(112, 74, 85, 25);
  SpeedButton1->OnClick = [this](TObject*) {
    Cancelled = true;
    SetModalResult(mrCancel);
  };
  SpeedButton2 = new TSpeedButton(this);
  SpeedButton2->SetName("SpeedButton2");
  SpeedButton2->SetParent(this);
  SpeedButton2->SetCaption("Ανεύρεση"_a);
  SpeedButton2->SetBounds(204, 74, 85, 25);
  SpeedButton2->OnClick = [this](TObject*) {
    Cancelled = false;
    SetModalResult(mrOk);
  };
  // Enter searches and Esc cancels, as the buttons do.
  KeyPreview = true;
  OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) {
      key = 0;
      SpeedButton2->Click();
    } else if (key == VK_ESCAPE) {
      key = 0;
      SpeedButton1->Click();
    }
  };
  OnShow = [this](TObject*) { SetActiveControl(Edit1); };
}

bool ShowSearchDialog(AnsiString& text, bool& matchCase) {
  std::unique_ptr<TSearchDlg> dialog(NewForm<TSearchDlg>(nullptr));
  dialog->Edit1->SetText(text);
  dialog->CheckBox1->SetChecked(matchCase);
  dialog->ShowModal();
  if (dialog->Cancelled) return false;
  text = dialog->Edit1->Text();
  matchCase = dialog->CheckBox1->Checked();
  return true;
}
