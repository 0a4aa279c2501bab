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

// A picture of Width x Height drawn by Painter into a new image on Parent.
TImage* AddPicture(TFrmAbout* owner, TWinControl* parent, const char* name, int left, int top, int width,
                   int height, void (*painter)(TBitmap&)) {
  auto* image = new TImage(owner);
  image->SetName(name);
  image->SetBounds(left, top, width, height);
  TBitmap* picture = image->Picture().Bitmap();
  picture->SetSize(width, height);
  painter(*picture);
  image->PictureChanged();
  image->SetParent(parent);
  return image;
}

}  // namespace

// The authority the program serves: a public building with a pediment and
// four columns on a stepped base, navy on the header's pale blue.
void PaintAboutEmblem(TBitmap& picture) {
  TCanvas& c = *picture.Canvas();
  const int w = picture.Width(), h = picture.Height();
  c.Brush->Color = TColor(0xF4E8DC);
  c.FillRect(TRect{0, 0, w, h});
  const TColor navy = TColor(0x794E1F);
  c.Pen->Color = navy;
  c.Brush->Color = navy;
  const int left = w / 8, right = w - w / 8;
  c.Polygon({{left - 2, h * 32 / 100}, {w / 2, h * 10 / 100}, {right + 2, h * 32 / 100}});
  c.Rectangle(left, h * 34 / 100, right, h * 40 / 100);
  const int columnWidth = (right - left) / 9;
  for (int i = 0; i < 4; ++i) {
    const int x = left + columnWidth * (1 + 2 * i);
    c.Rectangle(x, h * 42 / 100, x + columnWidth, h * 76 / 100);
  }
  c.Rectangle(left, h * 78 / 100, right, h * 84 / 100);
  c.Rectangle(left - w / 16, h * 86 / 100, right + w / 16, h * 92 / 100);
}

// The program's sign: a sheet with a ranked list of offers and a percent
// sign, the first offer marked in green.
void PaintAboutSheet(TBitmap& picture) {
  TCanvas& c = *picture.Canvas();
  const int w = picture.Width(), h = picture.Height();
  c.Brush->Color = clBtnFace;
  c.FillRect(TRect{0, 0, w, h});
  c.Pen->Color = TColor(0x606060);
  c.Brush->Color = clWhite;
  const TRect sheet{w / 8, h / 16, w - w / 8, h - h / 16};
  c.Polygon({{sheet.Left, sheet.Top},
             {sheet.Right - w / 5, sheet.Top},
             {sheet.Right, sheet.Top + w / 5},
             {sheet.Right, sheet.Bottom},
             {sheet.Left, sheet.Bottom}});
  const int lineLeft = sheet.Left + w / 10, step = h / 9;
  for (int i = 0; i < 4; ++i) {
    const int y = sheet.Top + h / 4 + i * step;
    c.Brush->Color = i == 0 ? TColor(0x2E8B2E) : TColor(0xA0A0A0);
    c.Pen->Color = c.Brush->Color;
    c.Rectangle(lineLeft, y, lineLeft + (w / 2) * (5 - i) / 5, y + step / 2);
  }
  TFont font;
  font.Name = "Arial";
  font.Style = fsBold;
  font.Color = TColor(0x794E1F);
  font.SetHeight(-h / 3);
  c.Font->Assign(font);
  c.Brush->Style = bsClear;
  c.TextOut(sheet.Right - c.TextWidth("%") - w / 12, sheet.Bottom - c.TextHeight("%") - h / 20, "%");
}

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
  Image1 = AddPicture(this, Panel1, "Image1", 12, 10, 90, 90, &PaintAboutEmblem);
  Label1 = AddLabel(this, Panel1, "Label1", 114, 10, "Τμήμα εφαρμογών δημοπρασιών"_a);
  Label3 = AddLabel(this, Panel1, "Label3", 114, 30, "Υποστήριξη μέσω ηλεκτρονικού ταχυδρομείου"_a);
  Label2 = AddLabel(this, Panel1, "Label2", 114, 50, WebAddress);
  Label5 = AddLabel(this, Panel1, "Label5", 114, 70, "email:");
  Label6 = AddLabel(this, Panel1, "Label6", 162, 70, "support@example.org");
  Label2->SetCursor(crHandPoint);
  Label6->SetCursor(crHandPoint);
  version_name = AddLabel(this, this, "version_name", 12, 124, "");
  version_date = AddLabel(this, this, "version_date", 12, 146, "");
  Image2 = AddPicture(this, this, "Image2", 316, 118, 64, 64, &PaintAboutSheet);
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
  // Escape closes the box as it closes every other dialog.
  OKButton->Cancel = true;
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
