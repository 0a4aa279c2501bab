// The grid family's drag and drop objects: what a target accepts and
// delivers, what a source object offers, and whole drags through the
// layer's loop.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "grid/EsgDD.h"
#include "platform/rtl/Cp1253.h"
#include "tests/platform/ui/BlockDataObject.h"

namespace {

// An object dragged in from elsewhere: fixed blocks per format, with or
// without a format list.
using TForeignData = TBlockData;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// Writes down every hook call.
class TRecordingTarget : public TESGDropTarget {
 public:
  std::string Log;
  bool Refuse = false;

 protected:
  void DropText(TPoint, const AnsiString& text) override { Log += "text:" + text + ";"; }
  void DropCol(TPoint, std::int32_t col) override { Log += "col:" + std::to_string(col) + ";"; }
  void DropRTF(TPoint, const AnsiString& rtf) override { Log += "rtf:" + rtf + ";"; }
  void DropFiles(TPoint, const std::vector<AnsiString>& files) override {
    for (const AnsiString& f : files) Log += "file:" + f + ";";
  }
  void DragMouseMove(TPoint pt, bool& allow, std::uint8_t formats) override {
    Log += "move:" + std::to_string(pt.X) + "/" + std::to_string(formats) + ";";
    if (Refuse) allow = false;
  }
  void DragMouseEnter() override { Log += "enter;"; }
  void DragMouseLeave() override { Log += "leave;"; }
};

class EsgDDTest : public testing::Test {
 protected:
  void SetUp() override {
    SetDropRTF(false);
    ui::dragdrop::Reset();
    TEnumFormats registering(nullptr);  // the named formats get their ids
  }
  void TearDown() override {
    SetDropRTF(false);
    ui::dragdrop::Reset();
  }
  // Enters and drops Data on Target with the keys given.
  static DWORD EnterAndDrop(TRecordingTarget& target, IDataObject* data, DWORD keys) {
    DWORD effect = 0;
    target.DragEnter(data, keys | MK_LBUTTON_STATE, Point(5, 6), effect);
    const DWORD entered = effect;
    target.Drop(data, keys, Point(5, 6), effect);
    EXPECT_EQ(entered, effect);
    return effect;
  }
};

TEST_F(EsgDDTest, TextIsRefusedWhenOnlyFilesAreAccepted) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->AcceptText = false;
  TComPtr<TSourceDataObject> data(new TSourceDataObject("abc", -1, ""));
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), 0), DROPEFFECT_NONE);
  EXPECT_FALSE(target->DropAllowed());
  EXPECT_EQ(target->Formats(), kDragText | kDragRTF);  // listed, though not served
  EXPECT_EQ(target->Log, "enter;");
}

TEST_F(EsgDDTest, CtrlCopiesAndPlainMoves) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  TComPtr<TSourceDataObject> data(new TSourceDataObject("abc", -1, ""));
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), MK_CONTROL_STATE), DROPEFFECT_COPY);
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), 0), DROPEFFECT_MOVE);
  EXPECT_EQ(target->Log, "enter;text:abc;enter;text:abc;");
}

struct FileListCase {
  const char* name;
  bool wide;
};

class EsgDDFilesTest : public EsgDDTest, public testing::WithParamInterface<FileListCase> {};

TEST_P(EsgDDFilesTest, WideAndNarrowListsGiveTheSameNames) {
  const std::vector<AnsiString> names{"C:\\Δεδομένα\\a.csv"_a, "C:\\b.xls"};
  TComPtr<TForeignData> data(new TForeignData);
  data->Blocks[CF_HDROP] = MakeDropFiles(names, GetParam().wide);
  TEnumFormats formats(data.Get());
  ASSERT_TRUE(formats.HasFiles());
  std::vector<AnsiString> got{"stale"};
  EXPECT_TRUE(formats.GetFiles(got));
  EXPECT_EQ(got, names);
}

INSTANTIATE_TEST_SUITE_P(Lists, EsgDDFilesTest,
                         testing::Values(FileListCase{"Narrow", false}, FileListCase{"Wide", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EsgDDTest, TextAndFilesReachAFilesOnlyTargetTogether) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->AcceptText = false;
  TComPtr<TForeignData> data(new TForeignData);
  data->Blocks[CF_TEXT] = Bytes(std::string("hello\0junk", 10));
  data->Blocks[CF_HDROP] = MakeDropFiles({"C:\\x.csv"}, true);
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), 0), DROPEFFECT_MOVE);
  EXPECT_EQ(target->Formats(), kDragText | kDragFiles);
  EXPECT_EQ(target->Log, "enter;text:hello;file:C:\\x.csv;");
}

TEST_F(EsgDDTest, AnObjectWithoutAFormatListIsRefused) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  TComPtr<TForeignData> data(new TForeignData);
  data->Blocks[CF_TEXT] = Bytes("abc");
  data->GivesEnumerator = false;
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), 0), DROPEFFECT_NONE);
  EXPECT_EQ(target->Formats(), 0);
  EXPECT_EQ(target->Log, "enter;");
  // Read alone, such an object breaks what every dragged object promises.
  std::string error;
  try {
    TEnumFormats formats(data.Get());
  } catch (const EAssertionFailed& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "Cannot get the format enumerator");
}

TEST_F(EsgDDTest, AColumnGoesOnlyToATargetTakingColumns) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->AcceptText = false;  // the column drag lists text too
  TComPtr<TSourceDataObject> data(new TSourceDataObject("", 7, ""));
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), 0), DROPEFFECT_NONE);
  target->AcceptCols = true;
  EXPECT_EQ(EnterAndDrop(*target.Get(), data.Get(), 0), DROPEFFECT_MOVE);
  EXPECT_EQ(target->Formats(), kDragText | kDragColumn | kDragRTF);  // listed, even when not served
  EXPECT_EQ(target->Log, "enter;enter;col:7;");
}

TEST_F(EsgDDTest, RichTextIsPreferredOnlyWhenSwitchedOn) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  TComPtr<TSourceDataObject> data(new TSourceDataObject("plain", -1, "{\\rtf1 x}"));
  EnterAndDrop(*target.Get(), data.Get(), 0);
  SetDropRTF(true);
  EnterAndDrop(*target.Get(), data.Get(), 0);
  EXPECT_EQ(target->Log, "enter;text:plain;enter;rtf:{\\rtf1 x};");
}

TEST_F(EsgDDTest, EmptyRichTextIsRefusedAndTheTextGoesInstead) {
  SetDropRTF(true);
  TComPtr<TSourceDataObject> data(new TSourceDataObject("plain", -1, ""));
  FORMATETC f;
  f.cfFormat = RichTextFormatId();
  EXPECT_EQ(data->QueryGetData(f), DV_E_FORMATETC);
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  EnterAndDrop(*target.Get(), data.Get(), 0);
  EXPECT_EQ(target->Log, "enter;text:plain;");
}

TEST_F(EsgDDTest, ADragOverHookCanRefuse) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  TComPtr<TSourceDataObject> data(new TSourceDataObject("abc", -1, ""));
  DWORD effect = 0;
  target->DragEnter(data.Get(), MK_LBUTTON_STATE, Point(1, 1), effect);
  target->DragOver(MK_LBUTTON_STATE | MK_CONTROL_STATE, Point(2, 1), effect);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  target->Refuse = true;
  target->DragOver(MK_LBUTTON_STATE, Point(3, 1), effect);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  target->DragLeave();
  EXPECT_EQ(target->Log, "enter;move:2/9;move:3/9;leave;");
}

struct OfferCase {
  const char* name;
  AnsiString text;
  std::int32_t col;
  int listed;
  std::vector<UINT> (*served)();
};

class EsgDDOfferTest : public EsgDDTest, public testing::WithParamInterface<OfferCase> {};

TEST_P(EsgDDOfferTest, ListsAndServes) {
  TComPtr<TSourceDataObject> data(new TSourceDataObject(GetParam().text, GetParam().col, "{\\rtf1}"));
  TEnumFormats formats(data.Get());
  std::vector<UINT> listed, served;
  formats.Reset();
  while (formats.Next()) {
    listed.push_back(formats.Format());
    std::vector<std::uint8_t> block;
    if (formats.GlobalHandle(block)) served.push_back(formats.Format());
  }
  EXPECT_EQ(static_cast<int>(listed.size()), GetParam().listed);
  EXPECT_EQ(formats.Count, GetParam().listed + 1);
  EXPECT_EQ(served, GetParam().served());
}

INSTANTIATE_TEST_SUITE_P(Drags, EsgDDOfferTest,
                         testing::Values(OfferCase{"Column", "", 3, 4,
                                                   [] { return std::vector<UINT>{GridColumnFormatId()}; }},
                                         OfferCase{"Text", "ab", -1, 3,
                                                   [] {
                                                     return std::vector<UINT>{CF_TEXT, CF_UNICODETEXT};
                                                   }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EsgDDTest, BlocksHaveTheirExactSizes) {
  TComPtr<TSourceDataObject> data(new TSourceDataObject("Αβ", -1, "{\\rtf1}"));
  data->Text = "Αβ"_a;
  SetDropRTF(true);
  auto sizeOf = [&](UINT cf) {
    FORMATETC f;
    f.cfFormat = cf;
    STGMEDIUM m;
    return data->GetData(f, m) == S_OK ? static_cast<int>(m.Block.size()) : -1;
  };
  EXPECT_EQ(sizeOf(CF_TEXT), 3);
  EXPECT_EQ(sizeOf(CF_UNICODETEXT), 6);
  EXPECT_EQ(sizeOf(RichTextFormatId()), 8);
  EXPECT_EQ(sizeOf(GridColumnFormatId()), -1);
  EXPECT_EQ(sizeOf(CF_HDROP), -1);
  FORMATETC wrongMedium;
  wrongMedium.tymed = 4;
  EXPECT_EQ(data->QueryGetData(wrongMedium), DV_E_FORMATETC);
  IEnumFORMATETC* e = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &e), E_NOTIMPL);
  EXPECT_EQ(e, nullptr);
  TComPtr<TSourceDataObject> column(new TSourceDataObject("", -2, ""));
  FORMATETC f;
  f.cfFormat = GridColumnFormatId();
  STGMEDIUM m;
  ASSERT_EQ(column->GetData(f, m), S_OK);
  EXPECT_EQ(m.Block, (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
}

// The dragged object answers the calls it serves nothing for, with its
// outputs cleared.
TEST_F(EsgDDTest, TheUnservedCallsAnswerAsTheyShould) {
  TComPtr<TSourceDataObject> data(new TSourceDataObject("a", -1, ""));
  FORMATETC f;
  STGMEDIUM m;
  EXPECT_EQ(data->GetDataHere(f, m), DV_E_FORMATETC);
  EXPECT_EQ(data->SetData(f, m, true), DV_E_FORMATETC);
  FORMATETC canonical;
  canonical.ptd = &canonical;
  EXPECT_EQ(data->GetCanonicalFormatEtc(f, canonical), E_NOTIMPL);
  EXPECT_EQ(canonical.ptd, nullptr);
  DWORD connection = 7;
  EXPECT_EQ(data->DAdvise(f, 0, data.Get(), &connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(connection, 0u);
  EXPECT_EQ(data->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
  IUnknown* advises = data.Get();
  EXPECT_EQ(data->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(advises, nullptr);
}

TEST_F(EsgDDTest, TheFormatListStepsSkipsAndClones) {
  TComPtr<TSourceEnumFormatEtc> e(new TSourceEnumFormatEtc(0, true));
  FORMATETC out[5];
  ULONG n = 0;
  EXPECT_EQ(e->Next(2, out, &n), S_OK);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(out[1].cfFormat, CF_UNICODETEXT);
  IEnumFORMATETC* raw = nullptr;
  ASSERT_EQ(e->Clone(&raw), S_OK);
  TComPtr<IEnumFORMATETC> clone(raw);
  raw->Release();
  EXPECT_EQ(e->Next(5, out, &n), S_FALSE);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(out[1].cfFormat, GridColumnFormatId());
  EXPECT_EQ(clone->Skip(1), S_OK);
  EXPECT_EQ(clone->Next(1, out, &n), S_OK);
  EXPECT_EQ(out[0].cfFormat, GridColumnFormatId());
  EXPECT_EQ(clone->Skip(1), S_FALSE);
  EXPECT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Skip(0xFFFFFFFFu), S_FALSE);
  EXPECT_EQ(clone->Next(1, out, &n), S_FALSE);
  EXPECT_EQ(n, 0u);
}

// A source that counts its feedback.
class TCountingSource : public TESGDropSource {
 public:
  int Effects = 0, Queries = 0;

 protected:
  void CurrentEffect(DWORD) override { ++Effects; }
  void QueryDrag() override { ++Queries; }
};

TEST_F(EsgDDTest, ATextDragDeliversThroughTheLoop) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  const HWND wnd = reinterpret_cast<HWND>(0x51);
  RegisterDragDrop(wnd, target.Get());
  TComPtr<TCountingSource> source(new TCountingSource);
  ui::dragdrop::SetInputSource([&] {
    ui::dragdrop::SetInputSource(nullptr);
    ui::dragdrop::MouseMove(wnd, Point(4, 4));
    ui::dragdrop::KeyDown(VK_CONTROL);
    ui::dragdrop::ButtonUp();
  });
  DWORD effect = 0;
  EXPECT_EQ(StartTextDrag(source.Get(), "a\tb", "", DROPEFFECT_COPY | DROPEFFECT_MOVE, effect),
            DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_EQ(target->Log, "enter;move:4/9;text:a\tb;");
  EXPECT_EQ(source->Queries, 3);
  EXPECT_EQ(source->Effects, 2);
}

TEST_F(EsgDDTest, AColumnDragOverARefusingWindowIsCancelled) {
  TComPtr<TRecordingTarget> target(new TRecordingTarget);
  target->AcceptText = false;  // and takes no columns
  const HWND wnd = reinterpret_cast<HWND>(0x52);
  RegisterDragDrop(wnd, target.Get());
  TComPtr<TCountingSource> source(new TCountingSource);
  ui::dragdrop::SetInputSource([&] {
    ui::dragdrop::SetInputSource(nullptr);
    ui::dragdrop::MouseMove(wnd, Point(4, 4));
    ui::dragdrop::ButtonUp();
  });
  DWORD effect = 9;
  EXPECT_EQ(StartColumnDrag(source.Get(), 2, DROPEFFECT_MOVE, effect), DRAGDROP_S_CANCEL);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_TRUE(source->NoDrop());
  EXPECT_EQ(target->Log, "enter;leave;");
}

}  // namespace
