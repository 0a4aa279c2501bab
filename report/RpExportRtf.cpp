// The RTF export: every text of a page sits on a grid of one point; the
// texts of one grid line are one paragraph with tab stops at their places,
// and the space before each paragraph keeps the gap above it.
#include <algorithm>

#include "platform/gfx/TextEngine.h"
#include "platform/rtl/Cp1253.h"
#include "report/BandRpt.h"

namespace {

// The fixed colours after black, as red-green-blue values.
constexpr std::uint32_t kRgbTable[17] = {0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                         0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF,
                                         0xFF00FF, 0x00FFFF, 0xC0C0C0, 0x808080, 0xFFFFFF};

// The same colours as the program keeps colours: blue in the high byte.
TColor TableColor(int i) {
  const std::uint32_t rgb = kRgbTable[i];
  return static_cast<TColor>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

const char* const kFamilyNames[8] = {"\\fnil",    "\\froman", "\\fswiss", "\\fmodern",
                                     "\\fscript", "\\fdecor", "\\ftech",  "\\fbidi"};

bool LessIgnoringCase(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; }

std::vector<TRpFontFace>& FontListStore() {
  static std::vector<TRpFontFace> list;
  return list;
}

// The family number from the face the font configuration gives.
int FamilyOf(const AnsiString& face) {
  const std::string family = gfx::MappedFamily(face);
  if (family.find("Mono") != std::string::npos) return 3;
  if (family.find("Serif") != std::string::npos) return 1;
  if (family.find("Sans") != std::string::npos) return 2;
  return 0;
}

}  // namespace

std::function<std::vector<TRpFontFace>()> RpInstalledFonts = [] {
  std::vector<TRpFontFace> faces;
  for (const AnsiString& name : gfx::FontFaceNames()) faces.push_back({name, FamilyOf(name)});
  return faces;
};

int RpRTFSpacingCorrection = 50;

const std::vector<TRpFontFace>& TRpRTFExportFilter::FontList() { return FontListStore(); }

int TRpRTFExportFilter::FontIndexOf(const AnsiString& name) {
  const std::vector<TRpFontFace>& list = FontListStore();
  auto it = std::lower_bound(list.begin(), list.end(), name, [](const TRpFontFace& f, const AnsiString& n) {
    return LessIgnoringCase(f.Name, n);
  });
  if (it == list.end() || !SameText(it->Name, name)) return -1;
  return static_cast<int>(it - list.begin());
}

int TRpRTFExportFilter::ColorIndex(TColor color) {
  for (int i = 0; i < 17; ++i)
    if (TableColor(i) == color) return i + 1;
  return 0;
}

AnsiString TRpRTFExportFilter::Escape(const AnsiString& text) {
  AnsiString out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '{' || c == '}') out += '\\';
    out += c;
  }
  return out;
}

void TRpRTFExportFilter::Start(int paperWidth, int paperHeight, TFont* font) {
  (void)paperWidth;
  if (Started) return;
  Started = true;
  int paperIndex = 0;
  if (Report != nullptr) {
    TRpPage& page = *Report->Page();
    const TRpUnit saved = page.Units;
    page.Units = TRpUnit::Inches;
    PaperLength = page.Length() * 1440;
    PaperWidth = page.Width() * 1440;
    TopMargin = page.TopMargin() * 1440;
    BottomMargin = page.BottomMargin() * 1440;
    LeftMargin = page.LeftMargin() * 1440;
    RightMargin = page.RightMargin() * 1440;
    page.Units = saved;
    Landscape = page.Orientation() == poLandscape;
    paperIndex = static_cast<int>(page.PaperSize());
  } else {
    TopMargin = BottomMargin = LeftMargin = RightMargin = 720;
    PaperLength = PaperWidth = 0;
  }

  std::vector<TRpFontFace>& list = FontListStore();
  list.clear();
  for (const TRpFontFace& face : RpInstalledFonts())
    if (list.empty() || !SameText(list.back().Name, face.Name)) list.push_back(face);
  std::stable_sort(list.begin(), list.end(), [](const TRpFontFace& a, const TRpFontFace& b) {
    return LessIgnoringCase(a.Name, b.Name);
  });

  file_ = std::make_unique<TRpExportFile>(FileName);
  PageBreakPending = false;
  LineHeight = (font != nullptr ? font->Size() : 0) * 254.0L / 72;
  LinesPerPage = std::max(0, static_cast<int>(Round(paperHeight / PointSize)));

  // The code page and the fonts' character set keep the Greek readable.
  Header = "{\\rtf1\\ansi\\ansicpg1253\\deff0\\deftab720";
  if (PaperLength > 0)
    Header += "\\paperh" + IntToStr(Round(PaperLength)) + "\\paperw" + IntToStr(Round(PaperWidth)) + "\\psz" +
              IntToStr(paperIndex);
  Header += "\\margl" + IntToStr(Round(LeftMargin)) + "\\margr" + IntToStr(Round(RightMargin)) + "\\margt" +
            IntToStr(Round(TopMargin)) + "\\margb" + IntToStr(Round(BottomMargin));
  if (Landscape) Header += "\\landscape";

  FontTable = "{\\fonttbl";
  for (std::size_t i = 0; i < list.size(); ++i)
    FontTable += "{\\f" + IntToStr(static_cast<Int64>(i)) + kFamilyNames[list[i].Family & 7] +
                 "\\fcharset161 " + list[i].Name + ";}";
  FontTable += "}";

  auto rgb = [](TColor c) {
    return "\\red" + IntToStr(c & 0xFF) + "\\green" + IntToStr((c >> 8) & 0xFF) + "\\blue" +
           IntToStr((c >> 16) & 0xFF) + ";";
  };
  ColorTable = "{\\colortbl" + rgb(clBlack);
  for (int i = 0; i < 17; ++i) ColorTable += rgb(TableColor(i));
  ColorTable += "}";

  for (const AnsiString& line : {Header, FontTable, ColorTable, AnsiString("\\deflang1033"),
                                 AnsiString("\\pard\\plain"), AnsiString("\\par ")})
    file_->WriteLine(line);
  TRpExportFilter::Start(paperWidth, paperHeight, font);
}

void TRpRTFExportFilter::NewPage() { Lines.assign(static_cast<std::size_t>(LinesPerPage), {}); }

void TRpRTFExportFilter::TextOut(Extended x, Extended y, TFont* font, TColor, TAlignment alignment,
                                 const AnsiString& text) {
  TRpRTFItem item;
  item.X = x;
  item.Y = y;
  item.Alignment = alignment == taRightJustify ? 1 : alignment == taCenter ? 2 : 0;
  item.Text = Escape(text);
  if (font != nullptr) {
    item.FontIndex = FontIndexOf(font->Name);
    item.Color = font->Color;
    item.Style = font->Style;
    item.Size = font->Size() * 2;
  }
  // Texts above the page have no line, like those below it.
  const Int64 line = Round(y / PointSize);
  if (line < 0 || line >= static_cast<Int64>(Lines.size())) return;
  std::vector<TRpRTFItem>& items = Lines[static_cast<std::size_t>(line)];
  auto at = std::upper_bound(items.begin(), items.end(), item.X,
                             [](Extended v, const TRpRTFItem& i) { return v < i.X; });
  items.insert(at, std::move(item));
}

void TRpRTFExportFilter::EndPage() {
  if (!file_) return;
  if (PageBreakPending) file_->WriteLine("{\\page }");
  Extended lastY = TopMargin * 254 / 1440;
  int maxSize = 0;
  for (const std::vector<TRpRTFItem>& line : Lines) {
    if (line.empty()) continue;
    AnsiString para, body;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const TRpRTFItem& item = line[i];
      if (i == 0) {
        para = "\\pard\\plain";
        const Int64 d = Round((item.Y - lastY) * 1440 / 254) - maxSize * 10 - RpRTFSpacingCorrection;
        if (d > 0) para += "\\sb" + IntToStr(d);
      }
      maxSize = std::max(maxSize, item.Size);
      lastY = std::max(lastY, item.Y);
      const Int64 tab = Round(item.X * 1440 / 254 - LeftMargin) + 20;
      para += item.Alignment == 1 ? "\\tqr" : item.Alignment == 2 ? "\\tqc" : "\\tql";
      para += "\\tx" + IntToStr(tab);
      body += "\\tab\\plain";
      if (item.FontIndex >= 0) body += "\\f" + IntToStr(item.FontIndex);
      body += "\\fs" + IntToStr(item.Size);
      if (item.Style & fsBold) body += "\\b";
      if (item.Style & fsItalic) body += "\\i";
      if (item.Style & fsUnderline) body += "\\ul";
      if (item.Style & fsStrikeOut) body += "\\strike";
      if (const int color = ColorIndex(item.Color)) body += "\\cf" + IntToStr(color) + " ";
      body += " " + item.Text;
    }
    file_->WriteLine(para);
    file_->WriteLine("{\\plain" + body + "{\\fs1\\par}}");
    PageBreakPending = true;
  }
}

void TRpRTFExportFilter::Finish() {
  if (KeepOpen) return;
  if (file_) {
    file_->WriteLine("\\par }");
    file_->Commit();
    file_.reset();
  }
  Lines.clear();
  TRpExportFilter::Finish();
}
