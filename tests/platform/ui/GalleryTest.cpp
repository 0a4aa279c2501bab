// Every standard control on one form, rendered headless to ui-gallery.png
// in the test's build folder for a look by eye.

#include <gtest/gtest.h>

#include <filesystem>

#include "ControlsFixture.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Panels.h"
#include "platform/ui/Spin.h"
#include "tests/TestOutput.h"

namespace {

class GalleryTest : public ControlsTest {
 protected:
  template <typename C>
  C* Place(int x, int y, int w, int h, TWinControl* parent = nullptr) {
    C* c = Add<C>(x, y, w, h, parent);
    shown.push_back(c);
    return c;
  }
  std::vector<TControl*> shown;
};

TEST_F(GalleryTest, EveryControlDrawsOnOneForm) {
  Form->SetBounds(0, 0, 800, 600);
  Form->SetCaption("Gallery");
  auto* menu = new TMainMenu(Form.get());
  for (const char* caption : {"&Αρχείο", "&Παράμετροι", "&Βοήθεια"}) {
    auto* item = new TMenuItem(Form.get());
    item->SetCaption(cp1253::FromUtf8(caption));
    menu->Items()->Add(item);
    auto* sub = new TMenuItem(Form.get());
    sub->SetCaption("&Νέο"_a);
    item->Add(sub);
  }
  auto* status = Place<TStatusBar>(0, 0, 10, 20);
  status->AddPanel(150, "Γραμμή 1, στήλη 1"_a);
  status->AddPanel(100, "ΕΙΣ"_a).Alignment = taCenter;
  status->AddPanel(50, "Έτοιμο"_a);

  const int top = 30;
  auto* label = Place<TLabel>(10, top, 100, 17);
  label->SetCaption("&Ετικέτα:"_a);
  auto* edit = Place<TEdit>(110, top - 2, 150, 21);
  edit->SetText("Κείμενο"_a);
  label->SetFocusControl(edit);
  auto* mask = Place<TMaskEdit>(270, top - 2, 100, 21);
  mask->SetEditMask("99/99/9999;1;_");
  auto* spin = Place<TSpinEdit>(380, top - 2, 70, 21);
  spin->SetMaxValue(100);
  spin->SetValue(42);
  auto* picker = Place<TDateTimePicker>(460, top - 2, 120, 21);
  picker->SetDate(EncodeDate(2026, 12, 6));
  auto* timePicker = Place<TDateTimePicker>(590, top - 2, 100, 21);
  timePicker->SetKind(dtkTime);

  auto* ok = Place<TButton>(10, top + 30, 80, 25);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  auto* bit = Place<TBitBtn>(100, top + 30, 90, 25);
  bit->SetKind(bkYes);
  auto* cancel = Place<TBitBtn>(200, top + 30, 90, 25);
  cancel->SetKind(bkCancel);
  auto* disabled = Place<TButton>(300, top + 30, 80, 25);
  disabled->SetCaption("Ανενεργό"_a);
  disabled->SetEnabled(false);
  for (int i = 0; i < 3; ++i) {
    auto* speed = Place<TSpeedButton>(400 + 25 * i, top + 31, 23, 22);
    speed->SetCaption(IntToStr(i + 1));
    speed->SetGroupIndex(1);
    if (i == 1) speed->SetDown(true);
  }
  auto* flat = Place<TSpeedButton>(480, top + 31, 40, 22);
  flat->SetCaption("Flat");
  flat->SetFlat(true);

  auto* check = Place<TCheckBox>(10, top + 65, 120, 17);
  check->SetCaption("&Επιλογή"_a);
  check->SetChecked(true);
  auto* grayed = Place<TCheckBox>(140, top + 65, 120, 17);
  grayed->SetCaption("Ενδιάμεσο"_a);
  grayed->AllowGrayed = true;
  grayed->SetState(cbGrayed);
  auto* radio = Place<TRadioButton>(270, top + 65, 100, 17);
  radio->SetCaption("Ραδιόφωνο"_a);
  radio->SetChecked(true);

  auto* group = Place<TGroupBox>(10, top + 90, 180, 90);
  group->SetCaption("Ομάδα"_a);
  auto* inGroup = Place<TCheckBox>(10, 25, 150, 17, group);
  inGroup->SetCaption("Μέσα στην ομάδα"_a);
  auto* radios = Place<TRadioGroup>(200, top + 90, 180, 90);
  radios->SetCaption("Στρογγυλοποίηση"_a);
  for (const char* s : {"Καμία", "Μονάδες", "Δεκάδες"}) radios->Items()->Add(cp1253::FromUtf8(s));
  radios->SetItemIndex(1);
  auto* list = Place<TListBox>(390, top + 90, 130, 90);
  for (int i = 0; i < 12; ++i) list->Items()->Add("Γραμμή "_a + IntToStr(i + 1));
  list->SetItemIndex(2);
  auto* combo = Place<TComboBox>(530, top + 90, 130, 21);
  combo->SetStyle(csDropDownList);
  for (const char* s : {"Πρώτο", "Δεύτερο", "Τρίτο"}) combo->Items()->Add(cp1253::FromUtf8(s));
  combo->SetItemIndex(0);
  auto* typedCombo = Place<TComboBox>(530, top + 120, 130, 21);
  typedCombo->Items()->Add("Τιμή"_a);
  typedCombo->SetText("Τιμή"_a);
  auto* updown = Place<TUpDown>(670, top + 90, 16, 24);
  (void)updown;

  auto* panel = Place<TPanel>(10, top + 190, 250, 40);
  panel->SetCaption("Πάνελ\tμε στηλοθέτη"_a);
  auto* lowered = Place<TPanel>(270, top + 190, 120, 40);
  lowered->SetBevelOuter(bvLowered);
  lowered->SetBevelInner(bvRaised);
  lowered->SetCaption("Βαθουλωτό"_a);
  auto* bevel = Place<TBevel>(400, top + 190, 100, 40);
  bevel->SetShape(bsFrame);
  auto* shape = Place<TShape>(510, top + 190, 60, 40);
  shape->SetShape(stRoundRect);
  TBrush brush;
  brush.Color = clAqua;
  shape->SetBrush(brush);
  auto* image = Place<TImage>(580, top + 190, 40, 40);
  {
    auto picture = std::make_unique<TBitmap>(36, 36);
    TCanvas& c = *picture->Canvas();
    ui::paint::Fill(c, Rect(0, 0, 36, 36), clWhite);
    c.Brush->Color = clYellow;
    c.Pen->Color = clOlive;
    c.Ellipse(4, 4, 32, 32);
    image->Picture().SetGraphic(std::move(picture));
  }
  image->SetCenter(true);
  image->PictureChanged();
  auto* progress = Place<TProgressBar>(630, top + 190, 150, 18);
  progress->SetPosition(60);
  auto* smooth = Place<TProgressBar>(630, top + 212, 150, 18);
  smooth->Smooth = true;
  smooth->SetPosition(35);

  auto* memo = Place<TMemo>(10, top + 240, 200, 90);
  memo->Lines().Add("Πρώτη γραμμή"_a);
  memo->Lines().Add("Δεύτερη γραμμή"_a);
  memo->SetScrollBars(ssVertical);
  auto* scroll = Place<TScrollBar>(220, top + 240, 150, 17);
  scroll->SetPosition(30);
  auto* box = Place<TScrollBox>(220, top + 262, 150, 68);
  auto* inside = Add<TButton>(10, 100, 80, 25, box);  // below the view: scrolled to
  inside->SetCaption("Κάτω"_a);
  auto* grid = Place<TStringGrid>(380, top + 240, 400, 120);
  grid->SetColCount(5);
  grid->SetRowCount(8);
  grid->SetDefaultRowHeight(18);
  grid->SetDefaultColWidth(70);
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 8; ++r)
      grid->SetCells(c, r, r == 0 ? "Στήλη "_a + IntToStr(c) : IntToStr(c * 10 + r));

  auto* left = Place<TPanel>(10, top + 370, 100, 100);
  left->SetCaption("Αριστερά"_a);
  auto* splitter = Place<TSplitter>(110, top + 370, 4, 100);
  splitter->SetAlign(alNone);
  splitter->Beveled = true;

  auto* pages = Place<TPageControl>(130, top + 370, 300, 120);
  for (const char* caption : {"Γενικά", "Εκτύπωση"}) {
    auto* sheet = new TTabSheet(Form.get());
    sheet->SetCaption(cp1253::FromUtf8(caption));
    sheet->SetPageControl(pages);
  }
  auto* onPage = Add<TCheckBox>(10, 10, 150, 17, pages->Pages(0));
  onPage->SetCaption("Στη σελίδα"_a);
  auto* images = new TImageList(Form.get());
  {
    TBitmap strip(48, 16);
    TCanvas& c = *strip.Canvas();
    ui::paint::Fill(c, Rect(0, 0, 48, 16), clFuchsia);
    for (int i = 0; i < 3; ++i) {
      c.Brush->Color = i == 0 ? clRed : i == 1 ? clGreen : clBlue;
      c.Pen->Color = clBlack;
      c.Ellipse(i * 16 + 2, 2, i * 16 + 14, 14);
    }
    images->AddMasked(strip, clFuchsia);
  }
  auto* tools = Place<TToolBar>(450, top + 370, 200, 29);
  tools->SetAlign(alNone);
  tools->SetBounds(450, top + 370, 200, 29);
  tools->SetImages(images);
  for (int i = 0; i < 4; ++i) {
    auto* b = new TToolButton(Form.get());
    b->SetParent(tools);
    b->SetImageIndex(i < 2 ? i : i - 1);
    if (i == 2) b->SetStyle(tbsDivider);
    if (i == 3) {
      b->SetStyle(tbsCheck);
      b->SetDown(true);
    }
  }
  tools->ArrangeButtons();

  ShowForm();
  edit->SetFocus();
  Application->ProcessMessages();

  // Each control drew something beside the form's face somewhere inside it.
  const TImageCanvas* pixels = backend->Render(*Form);
  ASSERT_NE(pixels, nullptr);
  const TColor face = ColorToRGB(clBtnFace);
  for (TControl* c : shown) {
    if (!c->Visible()) continue;
    // In the window's pixels, which hold the menu bar above the client area.
    const TPoint screen = c->ClientToScreen(Point(0, 0));
    const TPoint at = Point(screen.X - Form->Left(), screen.Y - Form->Top());
    bool drawn = false;
    for (int y = 0; y < c->Height() && !drawn; ++y)
      for (int x = 0; x < c->Width() && !drawn; ++x)
        if (pixels->Pixel(at.X + x, at.Y + y) != face) drawn = true;
    EXPECT_TRUE(drawn) << c->Name() << " at " << at.X << "," << at.Y;
  }
  const std::string file = TestOutput("ui-gallery.png");
  backend->SaveWindowPng(*Form, file);
  EXPECT_GT(std::filesystem::file_size(file), 1000u);

  // The drop-downs too, each on its own.
  combo->SetDroppedDown(true);
  backend->SaveWindowPng(*combo->ListWindow(), TestOutput("ui-gallery-combo.png"));
  combo->SetDroppedDown(false);
  picker->SetDroppedDown(true);
  backend->SaveWindowPng(*picker->Calendar(), TestOutput("ui-gallery-calendar.png"));
  picker->SetDroppedDown(false);
  menu->Bar()->OpenItem(0, true);
  ASSERT_NE(OpenMenuWindow(), nullptr);
  backend->SaveWindowPng(*OpenMenuWindow(), TestOutput("ui-gallery-menu.png"));
  OpenMenuWindow()->CloseAll();
}

}  // namespace
