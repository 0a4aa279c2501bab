#include "printing/Prevunt.h"

#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"

Tprevform::Tprevform(TComponent* AOwner, const TRichEdit& Source, const AnsiString& ClosingLine)
    : TForm(AOwner), source_(&Source), closingLine_(ClosingLine) {
  SetBounds(Left(), Top(), 700, 520);
  Position = poDefaultPosOnly;

  Prevmemo = new TRichEdit(this);
  Prevmemo->SetParent(this);
  Prevmemo->SetAlign(alClient);
  TFont font;
  font.Name = "Courier New Greek";
  font.SetHeight(-13);
  Prevmemo->SetFont(font);
  Prevmemo->SetScrollBars(ssBoth);
  Prevmemo->SetWordWrap(false);
  Prevmemo->HideSelection = false;
  Prevmemo->SetMaxLength(1000000000);

  OnCreate = [this](TObject* s) { FormCreate(s); };
}

void Tprevform::FormCreate(TObject*) {
  FileName = "Προεπισκόπηση υπολογισμών"_a;
  SetCaption(Format("%s - %s", {ExtractFileName(FileName), Application->Title}));
  if (source_) {
    Prevmemo->Lines().Assign(source_->Lines());
    AddClosingLine();
    Prevmemo->SetFont(source_->Font());
    source_ = nullptr;
  }
  Prevmemo->Modified = false;
}

void Tprevform::AddClosingLine() { Prevmemo->Lines().Add("\r\n" + closingLine_); }

void Tprevform::CopyReport(const TRichEdit& Source) {
  TStrings& lines = Prevmemo->Lines();
  lines.BeginUpdate();
  try {
    lines.Clear();
    lines.Assign(Source.Lines());
    AddClosingLine();
  } catch (...) {
    lines.EndUpdate();
    throw;
  }
  lines.EndUpdate();
  Prevmemo->SetFont(Source.Font());
}
