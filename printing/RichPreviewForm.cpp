// The page preview window: its geometry, the pages arriving from the
// printer, first activation, drawing, closing and the facing window.

#include <algorithm>
#include <cmath>

#include "platform/gfx/Bitmap.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/System.h"
#include "platform/ui/Application.h"
#include "printing/RichPreview.h"

bool PreviewActive = false;
double PreviewRatio = 0;

namespace {

// The preview's panel controls stand on one row.
template <typename C>
C* Put(TForm* owner, TWinControl* parent, int x, int y, int w, int h) {
  auto* c = new C(owner);
  c->SetBounds(x, y, w, h);
  c->SetParent(parent);
  return c;
}

TSpeedButton* Button(TForm* owner, TWinControl* parent, int x, const char* caption, const char* hint) {
  auto* b = Put<TSpeedButton>(owner, parent, x, 0, 22, 24);
  b->SetCaption(cp1253::FromUtf8(caption));
  b->SetHint(cp1253::FromUtf8(hint));
  b->SetShowHint(true);
  return b;
}

// The panel's two rows: printing, zoom and closing above, the pages below.
constexpr int kPanelRow = 28;
constexpr int kPanelHeight = 2 * kPanelRow + 4;

// How the preview shows its window and image: the window's height over
// the screen's, and what is left for the page under the panel.
constexpr double kHeightShare = 0.95;
constexpr int kCaptionHeight = 27;

}  // namespace

TRichPreviewForm::TRichPreviewForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Προεπισκόπιση εκτύπωσης (Formatting)"_a);
  KeyPreview = true;
  ScrollBox1 = Put<TScrollBox>(this, this, 18, 16, 400, 500);
  Image1 = Put<TImage>(this, ScrollBox1, 0, 0, 400, 500);
  Panel1 = Put<TPanel>(this, this, 18, 520, 420, 32);
  SpeedButton1 = Button(this, Panel1, 0, "Π", "Εκτύυπωση επιλογής από το κείμενο  (Πλήκτρο Π)");
  SpeedButton2 = Button(this, Panel1, 0, "+", "Μεγέθυνση (πλήκτρο Μ)");
  SpeedButton3 = Button(this, Panel1, 0, "-", "Σμίκρυνση  (πλήκτρο Σ)");
  Label8 = Put<TLabel>(this, Panel1, 0, 0, 30, 14);
  Label8->SetCaption("Βήμα"_a);
  MaskEdit1 = Put<TMaskEdit>(this, Panel1, 0, 0, 40, 20);
  MaskEdit1->SetEditMask("9.999;1;_");
  Label6 = Put<TLabel>(this, Panel1, 0, 0, 8, 14);
  Label6->SetCaption("x");
  Label7 = Put<TLabel>(this, Panel1, 0, 0, 34, 14);
  Label7->SetAutoSize(false);  // its place is kept for "10.000"
  Label7->SetWidth(36);
  ArrowButton1n = Button(this, Panel1, 0, "|<", "Αρχή κειμένου (Ctrl-Home)");
  ArrowButton1 = Button(this, Panel1, 0, "<", "");
  Label4 = Put<TLabel>(this, Panel1, 0, 0, 44, 14);
  Label4->SetCaption("Σελίδα.."_a);
  Edit1 = Put<TEdit>(this, Panel1, 0, 0, 40, 20);
  SpinEdit1 = Put<TSpinEdit>(this, Panel1, 0, 0, 38, 20);
  Label10 = Put<TLabel>(this, Panel1, 0, 0, 40, 14);
  Label10->SetAutoSize(false);  // and this one's for "(9999)"
  Label10->SetWidth(40);
  ArrowButton2 = Button(this, Panel1, 0, ">", "");
  ArrowButton2n = Button(this, Panel1, 0, ">|", "Τέλος κειμένου (Ctrl-End)");
  CheckBox1 = Put<TCheckBox>(this, Panel1, 0, 0, 78, 16);
  CheckBox1->SetCaption("Συμπαγής"_a);
  CheckBox1->SetHint("4 σελίδες μαζί"_a);
  CheckBox1->SetShowHint(true);
  BitBtn1 = Put<TBitBtn>(this, Panel1, 0, 0, 64, 24);
  BitBtn1->SetCaption("Κλείσιμο"_a);
  BitBtn1->SetHint("Κλείσιμο και επιστροφή (Πλήκτρο Ε)"_a);
  BitBtn1->SetShowHint(true);
  ArrangePanel();
  Label5 = Put<TLabel>(this, this, 2, 2, 40, 12);
  PrintDialog1 = new TPrintDialog(this);
  PrintDialog1->Options = {poPageNums};

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnPaint = [this](TObject* s) { FormPaint(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  OnKeyPress = [this](TObject* s, char& k) { FormKeyPress(s, k); };
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
  SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  MaskEdit1->OnChange = [this](TObject* s) { MaskEdit1Change(s); };
  Label7->OnDblClick = [this](TObject* s) { Label7DblClick(s); };
  CheckBox1->OnClick = [this](TObject* s) { CheckBox1Click(s); };
  ArrowButton1->OnClick = [this](TObject* s) { ArrowButton1Click(s); };
  ArrowButton2->OnClick = [this](TObject* s) { ArrowButton2Click(s); };
  ArrowButton1n->OnClick = [this](TObject* s) { ArrowButton1nClick(s); };
  ArrowButton2n->OnClick = [this](TObject* s) { ArrowButton2nClick(s); };
  Edit1->OnKeyUp = [this](TObject* s, Word& k, TShiftState sh) { Edit1KeyUp(s, k, sh); };
  SpinEdit1->OnChange = [this](TObject* s) { SpinEdit1Change(s); };
  Image1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
}

void TRichPreviewForm::ArrangePanel() {
  // Left to right, each row centred on its height; the zoom controls take
  // their place only while shown, so the narrowest window the geometry
  // allows still holds every other control.
  const bool zoom = MaskEdit1->Visible();
  const auto row = [&](std::initializer_list<TControl*> controls, int top) {
    int x = 2;
    for (TControl* c : controls) {
      if (!zoom && (c == Label8 || c == MaskEdit1 || c == Label6 || c == Label7)) continue;
      c->SetBounds(x, top + (kPanelRow - c->Height()) / 2, c->Width(), c->Height());
      x += c->Width() + (dynamic_cast<TSpeedButton*>(c) ? 1 : 4);
    }
  };
  row({SpeedButton1, SpeedButton2, SpeedButton3, Label8, MaskEdit1, Label6, Label7, CheckBox1, BitBtn1}, 2);
  row({ArrowButton1n, ArrowButton1, Label4, Edit1, SpinEdit1, Label10, ArrowButton2, ArrowButton2n},
      2 + kPanelRow);
}

TRichPreviewForm::~TRichPreviewForm() {
  // Whatever way the window goes, its page files go with it.
  if (pages_) pages_->DeleteAll();
  PreviewActive = false;
}

void TRichPreviewForm::FormCreate(TObject*) {
  nav_ = TPreviewNavigation{};
  PreviewActive = true;
  shownOnce_ = false;
  facing_ = nullptr;
  Label10->SetVisible(false);
  {
    TRegistryIniFile ini(kRichPrnKey);
    pages_ = std::make_unique<TPreviewPageFiles>(ini.ReadBool("Compress", "CompressPreview", true));
  }
  const int sw = Screen->Width(), sh = Screen->Height();
  int height = static_cast<int>(Round(kHeightShare * sh));
  int clientHeight = height - kCaptionHeight;
  const long double usable = clientHeight * 0.98L - 87;
  long double imageHeight = PreviewRatio != 0 ? usable / PreviewRatio : usable * 0.707L;
  if (imageHeight * 1.0204L > sw) {
    // Too wide for the screen: everything shrinks to its width.
    const long double scale = sw / (imageHeight * 1.0204L);
    height = static_cast<int>(Round(height * scale));
    clientHeight = height - kCaptionHeight;
    imageHeight = 0.98L * sw;
  }
  int width = static_cast<int>(Round(imageHeight * 1.0204L));
  int clientWidth = width - 8;
  const bool narrow = clientWidth * 0.02L + 417 > clientWidth;
  if (narrow) {
    width = std::max(width, static_cast<int>(Round((clientWidth * 0.02L + 310) * 1.0204L)));
    clientWidth = width - 8;
  }
  for (TControl* c : {static_cast<TControl*>(Label8), static_cast<TControl*>(Label7),
                      static_cast<TControl*>(Label6), static_cast<TControl*>(MaskEdit1)})
    c->SetVisible(!narrow);
  Position = poDesigned;
  SetBounds(std::max(0, (sw - width) / 2), 0, width, height);
  SetClientWidth(clientWidth);
  SetClientHeight(clientHeight);
  const int boxLeft = static_cast<int>(Round(clientWidth * 0.01L + 18));
  const int boxTop = static_cast<int>(Round(clientHeight * 0.01L + 16));
  const int boxWidth = static_cast<int>(Round(clientWidth * 0.98L - 18));
  const int boxHeight = static_cast<int>(Round(clientHeight * 0.98L - 87));
  ScrollBox1->SetBounds(boxLeft, boxTop, boxWidth, boxHeight);
  Image1->SetBounds(0, 0, boxWidth, boxHeight);
  Panel1->SetBounds(boxLeft, boxTop + boxHeight + 6, boxWidth + 22, kPanelHeight);
  ArrangePanel();
  Image1->Picture().Bitmap()->SetSize(boxWidth, boxHeight);
  zoom_ = TPreviewZoom{};
  MaskEdit1->SetText(TPreviewZoom::Text(zoom_.Step));
  Label7->SetCaption(TPreviewZoom::Text(zoom_.Zoom));
  SpeedButton3->SetEnabled(false);
}

void TRichPreviewForm::SavePreviewPage(const TMetafile& page) {
  if (!pages_) return;
  if (!pages_->SavePage(nav_.Current, page))
    MessageDlg("Can not save the page information (MetaFiles)", mtError, {mbOK}, 0);
  pagesWritten_ = std::max(pagesWritten_, nav_.Current + 1);
  nav_.LastPage = nav_.Current;
  ++nav_.Current;
  // Shown at once while the first pages come, as on the paper.
  if (nav_.LastPage < nav_.PagesPerView()) {
    const int current = nav_.Current;
    nav_.Current = 0;
    ShowPages();
    nav_.Current = current;
  }
}

void TRichPreviewForm::PagesDone() {
  rendering_ = false;
  if (Visible()) FormActivate(this);
}

void TRichPreviewForm::FormActivate(TObject*) {
  if (shownOnce_ || rendering_) return;
  shownOnce_ = true;
  Label10->SetVisible(true);
  nav_.Current = 0;
  if (nav_.LastPage > 0 && !facing_) {
    const int sw = Screen->Width();
    if (sw < 2 * Width()) {
      SetBounds(std::max(0, (sw - Width()) / 2), Top(), Width(), Height());
    } else {
      SetBounds(std::max(0, (sw - 2 * Width()) / 2), Top(), Width(), Height());
      facing_ = new TPreview2(this, *this);
      facing_->Show();
      nav_.Facing = true;
    }
  }
  Edit1->SetReadOnly(nav_.LastPage == 0);
  CheckBox1->SetVisible(nav_.LastPage > 0);
  Navigated();
  if (nav_.LastPage < 2 && facing_) {
    for (TControl* c : {static_cast<TControl*>(ArrowButton1), static_cast<TControl*>(ArrowButton2),
                        static_cast<TControl*>(ArrowButton1n), static_cast<TControl*>(ArrowButton2n)})
      c->SetEnabled(false);
  }
  SetCaption("Προεπισκόπιση εκτύπωσης"_a);
  // The page has the keys first: the arrows scroll it, the edits take
  // theirs once chosen.
  if (ScrollBox1->CanFocus()) ScrollBox1->SetFocus();
  Invalidate();
}

void TRichPreviewForm::FormPaint(TObject*) { DrawRulers(Canvas(), ScrollBox1->BoundsRect()); }

void TRichPreviewForm::DrawRulers(TCanvas& c, const TRect& box) const {
  c.Font->Name = "Arial";
  c.Font->SetSize(7);
  c.Font->Color = clGray;
  c.Pen->Color = clGray;
  c.Brush->Style = bsClear;
  const bool mm = MeasureUnit == puMillimeters;
  const double major = mm ? 10 : 1;
  const double width = std::max(1.0, PhysWidth), height = std::max(1.0, PhysHeight);
  const long double sx = (box.Right - box.Left) * static_cast<long double>(zoom_.Zoom) / width;
  const long double sy = (box.Bottom - box.Top) * static_cast<long double>(zoom_.Zoom) / height;
  int k = 0;
  for (double v = 0; v <= width; v += major, ++k) {
    const int x = box.Left + static_cast<int>(std::lround(v * sx));
    if (x > box.Right) break;
    c.MoveTo(x, box.Top - 5);
    c.LineTo(x, box.Top - 1);
    if (!mm || k % 2 == 0) c.TextOut(x + 1, box.Top - 15, IntToStr(static_cast<int>(v)));
  }
  k = 0;
  for (double v = 0; v <= height; v += major, ++k) {
    const int y = box.Top + static_cast<int>(std::lround(v * sy));
    if (y > box.Bottom) break;
    c.MoveTo(box.Left - 5, y);
    c.LineTo(box.Left - 1, y);
    if (!mm || k % 2 == 0) c.TextOut(box.Left - 17, y + 1, IntToStr(static_cast<int>(v)));
  }
  Label5->SetCaption(mm ? AnsiString("mm") : "ίντσες"_a);
}

void TRichPreviewForm::DrawPage(TCanvas& canvas, int n, const TRect& r) const {
  if (n < 0 || n >= pagesWritten_ || !pages_) return;
  TMetafile page;
  if (pages_->LoadPage(n, page)) canvas.StretchDraw(r, &page);
}

void TRichPreviewForm::DrawView(TImage& image, int first) const {
  TBitmap* bitmap = image.Picture().Bitmap();
  const int w = image.Width(), h = image.Height();
  if (bitmap->Width() != w || bitmap->Height() != h) bitmap->SetSize(w, h);
  TCanvas& c = *bitmap->Canvas();
  c.Brush->Style = bsSolid;
  c.Brush->Color = clWhite;
  c.FillRect(Rect(0, 0, w, h));
  if (nav_.FourUp) {
    const int hw = w / 2, hh = h / 2;
    DrawPage(c, first, Rect(0, 0, hw, hh));
    DrawPage(c, first + 1, Rect(hw, 0, w, hh));
    DrawPage(c, first + 2, Rect(0, hh, hw, h));
    DrawPage(c, first + 3, Rect(hw, hh, w, h));
    c.Pen->Color = clGray;
    c.MoveTo(hw, 0);
    c.LineTo(hw, h);
    c.MoveTo(0, hh);
    c.LineTo(w, hh);
  } else {
    DrawPage(c, first, Rect(0, 0, w, h));
  }
  image.PictureChanged();
}

void TRichPreviewForm::ShowPages() {
  DrawView(*Image1, nav_.Current);
  if (facing_) DrawView(*facing_->Image1, nav_.Current + (nav_.FourUp ? 4 : 1));
}

void TRichPreviewForm::FormClose(TObject*, TCloseAction& Action) {
  Screen->SetCursor(crHourGlass);
  Image1->Picture().SetGraphic(nullptr);
  if (pages_) pages_->DeleteAll();
  Action = caFree;
  if (facing_) {
    TPreview2* facing = facing_;
    facing_ = nullptr;
    facing->Release();
  }
  Screen->SetCursor(crDefault);
  PreviewActive = false;
}

void TRichPreviewForm::BitBtn1Click(TObject*) { Close(); }

// ---- the facing window ----

TPreview2::TPreview2(TComponent* AOwner, TRichPreviewForm& main) : TForm(AOwner), main_(main) {
  SetCaption("Προεπισκόπιση εκτύπωσης"_a);
  KeyPreview = true;
  ScrollBox1 = Put<TScrollBox>(this, this, 18, 16, 400, 500);
  Image1 = Put<TImage>(this, ScrollBox1, 0, 0, 400, 500);
  Panel1 = Put<TPanel>(this, this, 18, 520, 420, 32);
  Label1 = Put<TLabel>(this, Panel1, 8, 9, 200, 14);
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  OnPaint = [this](TObject* s) { FormPaint(s); };
  AfterConstruction();
  FormActivate(this);
}

void TPreview2::FormCreate(TObject*) {
  Position = poDesigned;
  SetBounds(main_.Left() + main_.Width(), main_.Top(), main_.Width(), main_.Height());
}

void TPreview2::FormActivate(TObject*) {
  // Beside the preview, with its page where the preview has its own.
  SetBounds(main_.Left() + main_.Width(), main_.Top(), main_.Width(), main_.Height());
  SetClientWidth(main_.ClientWidth());
  SetClientHeight(main_.ClientHeight());
  ScrollBox1->SetBounds(main_.ScrollBox1->Left(), main_.ScrollBox1->Top(), main_.ScrollBox1->Width(),
                        main_.ScrollBox1->Height());
  Image1->SetBounds(main_.Image1->Left(), main_.Image1->Top(), main_.Image1->Width(), main_.Image1->Height());
  Panel1->SetBounds(main_.Panel1->Left(), main_.Panel1->Top(), main_.Panel1->Width(), main_.Panel1->Height());
}

void TPreview2::FormKeyDown(TObject*, Word&, TShiftState) {
  if (main_.CanFocus()) main_.SetFocus();
}

void TPreview2::FormPaint(TObject*) { main_.DrawRulers(Canvas(), ScrollBox1->BoundsRect()); }
