// The layer's side of drags between the program and other programs: drops
// from another program reach the window under the pointer as data objects
// of their own, fetched only at the drop; a drag past the program's
// windows goes on through the backend's desktop, whose answer decides.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "platform/backend/headless/Headless.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/SystemClipboard.h"
#include "tests/platform/ui/BlockDataObject.h"

namespace {

// Takes whatever is dragged over it and keeps every format at the drop.
class TKeepingTarget : public IDropTarget {
 public:
  std::string Log;
  std::vector<UINT> Formats;
  std::map<UINT, std::string> Dropped;
  HRESULT DragEnter(IDataObject* data, DWORD keys, TPoint, DWORD& effect) override {
    Log += "enter";
    Formats.clear();
    IEnumFORMATETC* e = nullptr;
    if (data->EnumFormatEtc(DATADIR_GET, &e) == S_OK && e) {
      FORMATETC f;
      ULONG n = 0;
      while (e->Next(1, &f, &n) == S_OK && n == 1) Formats.push_back(f.cfFormat);
      e->Release();
    }
    effect = keys & MK_CONTROL_STATE ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    return S_OK;
  }
  HRESULT DragOver(DWORD keys, TPoint, DWORD& effect) override {
    Log += "over";
    effect = keys & MK_CONTROL_STATE ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    return S_OK;
  }
  HRESULT DragLeave() override {
    Log += "leave";
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD keys, TPoint, DWORD& effect) override {
    Log += "drop";
    for (UINT format : Formats) {
      FORMATETC f;
      f.cfFormat = format;
      STGMEDIUM m;
      if (data->GetData(f, m) == S_OK) Dropped[format].assign(m.Block.begin(), m.Block.end());
    }
    effect = keys & MK_CONTROL_STATE ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    return S_OK;
  }
};

class DragDropDesktopTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ui::dragdrop::Reset();
    rtf = RegisterClipboardFormat("Rich Text Format");
  }
  void TearDown() override {
    ui::dragdrop::Reset();
    UiTest::TearDown();
  }
  // The other program's offer: each name's bytes, counting the fetches.
  std::function<ui::TClipboardRead(const std::string&)> Offer(std::map<std::string, std::string> bytes) {
    offered = std::move(bytes);
    return [this](const std::string& name) {
      ++fetches[name];
      auto it = offered.find(name);
      if (it == offered.end()) return ui::TClipboardRead{false, {}, "not offered"};
      return ui::TClipboardRead{true, it->second, {}};
    };
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : offered) names.push_back(name);
    return names;
  }
  UINT rtf = 0;
  std::map<std::string, std::string> offered;
  std::map<std::string, int> fetches;
};

TEST_F(DragDropDesktopTest, ADropFromAnotherProgramIsFetchedOnceAtTheDropInEveryFormItListed) {
  TDemoForm& f = ShowDemo();
  TComPtr<TKeepingTarget> target(new TKeepingTarget);
  ASSERT_EQ(RegisterDragDrop(f.Edit1->Handle(), target.Get()), S_OK);
  const TPoint at = f.Edit1->ClientToScreen(Point(3, 3));
  auto fetch = Offer({{"text/plain;charset=utf-8", "Τιμή\t1\nΈκπτωση\r\n"},
                      {"text/rtf", std::string("{\\rtf1 x}\0junk", 14)},
                      {"text/uri-list", "file:///tmp/%CE%88%CF%81%CE%B3%CE%BF.ddn\r\nfile:///tmp/cut%2\r\n"},
                      {"application/x-other", "?"}});
  ui::dragdrop::OutsideEnter(Names(), fetch);
  EXPECT_EQ(ui::dragdrop::OutsideOver(at, DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_CONTROL_STATE),
            DROPEFFECT_COPY);
  EXPECT_EQ(ui::dragdrop::OutsideOver(at, DROPEFFECT_COPY | DROPEFFECT_MOVE, 0), DROPEFFECT_MOVE);
  EXPECT_EQ(target->Formats, (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, rtf, CF_HDROP}));
  EXPECT_TRUE(fetches.empty()) << "nothing is fetched before the drop";
  EXPECT_EQ(ui::dragdrop::OutsideDrop(at, DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_CONTROL_STATE),
            DROPEFFECT_COPY);
  EXPECT_EQ(target->Log, "enteroveroverdrop");  // entered once, as the program's own drags do
  // Text in 1253 with CR LF, whatever line ends it came with.
  EXPECT_EQ(target->Dropped[CF_TEXT], cp1253::FromUtf8("Τιμή\t1\r\nΈκπτωση\r\n") + std::string(1, '\0'));
  const std::string& wide = target->Dropped[CF_UNICODETEXT];
  ASSERT_EQ(wide.size(), 2 * 18u);
  EXPECT_EQ(static_cast<unsigned char>(wide[0]), 0xA4);  // Τ is U+03A4
  EXPECT_EQ(static_cast<unsigned char>(wide[1]), 0x03);
  EXPECT_EQ(target->Dropped[rtf], std::string("{\\rtf1 x}\0", 10));
  // A cut escape is no name: only the whole one comes.
  const std::vector<std::uint8_t> block(target->Dropped[CF_HDROP].begin(), target->Dropped[CF_HDROP].end());
  EXPECT_EQ(ReadDropFiles(block), (std::vector<AnsiString>{cp1253::FromUtf8("/tmp/Έργο.ddn")}));
  EXPECT_EQ(fetches, (std::map<std::string, int>{
                         {"text/plain;charset=utf-8", 1}, {"text/rtf", 1}, {"text/uri-list", 1}}));
  RevokeDragDrop(f.Edit1->Handle());
}

TEST_F(DragDropDesktopTest, AnOfferThatCannotBeFetchedGivesTheTargetNothing) {
  TDemoForm& f = ShowDemo();
  TComPtr<TKeepingTarget> target(new TKeepingTarget);
  ASSERT_EQ(RegisterDragDrop(f.Edit1->Handle(), target.Get()), S_OK);
  const TPoint at = f.Edit1->ClientToScreen(Point(3, 3));
  auto fetch = Offer({});
  ui::dragdrop::OutsideEnter({"UTF8_STRING", "text/uri-list"}, fetch);
  EXPECT_EQ(ui::dragdrop::OutsideDrop(at, DROPEFFECT_COPY, MK_CONTROL_STATE), DROPEFFECT_COPY);
  EXPECT_TRUE(target->Dropped.empty());
  EXPECT_EQ(fetches["UTF8_STRING"], 1) << "a failed answer is not asked for again";
  RevokeDragDrop(f.Edit1->Handle());
}

TEST_F(DragDropDesktopTest, ALeaveOrADropWhereNoTargetIsTakesNothing) {
  TDemoForm& f = ShowDemo();
  TComPtr<TKeepingTarget> target(new TKeepingTarget);
  ASSERT_EQ(RegisterDragDrop(f.Edit1->Handle(), target.Get()), S_OK);
  const TPoint on = f.Edit1->ClientToScreen(Point(3, 3));
  ui::dragdrop::OutsideEnter({"UTF8_STRING"}, Offer({{"UTF8_STRING", "x"}}));
  ui::dragdrop::OutsideOver(on, DROPEFFECT_COPY, 0);
  ui::dragdrop::OutsideLeave();
  EXPECT_EQ(target->Log, "enterleave");
  ui::dragdrop::OutsideEnter({"UTF8_STRING"}, Offer({{"UTF8_STRING", "x"}}));
  EXPECT_EQ(ui::dragdrop::OutsideDrop(Point(-500, -500), DROPEFFECT_COPY, 0), DROPEFFECT_NONE);
  EXPECT_TRUE(fetches.empty());
  RevokeDragDrop(f.Edit1->Handle());
}

TEST_F(DragDropDesktopTest, ADataObjectGoesOutUnderTheClipboardsNames) {
  int live = 0;
  {
    TComPtr<TBlockData> data(new TBlockData(&live));
    const std::string text = cp1253::FromUtf8("Τιμή\r\n2");
    data->Blocks[CF_TEXT] = std::vector<std::uint8_t>(text.begin(), text.end());
    data->Blocks[CF_TEXT].push_back(0);
    const std::string rich = "{\\rtf1 y}";
    data->Blocks[rtf] = std::vector<std::uint8_t>(rich.begin(), rich.end());
    data->Blocks[rtf].push_back(0);
    const auto offer = ui::OfferOfData(data.Get());
    ASSERT_NE(offer->Find("UTF8_STRING"), nullptr);
    EXPECT_EQ(*offer->Find("UTF8_STRING"), "Τιμή\n2");
    EXPECT_EQ(*offer->Find("text/plain;charset=utf-8"), "Τιμή\n2");
    EXPECT_EQ(*offer->Find("STRING"), "????\n2");
    EXPECT_EQ(*offer->Find("text/rtf"), rich);
    EXPECT_EQ(*offer->Find("application/rtf"), rich);
    // Wide text alone goes out as text too.
    TComPtr<TBlockData> wide(new TBlockData(&live));
    wide->Blocks[CF_UNICODETEXT] = {0xA4, 0x03, 'a', 0, 0, 0, 'z', 0};
    EXPECT_EQ(*ui::OfferOfData(wide.Get())->Find("UTF8_STRING"), "Τa");
    EXPECT_TRUE(ui::OfferOfData(nullptr)->Targets.empty());
  }
  EXPECT_EQ(live, 0);
}

// ---- drags leaving the program ----

// The desktop's side as a test sees it: what the program asked of it.
class TRecordingDesktop : public ui::TDesktopDrag {
 public:
  std::string Log;
  DWORD Answer = DROPEFFECT_COPY;
  DWORD DropAnswer = DROPEFFECT_COPY;
  std::shared_ptr<const ui::TClipboardOffer> Offered;
  void Begin(std::shared_ptr<const ui::TClipboardOffer> offer) override {
    Log += "begin ";
    Offered = std::move(offer);
  }
  DWORD Move(TPoint screen, DWORD wanted) override {
    Log += "move(" + std::to_string(screen.X) + "," + std::to_string(wanted) + ") ";
    return Answer;
  }
  void Leave() override { Log += "leave "; }
  DWORD Drop() override {
    Log += "drop ";
    return DropAnswer;
  }
  void End() override { Log += "end"; }
};

class TDesktopBackend : public THeadlessBackend {
 public:
  TRecordingDesktop Desktop;
  ui::TDesktopDrag* DesktopDrag() override { return &Desktop; }
};

// Follows the usual rules: Escape cancels, a released button drops.
class TPlainSource : public IDropSource {
 public:
  HRESULT QueryContinueDrag(bool escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return keys & MK_LBUTTON_STATE ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

struct LeavingCase {
  const char* name;
  DWORD answer, dropAnswer;
  bool escape, ctrl;
  HRESULT result;
  DWORD effect;
  const char* log;
};

class DragLeavingTest : public testing::TestWithParam<LeavingCase> {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<TDesktopBackend>();
    desktop = &backend->Desktop;
    SetBackend(std::move(backend));
    ui::dragdrop::Reset();
  }
  void TearDown() override {
    ui::dragdrop::Reset();
    InstallHeadlessBackend();
  }
  TRecordingDesktop* desktop = nullptr;
};

TEST_P(DragLeavingTest, TheOtherProgramsAnswerIsTheDragsEffect) {
  const LeavingCase& k = GetParam();
  desktop->Answer = k.answer;
  desktop->DropAnswer = k.dropAnswer;
  int live = 0;
  TComPtr<TBlockData> data(new TBlockData(&live));
  data->Blocks[CF_TEXT] = {'a', 0};
  TComPtr<TPlainSource> source(new TPlainSource);
  std::vector<std::function<void()>> steps = {[] { ui::dragdrop::MouseMove(nullptr, Point(900, 10)); },
                                              [&] {
                                                if (k.ctrl) ui::dragdrop::KeyDown(VK_CONTROL);
                                                if (k.escape)
                                                  ui::dragdrop::KeyDown(VK_ESCAPE);
                                                else
                                                  ui::dragdrop::ButtonUp();
                                              }};
  size_t next = 0;
  ui::dragdrop::SetInputSource([&] {
    if (next < steps.size()) steps[next++]();
  });
  DWORD effect = 99;
  EXPECT_EQ(DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), k.result);
  EXPECT_EQ(effect, k.effect);
  EXPECT_EQ(desktop->Log, k.log);
  ASSERT_NE(desktop->Offered, nullptr);
  EXPECT_EQ(*desktop->Offered->Find("UTF8_STRING"), "a");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DragLeavingTest,
    testing::Values(LeavingCase{"Copied", DROPEFFECT_COPY, DROPEFFECT_COPY, false, false, DRAGDROP_S_DROP,
                                DROPEFFECT_COPY, "begin move(900,2) drop end"},
                    LeavingCase{"Moved", DROPEFFECT_MOVE, DROPEFFECT_MOVE, false, false, DRAGDROP_S_DROP,
                                DROPEFFECT_MOVE, "begin move(900,2) drop end"},
                    LeavingCase{"CtrlAsksForACopy", DROPEFFECT_COPY, DROPEFFECT_COPY, false, true,
                                DRAGDROP_S_DROP, DROPEFFECT_COPY, "begin move(900,2) move(900,1) drop end"},
                    LeavingCase{"AcceptedThenFailed", DROPEFFECT_MOVE, DROPEFFECT_NONE, false, false,
                                DRAGDROP_S_DROP, DROPEFFECT_NONE, "begin move(900,2) drop end"},
                    LeavingCase{"EscapeLeaves", DROPEFFECT_MOVE, DROPEFFECT_MOVE, true, false,
                                DRAGDROP_S_CANCEL, DROPEFFECT_NONE, "begin move(900,2) leave end"}),
    [](const testing::TestParamInfo<LeavingCase>& i) { return i.param.name; });

}  // namespace
