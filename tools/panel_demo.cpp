// Captioned panels to try by hand or under a virtual display: the two the
// application shows (a diagonal and a horizontal shade, moved by the
// caption and sized by the grip), and one with close and collapse buttons,
// a rounded bar, a body of mini-HTML with anchors and a picture, over a
// background picture. The label at the bottom tells the last event; no
// anchor is opened.
//
// panel_demo [background-picture [text-picture]]: any picture file the
// program reads (bitmap, icon, JPEG, GIF, Windows or enhanced metafile).
#include <string>

#include "grid/ExtPanel.h"
#include "grid/PictureContainer.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tools/DemoMain.h"

namespace {

AnsiString G(const char* utf8) { return cp1253::FromUtf8(utf8); }

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption(G("Πάνελ με λεζάντα"));
    SetBounds(20, 20, 820, 560);
    status_ = new TLabel(this);
    status_->SetParent(this);
    status_->SetBounds(10, 510, 790, 20);
    status_->SetCaption(G("Σύρετε τις λεζάντες, αλλάξτε μέγεθος από τη γωνία, κλικ στους συνδέσμους"));

    // As the main window's guarantee panel and the budget window's
    // discount search set theirs up.
    TExtPanel* guarantee = Shaded(stDiagShade, 25, 40, Rect(10, 10, 390, 170));
    guarantee->Caption().SetText(G("ΥΠΟΛΟΓΙΣΜΟΣ ΕΓΓΥΗΣΗΣ"));
    guarantee->SetText(
        G("Εγγύηση καλής εκτέλεσης: <B>5%</B> της σύμβασης<BR>"
          "<A HREF=\"details\">λεπτομέρειες</A> &amp; <A HREF=\"https://example.org\">ιστότοπος</A>"));
    TExtPanel* search = Shaded(stHShade, 40, 60, Rect(410, 10, 800, 170));
    search->Caption().SetText(G("ΑΝΑΖΗΤΗΣΗ ΕΚΠΤΩΣΗΣ"));
    search->Caption().SetTopIndent(10);
    search->SetText(
        G("Η έκπτωση που δίνει το ζητούμενο ποσό.<BR><I>Πλάγια</I> και "
          "<FONT COLOR=\"#0000FF\">μπλε</FONT>"));
    search->SetTextVAlign(tvaCenter);

    // The buttons, a rounded metal bar, a picture in the text and one
    // behind it.
    container_ = new TPictureContainer(this);
    TExtPanel* full = Shaded(stLMetal, 24, 32, Rect(10, 190, 800, 500));
    // The caption's link in a light colour of its own: the anchor colour of
    // the body would not stand out on the dark bar.
    full->Caption().SetText(
        G("Πλήρες πάνελ <A HREF=\"caption\"><FONT COLOR=\"#FFFF80\">σύνδεσμος λεζάντας</FONT></A>"));
    full->Caption().SetShape(csRounded);
    full->Caption().SetCloseButton(true);
    full->Caption().SetMinMaxButton(true);
    full->Caption().SetCloseColor(clGray);
    full->CollapsSteps = 8;
    full->SetPictureContainer(container_);
    full->SetText(
        // Neither a paragraph's end nor a list item breaks the line in the
        // panel's text: the breaks are written out.
        G("<P ALIGN=\"CENTER\"><FONT SIZE=\"4\">Σώμα με <B>mini-HTML</B></FONT></P><BR>"
          "<UL><LI>πρώτο<BR><LI>δεύτερο <A HREF=\"item2\">άγκυρα</A></UL><BR>"
          "<SH>σκιά</SH> <U>υπογράμμιση</U> <S>διαγραφή</S> x<SUP>2</SUP> H<SUB>2</SUB>O<BR>"
          "<IMG SRC=\"PICTURE\"> <IMG SRC=\"SSYS:3\"> <IMG SRC=\"LSYS:offer.pdf\">"));
    full->OnClose = [this](TObject*) { Tell(G("κλείσιμο")); };
    full->OnMinimize = [this](TObject*) { Tell(G("σύμπτυξη")); };
    full->OnMaximize = [this](TObject*) { Tell(G("ανάπτυξη")); };
    full_ = full;
    LoadPictures();
  }

 private:
  TExtPanel* Shaded(TShadeType shade, int captionHeight, int grain, const TRect& r) {
    auto* p = new TExtPanel(this);
    p->SetParent(this);
    p->SetBoundsRect(r);
    p->Caption().SetVisible(true);
    p->Caption().SetHeight(captionHeight);
    p->Caption().SetColor(static_cast<TColor>(0xFF8000));
    p->Caption().SetShadeType(shade);
    p->Caption().SetFlat(true);
    p->Caption().SetShadeLight(200);
    p->Caption().SetShadeGrain(static_cast<Byte>(grain));
    TFont font;
    font.Name = "Arial";
    font.SetSize(10);
    font.Style = fsBold;
    font.Color = clWhite;
    p->Caption().SetFont(font);
    p->SetHover(true);
    p->CanMove = true;
    p->SetCanSize(true);
    p->SetShadowOffset(2);
    p->AnchorHint = true;
    p->OnAnchorClick = [this](TObject*, const AnsiString& a) { Tell(G("άγκυρα: ") + a); };
    p->OnAnchorEnter = [this](TObject*, const AnsiString& a) { Tell(G("πάνω από: ") + a); };
    p->OnCaptionClick = [this](TObject*) { Tell(G("κλικ στη λεζάντα")); };
    p->OnEndMoveSize = [this, p](TObject*) {
      Tell(G("θέση ") + IntToStr(p->Left()) + "," + IntToStr(p->Top()) + G(" μέγεθος ") +
           IntToStr(p->Width()) + "x" + IntToStr(p->Height()));
    };
    return p;
  }

  void LoadPictures() {
    const int count = ParamCount();
    if (count < 1) return;
    try {
      full_->Background().LoadFromFile(ParamStr(1));
      full_->SetBackgroundPosition(bpBottomRight);
      TPictureItem* item = container_->Items().Add();
      item->Name = "picture";
      item->Picture()->LoadFromFile(ParamStr(count >= 2 ? 2 : 1));
    } catch (const Exception& e) {
      Tell(e.Message);
    }
  }

  void Tell(const AnsiString& text) { status_->SetCaption(text); }

  TLabel* status_ = nullptr;
  TExtPanel* full_ = nullptr;
  TPictureContainer* container_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  SetCommandLine(argc, argv);
  return RunDemoForm<TDemoForm>();
}
