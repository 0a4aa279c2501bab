#pragma once
// The about box: the program's title and version date, the maker's contact
// lines with a web and a mail link, and the computer's physical memory.

#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Panels.h"
#include "platform/ui/StdCtrls.h"

class TFrmAbout : public TForm {
 public:
  explicit TFrmAbout(TComponent* AOwner);

  TPanel* Panel1;
  TLabel* Label1;  // address
  TLabel* Label3;  // telephone
  TLabel* Label2;  // web link
  TLabel* Label5;  // "email:"
  TLabel* Label6;  // mail link
  TImage* Image1;  // the header's picture
  TLabel* version_name;
  TLabel* version_date;
  TImage* Image2;  // the picture beside the version
  TLabel* Label7;
  TLabel* lblAvailMemory;
  TLabel* Label8;
  TLabel* lblFreeMemory;
  TButton* OKButton;

  void FormCreate(TObject* Sender);
  void FillAbout();
  void Label2Click(TObject* Sender);
  void Label6Click(TObject* Sender);
};

// The about box's pictures, drawn to any size.
void PaintAboutEmblem(TBitmap& picture);
void PaintAboutSheet(TBitmap& picture);

// Whole kilobytes with the locale's thousands separators and " KB".
AnsiString MemoryText(double kilobytes);
void ShowAbout();
