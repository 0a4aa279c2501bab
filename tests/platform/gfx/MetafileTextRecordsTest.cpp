// The metafile canvas writes its text, font and clipping records in place;
// here each is compared byte for byte with the same record built field by
// field from the call that made it and the canvas's state at the time.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

#include "platform/gfx/Metafile.h"
#include "platform/gfx/TextEngine.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/Cp1253.h"

namespace {

using le::Get32;
using le::Put16;
using le::Put32;

void PutRect(std::string& s, const TRect& r) {
  for (int v : {r.Left, r.Top, r.Right, r.Bottom}) Put32(s, static_cast<std::uint32_t>(v));
}

void PutFloat(std::string& s, float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  Put32(s, v);
}

// Type and size, then the fields, padded to four bytes.
std::string Record(std::uint32_t type, const std::string& fields) {
  std::string r;
  Put32(r, type);
  Put32(r, static_cast<std::uint32_t>(8 + (fields.size() + 3) / 4 * 4));
  r += fields;
  r.resize((r.size() + 3) / 4 * 4, '\0');
  return r;
}

struct TextCall {
  int X, Y;
  unsigned Options;
  std::optional<TRect> Rect;
  WideString Wide;  // as the record holds it
  std::vector<int> Advances;
};

// A text-out record as the drawing interface writes it, from the canvas's
// state and the call.
std::string PlainTextRecord(TCanvas& c, const TextCall& call) {
  const TTextMetric tm = c.GetTextMetrics();
  const TPoint at = c.LPtoDP(TPoint{call.X, call.Y});
  const unsigned align = c.DeviceTextAlign();
  long long sum = 0;
  for (int a : call.Advances) sum += a;
  const int width = static_cast<int>(std::clamp(sum, -(1LL << 30), 1LL << 30));
  const int left = (align & TA_CENTER) == TA_CENTER ? at.X - width / 2
                   : (align & TA_RIGHT)             ? at.X - width
                                                    : at.X;
  const int top = (align & TA_BASELINE) == TA_BASELINE ? at.Y - tm.tmAscent
                  : (align & TA_BOTTOM)                ? at.Y - tm.tmHeight
                                                       : at.Y;
  // The call's rectangle in device units; all zero for none.
  const TRect rect = call.Rect ? c.LPtoDP(*call.Rect) : TRect{};
  TRect cell{left, top, left + std::max(1, width) - 1, top + tm.tmHeight - 1};
  if (call.Rect && (call.Options & ETO_CLIPPED))
    cell = {std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom),
            std::max(rect.Left, rect.Right) - 1, std::max(rect.Top, rect.Bottom) - 1};
  std::string f;
  PutRect(f, cell);
  Put32(f, 1);
  PutFloat(f, static_cast<float>(2540.0 / c.GetDeviceCaps(LOGPIXELSX)));
  PutFloat(f, static_cast<float>(2540.0 / c.GetDeviceCaps(LOGPIXELSY)));
  Put32(f, static_cast<std::uint32_t>(at.X));
  Put32(f, static_cast<std::uint32_t>(at.Y));
  Put32(f, static_cast<std::uint32_t>(call.Wide.size()));
  Put32(f, 76);
  Put32(f, call.Options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING));
  PutRect(f, rect);
  Put32(f, static_cast<std::uint32_t>(76 + (call.Wide.size() * 2 + 3) / 4 * 4));
  for (char16_t ch : call.Wide) Put16(f, ch);
  while ((f.size() + 8) % 4) f += '\0';
  for (int a : call.Advances) Put32(f, static_cast<std::uint32_t>(a));
  return Record(emr::EXTTEXTOUTW, f);
}

std::string PlainFontRecord(std::uint32_t handle, const TFont& font) {
  std::string f;
  Put32(f, handle);
  Put32(f, static_cast<std::uint32_t>(font.Height()));
  Put32(f, 0);
  Put32(f, static_cast<std::uint32_t>(font.Orientation));
  Put32(f, static_cast<std::uint32_t>(font.Orientation));
  Put32(f, (font.Style & fsBold) ? 700 : 400);
  f += static_cast<char>((font.Style & fsItalic) ? 1 : 0);
  f += static_cast<char>((font.Style & fsUnderline) ? 1 : 0);
  f += static_cast<char>((font.Style & fsStrikeOut) ? 1 : 0);
  f += static_cast<char>(font.Charset);
  f += std::string(3, '\0');
  f += static_cast<char>(font.Pitch == fpFixed ? 1 : font.Pitch == fpVariable ? 2 : 0);
  WideString face = cp1253::ToWide(font.Name.Value().substr(0, 31));
  face.resize(32, u'\0');
  for (char16_t ch : face) Put16(f, ch);
  return Record(emr::EXTCREATEFONTINDIRECTW, f);
}

std::string PlainClipRecord(TCanvas& c) {
  std::string f;
  const TRegion* region = c.ClipRegion();
  if (region == nullptr) {
    Put32(f, 0);
    Put32(f, 5);
    return Record(emr::EXTSELECTCLIPRGN, f);
  }
  Put32(f, static_cast<std::uint32_t>(32 + 16 * region->size()));
  Put32(f, 5);
  Put32(f, 32);
  Put32(f, 1);
  Put32(f, static_cast<std::uint32_t>(region->size()));
  Put32(f, static_cast<std::uint32_t>(16 * region->size()));
  PutRect(f, c.ClipRect());
  for (const TRect& r : *region) PutRect(f, r);
  return Record(emr::EXTSELECTCLIPRGN, f);
}

std::vector<std::string> RecordsOf(const TMetafile& mf, std::uint32_t type) {
  std::vector<std::string> out;
  EXPECT_TRUE(EnumEnhMetafile(mf.Data(), [&](std::uint32_t t, std::string_view r) {
    if (t == type) out.emplace_back(r);
    return true;
  }));
  return out;
}

std::vector<int> AdvancesOf(const std::vector<int>& ends) {
  std::vector<int> advances;
  for (size_t i = 0; i < ends.size(); ++i) advances.push_back(ends[i] - (i ? ends[i - 1] : 0));
  return advances;
}

// Draws with the canvas and notes the records the same calls make the
// plain way, in order.
struct Drawing {
  TCanvas& c;
  std::vector<std::string> texts, clips;
  void Text(int x, int y, unsigned options, const TRect* rect, const AnsiString& text,
            const int* dx = nullptr) {
    TextCall call{x, y, options, rect ? std::optional<TRect>(*rect) : std::nullopt, {}, {}};
    if (c.Font->Name == "Symbol")
      for (unsigned char ch : text) call.Wide += static_cast<char16_t>(0xF000 | ch);
    else
      call.Wide = gfx::ToWideInCodePage(gfx::CodePageOfCharset(c.Font->Charset), text);
    call.Advances = dx ? std::vector<int>(dx, dx + text.size()) : AdvancesOf(c.CharacterEnds(text));
    texts.push_back(PlainTextRecord(c, call));
    c.ExtTextOut(x, y, options, rect, text, dx);
  }
  void Wide(int x, int y, unsigned options, const WideString& text, const int* dx = nullptr) {
    TextCall call{x, y, options, std::nullopt, text, {}};
    call.Advances = dx ? std::vector<int>(dx, dx + text.size()) : AdvancesOf(c.CharacterEndsW(text));
    texts.push_back(PlainTextRecord(c, call));
    c.ExtTextOutW(x, y, options, nullptr, text, dx);
  }
  void Clip(const std::function<void()>& change) {
    change();
    clips.push_back(PlainClipRecord(c));
  }
};

struct Case {
  const char* name;
  std::function<void(Drawing&)> draw;
};

TEST(MetafileTextRecords, AreTheRecordsTheirFieldsMakeByteForByte) {
  const int dx[] = {7, 0, -3, 12, 9, 9, 9, 9, 9, 9, 9, 9};
  const Case cases[] = {
      {"code page, odd length",
       [](Drawing& d) {
         d.c.Font->Name = "Arial";
         d.c.Font->SetSize(10);
         d.c.Brush->Style = bsClear;
         d.Text(15, 25, 0, nullptr, "Τιμή 12,5"_a);
         d.Text(15, 45, 0, nullptr, "ab");
         d.Text(15, 65, 0, nullptr, "");
       }},
      {"advances given, base line, clipped and opaque",
       [&](Drawing& d) {
         d.c.Font->Name = "Times New Roman";
         d.c.Font->SetSize(14);
         d.c.Font->Style = fsBold | fsItalic;
         d.c.SetTextAlign(TA_LEFT | TA_BASELINE);
         const TRect box{10, 10, 80, 30};
         d.Text(12, 28, ETO_CLIPPED | ETO_OPAQUE, &box, "Σύνολο"_a, dx);
         d.c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
         d.Text(200, 90, ETO_RTLREADING, &box, "1.234,56", dx);
       }},
      {"wide text, centred",
       [&](Drawing& d) {
         d.c.Font->Name = "Arial";
         d.c.Font->SetHeight(-300);
         d.c.SetTextAlign(TA_CENTER | TA_TOP);
         d.Wide(300, 40, 0, u"Жизнь \u05D0\u05D1 €");
         d.Wide(300, 400, 0, u"ΑΒΓΔ", dx);
       }},
      {"symbol face and fonts of every field",
       [](Drawing& d) {
         d.c.Font->Name = "Symbol";
         d.Text(5, 5, 0, nullptr, "abgd");
         d.c.Font->Name = "A face whose name is longer than thirty-one letters";
         d.c.Font->Style = fsItalic | fsUnderline | fsStrikeOut;
         d.c.Font->Pitch = fpFixed;
         d.c.Font->Orientation = 900;
         d.c.Font->Charset = GREEK_CHARSET;
         d.Text(5, 50, 0, nullptr, "xyz");
         d.c.Font->Pitch = fpVariable;
         d.c.Font->Charset = HEBREW_CHARSET;
         d.Text(5, 90, 0, nullptr, "\xe0\xe1 a");
       }},
      {"mapped and mirrored",
       [](Drawing& d) {
         d.c.SetMapMode(MM_ANISOTROPIC);
         d.c.SetWindowExtEx(1440, 1440);
         d.c.SetViewportExtEx(-96, 96);
         d.c.SetViewportOrgEx(500, 20);
         d.c.SetTextAlign(TA_LEFT | TA_BASELINE);
         const TRect box{0, 0, 2880, 720};
         d.Text(1440, 360, ETO_CLIPPED, &box, "Mirrored");
       }},
      // The metrics that place the text's cell are kept for a few fonts:
      // here more fonts than are kept come back in turn, and fonts that
      // differ in their colour alone or in one field each.
      {"fonts back and forth",
       [](Drawing& d) {
         d.c.SetTextAlign(TA_LEFT | TA_BOTTOM);
         for (int round = 0; round < 3; ++round)
           for (int size = 6; size <= 26; size += 2) {
             d.c.Font->Name = size % 4 ? "Arial" : "Courier New";
             d.c.Font->SetSize(size);
             d.c.Font->Color = round % 2 ? clRed : clBlack;
             d.Text(10, 10 + size * 10, 0, nullptr, "Ab");
           }
         const auto each = [&](const std::function<void()>& change) {
           change();
           d.Text(30, 300, 0, nullptr, "Ab");
         };
         each([&] { d.c.Font->Style = fsBold; });
         each([&] { d.c.Font->Charset = GREEK_CHARSET; });
         each([&] { d.c.Font->Pitch = fpFixed; });
         each([&] { d.c.Font->Orientation = 900; });
         each([&] { d.c.Font->PixelsPerInch = 300; });
         each([&] { d.c.Font->SetHeight(-40); });
         each([&] { d.c.Font->Name = "Times New Roman"; });
         each([&] { d.c.Font->Style = 0; });
       }},
      {"clipping",
       [](Drawing& d) {
         d.Clip([&] { d.c.IntersectClipRect(TRect{10, 10, 200, 100}); });
         d.Text(12, 12, 0, nullptr, "in");
         const TRegion two{{0, 0, 50, 50}, {60, 0, 90, 40}};
         d.Clip([&] { d.c.SelectClipRgn(&two); });
         d.Clip([&] { d.c.IntersectClipRect(TRect{20, 20, 70, 30}); });
         d.Clip([&] { d.c.SelectClipRgn(nullptr); });
         const int saved = d.c.SaveDC();
         d.Clip([&] { d.c.IntersectClipRect(TRect{0, 0, 0, 0}); });
         d.Clip([&] { d.c.RestoreDC(saved); });
         d.Text(12, 40, 0, nullptr, "out");
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TMetafile mf;
    mf.SetWidth(800);
    mf.SetHeight(600);
    std::vector<std::string> texts, clips;
    {
      TMetafileCanvas canvas(&mf);
      Drawing d{canvas, {}, {}};
      k.draw(d);
      texts = d.texts;
      clips = d.clips;
    }
    EXPECT_EQ(RecordsOf(mf, emr::EXTTEXTOUTW), texts);
    EXPECT_EQ(RecordsOf(mf, emr::EXTSELECTCLIPRGN), clips);
  }
}

TEST(MetafileTextRecords, FontRecordsHoldEveryFieldOfTheirFont) {
  TMetafile mf;
  mf.SetWidth(100);
  mf.SetHeight(100);
  std::vector<std::string> expected;
  {
    TMetafileCanvas c(&mf);
    const auto draw = [&] {
      // A new font takes the first free handle, while the one it
      // replaces still holds its own: 1, 2, 1.
      expected.push_back(PlainFontRecord(expected.size() % 2 ? 2 : 1, *c.Font));
      c.TextOut(0, 0, "x");
    };
    c.Font->Name = "Arial";
    draw();
    c.Font->Name = "A face whose name is longer than thirty-one letters";
    c.Font->Style = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    c.Font->Pitch = fpFixed;
    c.Font->Orientation = -450;
    c.Font->Charset = ARABIC_CHARSET;
    c.Font->SetHeight(-77);
    draw();
    c.Font->Name = "Έντονη"_a;
    c.Font->Pitch = fpVariable;
    c.Font->Style = 0;
    draw();
    c.TextOut(0, 0, "the same font again");
  }
  EXPECT_EQ(RecordsOf(mf, emr::EXTCREATEFONTINDIRECTW), expected);
}

}  // namespace
