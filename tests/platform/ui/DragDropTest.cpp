// The in-process drag and drop layer: registration, the modal loop on the
// layer's own input, reference counting and the file-list block.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "UiFixture.h"
#include "platform/rtl/Cp1253.h"
#include "platform/ui/DragDrop.h"
#include "tests/platform/ui/BlockDataObject.h"

namespace {

HWND FakeWindow(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

int liveObjects = 0;

class TFakeData : public TBlockData {
 public:
  TFakeData() : TBlockData(&liveObjects) {}
};

// Records every call; accepts text with the effect the keys ask for.
class TFakeTarget : public IDropTarget {
 public:
  TFakeTarget() { ++liveObjects; }
  ~TFakeTarget() override { --liveObjects; }
  std::string Log;
  bool Accept = true;
  std::string Dropped;
  DWORD Choose(DWORD keys) const {
    if (!Accept) return DROPEFFECT_NONE;
    return (keys & MK_CONTROL_STATE) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  }
  HRESULT DragEnter(IDataObject*, DWORD keys, TPoint pt, DWORD& effect) override {
    Log += "enter(" + std::to_string(pt.X) + "," + std::to_string(pt.Y) + ")";
    effect = Choose(keys);
    return S_OK;
  }
  HRESULT DragOver(DWORD keys, TPoint pt, DWORD& effect) override {
    Log += "over(" + std::to_string(pt.X) + "," + std::to_string(pt.Y) + ")";
    effect = Choose(keys);
    return S_OK;
  }
  HRESULT DragLeave() override {
    Log += "leave";
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD keys, TPoint, DWORD& effect) override {
    Log += "drop";
    FORMATETC f;
    f.cfFormat = CF_TEXT;
    STGMEDIUM m;
    if (data->GetData(f, m) == S_OK) Dropped.assign(m.Block.begin(), m.Block.end());
    effect = Choose(keys);
    return S_OK;
  }
};

// Follows the usual rules: Escape cancels, a released button drops.
class TFakeSource : public IDropSource {
 public:
  TFakeSource() { ++liveObjects; }
  ~TFakeSource() override { --liveObjects; }
  std::vector<DWORD> Feedback;
  HRESULT QueryContinueDrag(bool escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    if (!(keys & MK_LBUTTON_STATE)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT GiveFeedback(DWORD effect) override {
    Feedback.push_back(effect);
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }
};

class DragDropTest : public testing::Test {
 protected:
  void SetUp() override { ui::dragdrop::Reset(); }
  void TearDown() override {
    ui::dragdrop::Reset();
    EXPECT_EQ(liveObjects, 0) << "an object outlived its references";
  }
  // One drag with Script feeding the layer's input once.
  HRESULT Drag(TFakeData* data, TFakeSource* source, std::function<void()> script, DWORD* effect) {
    bool fed = false;
    ui::dragdrop::SetInputSource([&] {
      if (!fed) script();
      fed = true;
    });
    return DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
  }
};

TComPtr<TFakeData> TextData(const std::string& text) {
  TComPtr<TFakeData> data(new TFakeData);
  data->Blocks[CF_TEXT] = std::vector<std::uint8_t>(text.begin(), text.end());
  return data;
}

TEST_F(DragDropTest, RegisteringTwiceIsRefusedAndRevokingForgets) {
  TComPtr<TFakeTarget> t(new TFakeTarget);
  EXPECT_EQ(RegisterDragDrop(FakeWindow(1), t.Get()), S_OK);
  EXPECT_EQ(RegisterDragDrop(FakeWindow(1), t.Get()), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RevokeDragDrop(FakeWindow(1)), S_OK);
  EXPECT_EQ(RevokeDragDrop(FakeWindow(1)), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(RegisterDragDrop(nullptr, t.Get()), E_INVALIDARG);
}

struct EffectCase {
  const char* name;
  bool ctrl;
  DWORD effect;
};

class DragDropEffectTest : public DragDropTest, public testing::WithParamInterface<EffectCase> {};

TEST_P(DragDropEffectTest, ReleaseDropsWithTheKeysEffect) {
  TComPtr<TFakeTarget> t(new TFakeTarget);
  RegisterDragDrop(FakeWindow(7), t.Get());
  TComPtr<TFakeData> data = TextData("abc");
  TComPtr<TFakeSource> source(new TFakeSource);
  DWORD effect = 99;
  const bool ctrl = GetParam().ctrl;
  const HRESULT hr = Drag(
      data.Get(), source.Get(),
      [&] {
        ui::dragdrop::MouseMove(FakeWindow(7), Point(10, 20));
        if (ctrl) ui::dragdrop::KeyDown(VK_CONTROL);
        ui::dragdrop::MouseMove(FakeWindow(7), Point(11, 21));
        ui::dragdrop::ButtonUp();
      },
      &effect);
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, GetParam().effect);
  EXPECT_EQ(t->Dropped, "abc");
  EXPECT_EQ(t->Log.substr(0, 15), "enter(10,20)ove");
  EXPECT_EQ(t->Log.substr(t->Log.size() - 4), "drop");
  EXPECT_FALSE(ui::dragdrop::Dragging());
}

INSTANTIATE_TEST_SUITE_P(Keys, DragDropEffectTest,
                         testing::Values(EffectCase{"CtrlCopies", true, DROPEFFECT_COPY},
                                         EffectCase{"PlainMoves", false, DROPEFFECT_MOVE}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DragDropTest, EscapeCancelsAndTheTargetIsLeft) {
  TComPtr<TFakeTarget> t(new TFakeTarget);
  RegisterDragDrop(FakeWindow(7), t.Get());
  TComPtr<TFakeData> data = TextData("abc");
  TComPtr<TFakeSource> source(new TFakeSource);
  DWORD effect = 99;
  const HRESULT hr = Drag(
      data.Get(), source.Get(),
      [&] {
        ui::dragdrop::MouseMove(FakeWindow(7), Point(1, 2));
        ui::dragdrop::KeyDown(VK_ESCAPE);
        ui::dragdrop::ButtonUp();
      },
      &effect);
  EXPECT_EQ(hr, DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(t->Log, "enter(1,2)leave");
  EXPECT_TRUE(t->Dropped.empty());
}

TEST_F(DragDropTest, MovingBetweenWindowsLeavesOneAndEntersTheOther) {
  TComPtr<TFakeTarget> a(new TFakeTarget), b(new TFakeTarget);
  RegisterDragDrop(FakeWindow(1), a.Get());
  RegisterDragDrop(FakeWindow(2), b.Get());
  TComPtr<TFakeData> data = TextData("x");
  TComPtr<TFakeSource> source(new TFakeSource);
  DWORD effect = 0;
  Drag(
      data.Get(), source.Get(),
      [&] {
        ui::dragdrop::MouseMove(FakeWindow(1), Point(1, 1));
        ui::dragdrop::MouseMove(nullptr, Point(2, 2));
        ui::dragdrop::MouseMove(FakeWindow(2), Point(3, 3));
        ui::dragdrop::ButtonUp();
      },
      &effect);
  EXPECT_EQ(a->Log, "enter(1,1)leave");
  EXPECT_EQ(b->Log, "enter(3,3)drop");
  EXPECT_EQ(source->Feedback, (std::vector<DWORD>{DROPEFFECT_MOVE, DROPEFFECT_NONE, DROPEFFECT_MOVE}));
}

TEST_F(DragDropTest, RefusedTargetGetsNoDropAndNoEffect) {
  TComPtr<TFakeTarget> t(new TFakeTarget);
  t->Accept = false;
  RegisterDragDrop(FakeWindow(3), t.Get());
  TComPtr<TFakeData> data = TextData("x");
  TComPtr<TFakeSource> source(new TFakeSource);
  DWORD effect = 99;
  const HRESULT hr = Drag(
      data.Get(), source.Get(),
      [&] {
        ui::dragdrop::MouseMove(FakeWindow(3), Point(0, 0));
        ui::dragdrop::ButtonUp();
      },
      &effect);
  EXPECT_EQ(hr, DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(t->Log, "enter(0,0)leave");
}

TEST_F(DragDropTest, ALoopWithoutInputEndsCancelled) {
  TComPtr<TFakeTarget> t(new TFakeTarget);
  RegisterDragDrop(FakeWindow(3), t.Get());
  TComPtr<TFakeData> data = TextData("x");
  TComPtr<TFakeSource> source(new TFakeSource);
  DWORD effect = 99;
  EXPECT_EQ(
      Drag(
          data.Get(), source.Get(), [] { ui::dragdrop::MouseMove(FakeWindow(3), Point(0, 0)); }, &effect),
      DRAGDROP_S_CANCEL);
  EXPECT_EQ(t->Log, "enter(0,0)leave");
  EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(DragDropTest, TheRegistryHoldsATargetUntilRevoked) {
  TComPtr<TFakeData> data = TextData("x");
  TComPtr<TFakeSource> source(new TFakeSource);
  {
    TComPtr<TFakeTarget> t(new TFakeTarget);
    RegisterDragDrop(FakeWindow(4), t.Get());
  }
  DWORD effect = 0;
  Drag(
      data.Get(), source.Get(),
      [&] {
        ui::dragdrop::MouseMove(FakeWindow(4), Point(0, 0));
        ui::dragdrop::MouseMove(FakeWindow(4), Point(1, 0));
      },
      &effect);
  EXPECT_EQ(liveObjects, 3);  // data, source and the still registered target
  RevokeDragDrop(FakeWindow(4));
  EXPECT_EQ(liveObjects, 2);
}

TEST_F(DragDropTest, ASecondDragDuringADragIsRefused) {
  TComPtr<TFakeData> data = TextData("x");
  TComPtr<TFakeSource> source(new TFakeSource);
  HRESULT inner = S_OK;
  DWORD effect = 0;
  Drag(
      data.Get(), source.Get(),
      [&] {
        DWORD e = 0;
        inner = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY, &e);
      },
      &effect);
  EXPECT_EQ(inner, E_INVALIDARG);
}

TEST_F(DragDropTest, AFeederMayReplaceItselfWhileFeeding) {
  TComPtr<TFakeTarget> t(new TFakeTarget);
  RegisterDragDrop(FakeWindow(5), t.Get());
  TComPtr<TFakeData> data = TextData("q");
  TComPtr<TFakeSource> source(new TFakeSource);
  std::string big(1000, 'x');  // captured state that dies with the old feeder
  ui::dragdrop::SetInputSource([big] {
    ui::dragdrop::SetInputSource(nullptr);
    ui::dragdrop::MouseMove(FakeWindow(5), Point(static_cast<int>(big.size()), 0));
    ui::dragdrop::ButtonUp();
  });
  DWORD effect = 0;
  EXPECT_EQ(DoDragDrop(data.Get(), source.Get(), DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(t->Log, "enter(1000,0)drop");
}

struct FilesCase {
  const char* name;
  std::vector<std::uint8_t> block;
  std::vector<AnsiString> names;
};

std::vector<std::uint8_t> Header(std::uint32_t offset, bool wide) {
  std::vector<std::uint8_t> b(20, 0);
  b[0] = static_cast<std::uint8_t>(offset);
  b[1] = static_cast<std::uint8_t>(offset >> 8);
  b[2] = static_cast<std::uint8_t>(offset >> 16);
  b[3] = static_cast<std::uint8_t>(offset >> 24);
  b[16] = wide ? 1 : 0;
  return b;
}

std::vector<std::uint8_t> With(std::vector<std::uint8_t> b, const std::string& tail) {
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

const std::vector<AnsiString> kTwo{"C:\\a.csv", "D:\\b.txt"};

class DropFilesTest : public testing::TestWithParam<FilesCase> {};

TEST_P(DropFilesTest, GivesOnlyCompleteNames) {
  EXPECT_EQ(ReadDropFiles(GetParam().block), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, DropFilesTest,
    testing::Values(
        FilesCase{"Narrow", MakeDropFiles(kTwo, false), kTwo},
        FilesCase{"Wide", MakeDropFiles(kTwo, true), kTwo},
        FilesCase{"GreekWide", MakeDropFiles({"C:\\Έργο.csv"_a}, true), {"C:\\Έργο.csv"_a}},
        FilesCase{"GreekNarrow", MakeDropFiles({"C:\\Έργο.csv"_a}, false), {"C:\\Έργο.csv"_a}},
        FilesCase{"Empty", {}, {}}, FilesCase{"ShortHeader", std::vector<std::uint8_t>(19, 0), {}},
        FilesCase{"OffsetPastEnd", With(Header(4000, false), std::string("a\0\0", 3)), {}},
        FilesCase{"OffsetHuge", With(Header(0xFFFFFFFFu, true), std::string("a\0\0", 3)), {}},
        FilesCase{"LastNameCut", With(Header(20, false), std::string("ab\0cd", 5)), {"ab"}},
        FilesCase{"NoEndMarker", With(Header(20, false), std::string("ab\0cd\0", 6)), {"ab", "cd"}},
        FilesCase{"WideOddTail", With(Header(20, true), std::string("a\0\0\0b", 5)), {"a"}},
        FilesCase{"OffsetInsideHeader", Header(4, false), {}},
        FilesCase{"StopsAtEmptyName", With(Header(22, false), std::string("xxa\0\0b\0", 7)), {"a"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UiTest, FilesDroppedOnAWindowWithATargetArriveAsAFileList) {
  ui::dragdrop::Reset();
  TDemoForm& f = ShowDemo();
  std::vector<AnsiString> seen;
  class TFilesTarget : public IDropTarget {
   public:
    std::vector<AnsiString>* Seen = nullptr;
    HRESULT DragEnter(IDataObject*, DWORD, TPoint, DWORD& effect) override {
      effect = DROPEFFECT_COPY;
      return S_OK;
    }
    HRESULT DragOver(DWORD, TPoint, DWORD&) override { return S_OK; }
    HRESULT DragLeave() override { return S_OK; }
    HRESULT Drop(IDataObject* data, DWORD, TPoint, DWORD&) override {
      IEnumFORMATETC* e = nullptr;
      if (data->EnumFormatEtc(DATADIR_GET, &e) != S_OK) return S_OK;
      FORMATETC f;
      ULONG n = 0;
      while (e->Next(1, &f, &n) == S_OK) {
        STGMEDIUM m;
        if (f.cfFormat == CF_HDROP && data->GetData(f, m) == S_OK) *Seen = ReadDropFiles(m.Block);
      }
      e->Release();
      return S_OK;
    }
  };
  TComPtr<TFilesTarget> files(new TFilesTarget);
  files->Seen = &seen;
  ASSERT_EQ(RegisterDragDrop(f.Edit1->Handle(), files.Get()), S_OK);
  const std::vector<AnsiString> names{"/tmp/Έργο.ddn"_a, "/tmp/b.csv"};
  backend->DropFiles(*f.Edit1, 3, 3, names);
  EXPECT_EQ(seen, names);
  seen.clear();
  RevokeDragDrop(f.Edit1->Handle());
  backend->DropFiles(*f.Edit1, 3, 3, names);  // nobody takes them now
  EXPECT_TRUE(seen.empty());
  ui::dragdrop::Reset();
}

}  // namespace
