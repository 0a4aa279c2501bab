// The open and save dialogs: the window over the file browser.

#include <memory>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Backend.h"
#include "platform/ui/DialogForm.h"
#include "platform/ui/Dialogs.h"

namespace dialogs {

namespace {

class TFileForm : public TDialogForm {
 public:
  TFileForm(TOpenDialog& dialog, bool save, const AnsiString& folder, const AnsiString& name)
      : TDialogForm(&dialog, !dialog.Title.empty() ? dialog.Title
                             : save                ? "Αποθήκευση ως"_a
                                                   : "Ανοιγμα"_a),
        browser_(folder, dialog.Filter, dialog.FilterIndex, dialog.DefaultExt, dialog.Options, save) {
    SetClientSizeDU(264, 140);
    auto* nameLabel = Add<TLabel>("Όνομα &αρχείου:", 6, 6, 96, 9);
    NameEdit = Add<TEdit>(6, 16, 96, 12);
    NameEdit->SetName("FileNameEdit");
    NameEdit->SetText(name);
    // Typed characters the code page lacks are kept, so that such a name is
    // refused whole rather than taken with others in their place.
    NameEdit->SetWideMode(true);
    nameLabel->SetFocusControl(NameEdit);
    Files = Add<TListBox>(6, 31, 96, 78);
    Files->SetName("FileList");
    Files->OnClick = [this](TObject*) {
      if (Files->ItemIndex() >= 0) NameEdit->SetText(Files->Items()->Strings(Files->ItemIndex()));
    };
    Files->OnDblClick = [this](TObject*) {
      if (Files->ItemIndex() >= 0) TakeTyped(Files->Items()->Strings(Files->ItemIndex()));
    };

    auto* folderLabel = Add<TLabel>("&Φάκελοι:", 110, 6, 96, 9);
    FolderName = Add<TLabel>(110, 17, 96, 9);
    FolderName->SetName("FolderName");
    FolderName->SetShowAccelChar(false);
    FolderName->SetAutoSize(false);
    FolderName->SetBounds(DX(110), DY(17), DX(96), DY(9));
    Folders = Add<TListBox>(110, 31, 96, 78);
    Folders->SetName("FolderList");
    folderLabel->SetFocusControl(Folders);
    Folders->OnDblClick = [this](TObject*) { EnterSelectedFolder(); };

    auto* typeLabel = Add<TLabel>("Αρχεία &τύπου:", 6, 113, 96, 9);
    Filters = AddChooser(6, 123, 200);
    Filters->SetName("FilterList");
    typeLabel->SetFocusControl(Filters);
    for (const TFilterEntry& f : browser_.Filters()) Filters->Items()->Add(f.Description);
    Filters->SetItemIndex(browser_.FilterIndex() - 1);
    Filters->OnClick = [this](TObject*) {
      browser_.SetFilterIndex(Filters->ItemIndex() + 1);
      ShowLists();
    };

    TButton* ok = AddButton("OK", mrNone, 212, 16, 46, 14);
    ok->SetName("OkButton");
    ok->SetDefault(true);
    ok->OnClick = [this](TObject*) { OkPressed(); };
    TButton* cancel = CancelButton(212, 34, 46);
    if (!dialog.Options.Contains(ofHideReadOnly)) {
      ReadOnly = Add<TCheckBox>("Μόνο για &ανάγνωση", 212, 56, 50, 20);
      ReadOnly->SetName("ReadOnlyCheck");
      ReadOnly->SetChecked(dialog.Options.Contains(ofReadOnly));
    }
    ShowLists();
    SetActiveControl(NameEdit);
    NameEdit->SelectAll();
    if (dialog.Options.Contains(ofEnableSizing)) {
      // The lists take what the user adds, the buttons keep to the right
      // edge and the type chooser to the bottom; the first size is the least.
      BorderStyle = bsSizeable;
      leastSize_ = {Width(), Height()};
      Files->Anchors = {akLeft, akTop, akBottom};
      Folders->Anchors = {akLeft, akTop, akRight, akBottom};
      FolderName->Anchors = {akLeft, akTop, akRight};
      typeLabel->Anchors = {akLeft, akBottom};
      Filters->Anchors = {akLeft, akRight, akBottom};
      for (TControl* c : std::initializer_list<TControl*>{ok, cancel, ReadOnly})
        if (c) c->Anchors = {akRight, akTop};
    }
  }

  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_GETMINMAXINFO && leastSize_.cx > 0) {
      auto* limits = reinterpret_cast<MINMAXINFO*>(m.LParam);
      limits->ptMinTrackSizeX = leastSize_.cx;
      limits->ptMinTrackSizeY = leastSize_.cy;
      return;
    }
    TDialogForm::Dispatch(m);
  }

  TEdit* NameEdit;
  TListBox* Files;
  TListBox* Folders;
  TChooser* Filters;
  TLabel* FolderName;
  TCheckBox* ReadOnly = nullptr;
  AnsiString Chosen;
  int ChosenFilter() const { return browser_.FilterIndex(); }

 private:
  void ShowLists() {
    Files->Items()->Clear();
    for (const AnsiString& f : browser_.Files()) Files->Items()->Add(f);
    Folders->Items()->Clear();
    for (const AnsiString& f : browser_.Folders()) Folders->Items()->Add(f);
    FolderName->SetCaption(ExcludeTrailingPathDelimiter(browser_.Folder()));
    FolderName->SetHint(FolderName->Caption());
  }

  void EnterSelectedFolder() {
    const int i = Folders->ItemIndex();
    if (i < 0) return;
    if (browser_.Enter(Folders->Items()->Strings(i))) ShowLists();
  }

  void OkPressed() {
    if (ActiveControl() == Folders && Folders->ItemIndex() >= 0) {
      EnterSelectedFolder();
      return;
    }
    const WideString& typed = NameEdit->WideText();
    for (char16_t unit : typed)
      if (cp1253::FromUnicode(unit) < 0) {
        Backend().MessageBox(UnheldNameMessage(cp1253::WideToUtf8(typed)), Caption(), MB_OK | MB_ICONWARNING);
        return;
      }
    TakeTyped(NameEdit->Text());
  }

  void TakeTyped(const AnsiString& typed) {
    const TFileBrowser::TAccept answer = browser_.Accept(typed);
    switch (answer.Verdict) {
      case TFileBrowser::TVerdict::Listed:
        // A folder was entered (its name leaves the field) or a mask typed
        // (it stays, filtering the list).
        if (typed.find_first_of("*?") == AnsiString::npos) NameEdit->SetText({});
        ShowLists();
        return;
      case TFileBrowser::TVerdict::Refused:
        Backend().MessageBox(answer.Message, Caption(), MB_OK | MB_ICONWARNING);
        return;
      case TFileBrowser::TVerdict::Confirm:
        if (Backend().MessageBox(answer.Message, Caption(), MB_YESNO | MB_ICONWARNING) != IDYES) return;
        break;
      case TFileBrowser::TVerdict::Chosen:
        break;
    }
    Chosen = answer.FileName;
    SetModalResult(mrOk);
  }

  TFileBrowser browser_;
  TSize leastSize_{0, 0};
};

}  // namespace
}  // namespace dialogs

bool TOpenDialog::Execute() {
  // The folder of a given file name wins over InitialDir, as in the
  // system's dialogs.
  AnsiString folder = InitialDir, name = FileName;
  if (!ExtractFilePath(FileName).empty() && DirectoryExists(ExtractFileDir(ExpandFileName(FileName)))) {
    folder = ExtractFileDir(ExpandFileName(FileName));
    name = ExtractFileName(FileName);
  }
  auto* form = new dialogs::TFileForm(*this, IsSaveDialog(), folder, name);
  std::unique_ptr<dialogs::TFileForm> owned(form);
  form->AfterConstruction();
  if (OnShow) OnShow(this);
  const bool ok = form->ShowModal() == mrOk;
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FileName = form->Chosen;
  FilterIndex = form->ChosenFilter();
  if (form->ReadOnly) {
    if (form->ReadOnly->Checked())
      Options << ofReadOnly;
    else
      Options >> ofReadOnly;
  }
  if (!Options.Contains(ofNoChangeDir)) SetCurrentDir(ExtractFileDir(FileName));
  return true;
}
