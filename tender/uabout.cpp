#include "tender/uabout.h"

#include "platform/rtl/Cp1253.h"
#include "platform/ui/Application.h"
#include "platform/ui/Shell.h"
#include "tender/Uglo.h"
#include "tender/mainauction.h"
#include "tender/ukernel.h"

namespace {

const char* const WebAddress = "https://www.example.org/tender";
const char* const MailLink = "mailto:support@example.org?subject=Tender%20program";

TLabel* AddLabel(TFrmAbout* owner, TWinControl* parent, const char* name, int left, int top,
                 const AnsiString& text) {
  auto* label = new TLabel(owner);
  label->SetName(name);
  label->SetBounds(left, top, 200, 16);
  label->SetCaption(text);
  label->SetParent(parent);
  return label;
}

}  // namespace

AnsiString MemoryText(double kilobytes) { return FormatFloat("0,", kilobytes) + " KB"; }

TFrmAbout::TFrmAbout(TComponent* AOwner) : TForm(AOwner) {
  SetName("FrmAbout");
  SetCaption("Εφαρμογή  Tolvicor"_a);
  BorderStyle = bsDialog;
  SetClientWidth(400);
  SetClientHeight(310);
  Position = poScreenCenter;
  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetBounds(0, 0, 400, 110);
  Panel1->SetCaption("");
  Panel1->SetParent(this);
  Label1 = AddLabel(this, Panel1, "Label1", 12, 10, "Τμήμα εφαρμογών δημοπρασιών"_a);
  Label3 = AddLabel(this, Panel1, "Label3", 12, 30, "Υποστήριξη μέσω ηλεκτρονικού ταχυδρομείου"_a);
  Label2 = AddLabel(this, Panel1, "Label2", 12, 50, WebAddress);
  Label5 = AddLabel(this, Panel1, "Label5", 12, 70, "email:");
  Label6 = AddLabel(this, Panel1, "Label6", 60, 70, "support@example.org");
  Label2->SetCursor(crHandPoint);
  Label6->SetCursor(crHandPoint);
  version_name = AddLabel(this, this, "version_name", 12, 124, "");
  version_date = AddLabel(this, this, "version_date", 12, 146, "");
  Label7 = AddLabel(this, this, "Label7", 12, 190, "Φυσική μνήμη διαθέσιμη στο σύστημα:"_a);
  lblAvailMemory = AddLabel(this, this, "lblAvailMemory", 250, 190, "");
  Label8 = AddLabel(this, this, "Label8", 12, 214, "Φυσική μνήμη ελεύθερη στο σύστημα:"_a);
  lblFreeMemory = AddLabel(this, this, "lblFreeMemory", 250, 214, "");
  lblAvailMemory->SetAlignment(taRightJustify);
  lblFreeMemory->SetAlignment(taRightJustify);
  lblAvailMemory->SetWidth(130);
  lblFreeMemory->SetWidth(130);
  OKButton = new TButton(this);
  OKButton->SetName("OKButton");
  OKButton->SetBounds(162, 268, 75, 25);
  OKButton->SetCaption("OK");
  OKButton->ModalResult = mrOk;
  OKButton->SetParent(this);
  Label2->OnClick = [this](TObject* s) { Label2Click(s); };
  Label6->OnClick = [this](TObject* s) { Label6Click(s); };
  FormCreate(this);
}

void TFrmAbout::FormCreate(TObject*) { FillAbout(); }

void TFrmAbout::FillAbout() {
  if (MainForm) {
    version_name->SetCaption(MainForm->Title);
    version_date->SetCaption(MainForm->VersionDate);
  }
  TSystemInfo info;
  lblAvailMemory->SetCaption(MemoryText(info.TotalPhysMemoryKB()));
  lblFreeMemory->SetCaption(MemoryText(info.AvailPhysMemoryKB()));
}

void TFrmAbout::Label2Click(TObject*) { ShellExecute(0, "open", WebAddress, "", "", SW_SHOWNORMAL); }

void TFrmAbout::Label6Click(TObject*) { ShellExecute(0, "open", MailLink, "", "", SW_SHOWNORMAL); }

void ShowAbout() {
  TFrmAbout about(Application);
  about.ShowModal();
}
