// A control sized while its caret stands at the start of a text it has
// not scrolled keeps its view without laying the text out for the caret:
// the view must be the one the whole computation of the caret's place
// gives, worked out again on the same control after each size.
#include <gtest/gtest.h>

#include <functional>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdEdits.h"

namespace {

using EditCaretStartTest = ControlsTest;

// A control whose caret can be placed by the whole computation.
template <class C>
class Placed : public C {
 public:
  using C::C;
  void Place() { this->PlaceCaretInView(); }
};

enum class Kind { Edit, Memo, Rich };

struct StartCase {
  const char* name;
  Kind kind;
  bool wrap;
  TAlignment alignment;
  AnsiString text;
  // The sizes the control takes in turn, the last one compared.
  std::vector<TPoint> sizes;
};

const AnsiString kLong =
    "ΠΡΟΣΦΟΡΑ ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ με μακρύ όνομα που δεν χωρά σε στενό πλαίσιο\r\n"
    "δεύτερη γραμμή\r\n\r\ntρίτη γραμμή μετά από κενή, και άλλη μία πολύ μακριά ώστε να αναδιπλωθεί\r\n"
    "4\r\n5\r\n6\r\n7\r\n8\r\n9\r\nτέλος"_a;
const AnsiString kLine = "ΑΛΦΑ ΤΕΧΝΙΚΗ ΑΤΕ, ΒΗΤΑ ΚΑΤΑΣΚΕΥΑΣΤΙΚΗ ΑΕ, ΓΑΜΜΑ ΟΕ"_a;

TCustomEdit* Make(const StartCase& c, TForm& form, std::function<void()>& place) {
  TCustomEdit* edit = nullptr;
  if (c.kind == Kind::Edit) {
    auto* e = new Placed<TEdit>(&form);
    place = [e] { e->Place(); };
    edit = e;
  } else if (c.kind == Kind::Memo) {
    auto* memo = new Placed<TMemo>(&form);
    memo->SetWordWrap(c.wrap);
    place = [memo] { memo->Place(); };
    edit = memo;
  } else {
    auto* rich = new Placed<TRichEdit>(&form);
    rich->SetWordWrap(c.wrap);
    place = [rich] { rich->Place(); };
    edit = rich;
  }
  edit->SetParent(&form);
  if (c.kind != Kind::Rich) edit->SetAlignment(c.alignment);
  edit->SetText(c.text);
  if (c.kind == Kind::Rich) static_cast<TRichEdit*>(edit)->Paragraph().SetAlignment(c.alignment);
  return edit;
}

// What the view shows: the first line, where the start stands, and the
// drawing, in the control's coordinates.
struct View {
  int top;
  TPoint start;
  int lines;
  std::vector<std::tuple<AnsiString, std::vector<int>, AnsiString>> drawn;
  friend bool operator==(const View&, const View&) = default;
};

View ViewOf(TCustomEdit& edit) {
  View v{edit.TopLine(), edit.PosFromChar(0), edit.LineCount(), {}};
  TRecordingCanvas canvas(edit.Width(), edit.Height());
  edit.PaintTo(canvas, 0, 0);
  for (const auto& call : canvas.Calls) v.drawn.emplace_back(call.Op, call.Args, call.Text);
  return v;
}

class EditCaretStart : public EditCaretStartTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(EditCaretStart, SizedKeepsTheViewTheCaretsPlaceGives) {
  const StartCase& c = GetParam();
  ShowForm();
  std::function<void()> place;
  TCustomEdit* edit = Make(c, *Form, place);
  for (const TPoint& size : c.sizes) {
    SCOPED_TRACE(size.X);
    edit->SetBounds(5, 5, size.X, size.Y);
    Application->ProcessMessages();
    EXPECT_EQ(edit->CaretPos(), 0);
    const View sized = ViewOf(*edit);
    place();
    Application->ProcessMessages();
    EXPECT_EQ(sized, ViewOf(*edit));
  }
}

std::vector<StartCase> Cases() {
  std::vector<StartCase> cases;
  const std::vector<TPoint> narrowing{{121, 60}, {300, 120}, {40, 30}, {90, 45}};
  const std::vector<TPoint> toNothing{{121, 60}, {6, 21}};
  const std::vector<TPoint> toOne{{121, 60}, {7, 21}};
  for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
    cases.push_back({"EmptyEdit", Kind::Edit, false, a, "", narrowing});
    cases.push_back({"EmptyEditToNoRoom", Kind::Edit, false, a, "", toNothing});
    cases.push_back({"EmptyEditToOnePixel", Kind::Edit, false, a, "", toOne});
    cases.push_back({"LineEdit", Kind::Edit, false, a, kLine, narrowing});
    for (bool wrap : {true, false}) {
      cases.push_back({"Memo", Kind::Memo, wrap, a, kLong, narrowing});
      cases.push_back({"EmptyMemo", Kind::Memo, wrap, a, "", narrowing});
      cases.push_back({"Rich", Kind::Rich, wrap, a, kLong, narrowing});
      cases.push_back({"RichToNoRoom", Kind::Rich, wrap, a, kLong, toNothing});
      cases.push_back({"EmptyRich", Kind::Rich, wrap, a, "", narrowing});
    }
  }
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<StartCase>& info) {
  static const char* const kAlign[] = {"Left", "Right", "Center"};
  return std::string(info.param.name) + (info.param.wrap ? "Wrapped" : "") + kAlign[info.param.alignment] +
         std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EditCaretStart, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
