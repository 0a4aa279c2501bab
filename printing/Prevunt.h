#pragma once
// The calculation preview: a window holding a copy of the calculation's
// text report in its editor, in the report's font, followed by a closing
// line. The main window creates it on first need, refreshes it after each
// calculation and shows it on its preview command; the report form prints
// its editor's lines.
//
// So far the window is its editor; the tool bars, menus, ruler, files,
// search and printing through the rich-text printer come later.
//
// The window does not read the program's command line: its one argument
// is the project file the main window opens, which loaded into this editor
// would replace the report with a binary file's bytes.

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

class Tprevform : public TForm {
 public:
  // Source is the report text copied at creation (lines and font);
  // ClosingLine is the maker's credit line that ends every copy.
  Tprevform(TComponent* AOwner, const TRichEdit& Source, const AnsiString& ClosingLine);

  TRichEdit* Prevmemo;
  // The name of the document shown in the caption.
  AnsiString FileName;

  // After a calculation: the editor's lines := Source's lines, its font :=
  // Source's font, then the closing line.
  void CopyReport(const TRichEdit& Source);
  const AnsiString& ClosingLine() const { return closingLine_; }

  void FormCreate(TObject* Sender);

 private:
  // An empty line and the credit line after the text.
  void AddClosingLine();
  // The report text to copy at creation; not kept afterwards.
  const TRichEdit* source_;
  AnsiString closingLine_;
};
