#pragma once
// The calculation preview: a small rich-text editor holding a copy of the
// calculation's text report, in the report's font, followed by a closing
// line. The main window creates it on first need, refreshes it after each
// calculation and shows it on its preview command; the report form prints
// its editor's lines. The user edits and formats the text, saves it as
// text or RTF, opens other texts, searches, and prints it through the
// rich-text printer, directly or through the page preview.
//
// The window does not read the program's command line: its one argument
// is the project file the main window opens, which loaded into this editor
// would replace the report with a binary file's bytes (and Ctrl+S would
// then overwrite the project).

#include <functional>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Panels.h"
#include "printing/MoneyEdit.h"
#include "printing/RichPrint.h"

// A marker of the ruler: a small triangle pointing down (the first line's
// indent) or up (the left and right indents).
class TRulerMarker : public TGraphicControl {
 public:
  explicit TRulerMarker(TComponent* AOwner) : TGraphicControl(AOwner) {}
  bool PointsDown = false;

 protected:
  void Paint() override;
};

class Tprevform : public TForm {
 public:
  // Source is the report text copied at creation (lines and font);
  // ClosingLine is the maker's credit line that ends every copy.
  Tprevform(TComponent* AOwner, const TRichEdit& Source, const AnsiString& ClosingLine);
  ~Tprevform() override;

  TRichEdit* Prevmemo;
  // The name of the document shown in the caption.
  AnsiString FileName;
  bool Updating = false;
  int DragOfs = 0;
  bool Dragging = false;
  HWND NextViewer = nullptr;
  // The about box: the main window's, given by it.
  static std::function<void()> ShowAboutBox;

  // After a calculation: the editor's lines := Source's lines, its font :=
  // Source's font, then the closing line.
  void CopyReport(const TRichEdit& Source);
  const AnsiString& ClosingLine() const { return closingLine_; }

  // ---- controls ----
  TPanel* Ruler;
  TRulerMarker* FirstInd;
  TRulerMarker* LeftInd;
  TRulerMarker* RightInd;
  TBevel* RulerLine;
  TStatusBar* StatusBar;
  TToolBar* ToolBar1;
  TToolButton *ToolButton12, *OpenButton, *SaveButton, *ToolButton6, *ToolButton7, *ToolButton3, *PrintButton,
      *UndoButton, *CutButton, *CopyButton, *PasteButton, *ToolButton10, *ToolButton2, *BoldButton,
      *ItalicButton, *UnderlineButton, *LeftAlign, *CenterAlign, *RightAlign, *BulletsButton, *calcBtn;
  TToolBar* ToolBar2;
  TComboBox* FontName;
  TEdit* FontSize;
  TUpDown* UpDown1;
  TPanel* Panel1;
  TMoneyEdit* MoneyEdit1;
  TMemo* Memo1;
  TMainMenu* MainMenu1;
  TMenuItem *FileNewItem, *FileOpenItem, *FileSaveItem, *FileSaveAsItem, *N7, *N6, *FilePrintItem,
      *FileExitItem;
  TMenuItem *EditUndoItem, *EditCutItem, *EditCopyItem, *EditPasteItem, *EditFontItem, *HelpAboutItem;
  TPopupMenu* PopupMenu1;
  TMenuItem *popcut, *popcopy, *poppaste, *popselall;
  TOpenDialog* OpenDialog;
  TSaveDialog* SaveDialog;
  TPrintDialog* PrintDialog;
  TFontDialog* FontDialog1;
  TFindDialog* FindDialog1;
  TRichPrinter* RichPrinter1;

  // ---- handlers ----
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormPaint(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormDestroy(TObject* Sender);
  void FileNew(TObject* Sender);
  void FileOpen(TObject* Sender);
  void FileSave(TObject* Sender);
  void FileSaveAs(TObject* Sender);
  void FilePrint(TObject* Sender);
  void FileExit(TObject* Sender);
  void N6Click(TObject* Sender);  // preview
  void N7Click(TObject* Sender);  // page set-up
  void ToolButton7Click(TObject* Sender);
  void calcBtnClick(TObject* Sender);
  void ToolButton2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void ToolButton2MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void EditUndo(TObject* Sender);
  void EditCut(TObject* Sender);
  void EditCopy(TObject* Sender);
  void EditPaste(TObject* Sender);
  void popselallClick(TObject* Sender);
  void SelectFont(TObject* Sender);
  void BoldButtonClick(TObject* Sender);
  void ItalicButtonClick(TObject* Sender);
  void UnderlineButtonClick(TObject* Sender);
  void FontSizeChange(TObject* Sender);
  void FontNameChange(TObject* Sender);
  void AlignButtonClick(TObject* Sender);
  void BulletsButtonClick(TObject* Sender);
  void ToolButton10Click(TObject* Sender);
  void FindDialog1Find(TObject* Sender);
  void RichEditChange(TObject* Sender);
  void SelectionChange(TObject* Sender);
  void RulerItemMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RulerItemMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void FirstIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void LeftIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RightIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void RulerResize(TObject* Sender);
  void HelpAbout(TObject* Sender);
  void HelpContents(TObject* Sender);
  void HelpSearch(TObject* Sender);
  void HelpHowToUse(TObject* Sender);
  void pagesizeChange(TObject*) {}

  // The selection's attributes when something is selected, else the
  // control's default ones.
  TTextAttributes& CurrText();
  // Opens a file as the open command does after its dialog.
  void PerformFileOpen(const AnsiString& AFileName);
  void Dispatch(TMessage& Message) override;

 private:
  void BuildMenus();
  void BuildToolBars();
  void BuildRuler();
  void SetFileName(const AnsiString& name);
  // Asks to save a modified text: false when the user cancels.
  bool CheckFileSave();
  void WriteFile(const AnsiString& name);
  void SetModified(bool value);
  void UpdateCursorPos();
  void SetEditRect();
  void ClipboardChanged();
  void AddClosingLine();
  // The report text to copy at creation; not kept afterwards.
  const TRichEdit* source_;
  AnsiString closingLine_;
};
