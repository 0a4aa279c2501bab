// The rich-text printer's line printer: documents, pages, lines in
// columns, macros, and the header, footer, logo and borders of each page.

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/System.h"
#include "printing/RichPreview.h"
#include "printing/RichPrint.h"

namespace {

double ReadWidth(AnsiString text) {
  text = Trim(text);
  for (char& c : text)
    if (c == ',' || c == '.') c = DecimalSeparator;
  Extended v = 0;
  return TryStrToFloat(text, v) ? static_cast<double>(v) : 0.0;
}

std::vector<AnsiString> SplitBars(const AnsiString& s) {
  std::vector<AnsiString> items;
  size_t start = 0;
  while (true) {
    const size_t bar = s.find('|', start);
    if (bar == AnsiString::npos) {
      items.push_back(s.substr(start));
      return items;
    }
    items.push_back(s.substr(start, bar - start));
    start = bar + 1;
  }
}

}  // namespace

TColumnFormat TRichPrinter::ParseColumnFormat(const AnsiString& format, double defaultWidth) {
  AnsiString f = format;
  if (f.empty()) f = "<" + FloatToStr(defaultWidth);
  if (f == "<" || f == ">" || f == "^") f += FloatToStr(defaultWidth);
  TColumnFormat c;
  switch (f[0]) {
    case '>':
      c.Alignment = taRightJustify;
      f.erase(0, 1);
      break;
    case '^':
      c.Alignment = taCenter;
      f.erase(0, 1);
      break;
    case '<':
      f.erase(0, 1);
      break;
    default:
      break;
  }
  c.Width = ReadWidth(f);
  return c;
}

AnsiString TRichPrinter::FitText(TCanvas& canvas, const AnsiString& text, int width) {
  if (canvas.TextWidth(text) <= width) return text;
  int low = 1, high = static_cast<int>(text.size());
  int fit = 0, lastMiddle = -1;
  while (high > low) {
    const int middle = (low + high) / 2;
    if (middle == lastMiddle) break;
    lastMiddle = middle;
    if (canvas.TextWidth(text.substr(0, static_cast<size_t>(middle))) <= width) {
      fit = middle;
      low = middle;
    } else {
      high = middle;
    }
  }
  if (canvas.TextWidth(text.substr(0, static_cast<size_t>(low))) <= width) fit = std::max(fit, low);
  return text.substr(0, static_cast<size_t>(fit));
}

AnsiString TRichPrinter::ExpandMacros(const AnsiString& text) const {
  AnsiString s = text;
  const auto replace = [&s](std::string_view macro, const AnsiString& value) {
    for (size_t at = s.find(macro); at != AnsiString::npos; at = s.find(macro, at + value.size()))
      s.replace(at, macro.size(), value);
  };
  replace("{$LINE}", IntToStr(line_));
  replace("{$PAGE}", IntToStr(page_));
  replace("{$DATE}", FormatDateTime("ddddd", Now()));
  replace("{$TIME}", FormatDateTime("tt", Now()));
  replace("{$TITLE}", Printer()->Title);
  return s;
}

void TRichPrinter::TakeLineHeight() {
  if (!Printer()->Printing() && !preview_) {
    lineHeight_ = surface_->TextHeight("M");
    ascent_ = surface_->GetTextMetrics().tmAscent;
    return;
  }
  const TTextMetric tm = surface_->GetTextMetrics();
  lineHeight_ = tm.tmHeight + tm.tmExternalLeading;
  ascent_ = tm.tmAscent;
}

void TRichPrinter::ApplyHeaderFont() {
  // The font keeps its point size at the surface's vertical resolution.
  TFont font;
  font.Assign(headerFont_);
  const int points = headerFont_.Size();
  font.PixelsPerInch = Caps(LOGPIXELSY);
  font.SetSize(points);
  if (font.Color == clWhite) font.Color = clBlack;
  surface_->Font->Assign(font);
}

void TRichPrinter::BeginDoc() {
  if (SaveMargins) LoadSettings();
  if (OnBeginDoc) OnBeginDoc(this);
  if (!preview_) {
    try {
      Printer()->BeginDoc();
    } catch (const EInOutError& e) {
      throw ELinePrinter(e.Message);
    } catch (const EPrinter&) {
      throw ELinePrinter("Not be able to start the printing.");
    }
    surface_ = Printer()->Canvas();
  }
  inDoc_ = true;
  ApplyHeaderFont();
  TakeLineHeight();
  Progress(preview_ ? "Προετοιμασία Προεπισκόπισης"_a : "Προετοιμασία Εκτύπωσης"_a);
  line_ = 0;
  page_ = firstPage_;
  Decorate();
}

void TRichPrinter::EndDoc() {
  Progress(preview_ ? "Finished Preparing Preview" : "Finished Printing");
  inDoc_ = false;
  if (preview_) {
    SavePreviewPage(true);
    preview_ = false;
  } else {
    // The message that names the file written stands alone on the screen.
    delete progress_;
    progress_ = nullptr;
    try {
      Printer()->EndDoc();
    } catch (const EPrinter&) {
      AbandonDoc();
      throw ELinePrinter("Not be able to end the printing.");
    } catch (const Exception&) {
      // The printed file could not be written.
      AbandonDoc();
      throw ELinePrinter("Not be able to print to a file.");
    }
  }
  delete progress_;
  progress_ = nullptr;
  if (OnEndDoc) OnEndDoc(this);
}

void TRichPrinter::AbandonDoc() {
  inDoc_ = false;
  if (!preview_ && Printer()->Printing()) {
    try {
      Printer()->Abort();
    } catch (const Exception&) {
      // nothing more can be done with a job that cannot even be abandoned
    }
  }
  delete progress_;
  progress_ = nullptr;
}

void TRichPrinter::NewPage() {
  try {
    if (!preview_) Printer()->NewPage();
  } catch (const Exception&) {
    throw ELinePrinter("Not be able to print a new page.");
  }
  ++page_;
  if (preview_) SavePreviewPage(false);
  Decorate();
}

void TRichPrinter::NewLine() {
  x_ = 0;
  y_ += lineHeight_;
  ++line_;
  if (y_ + lineHeight_ >= TextArea().Height()) NewPage();
}

void TRichPrinter::PrintLine(const AnsiString& text) {
  const std::vector<AnsiString> formats = SplitBars(formats_);
  const std::vector<AnsiString> items = SplitBars(text);
  TCanvas& c = *surface_;
  const int pad = Caps(LOGPIXELSX) / 600;
  const int top = TopMarginPx();
  x_ = LeftMarginPx();
  const unsigned align = c.GetTextAlign();
  c.SetTextAlign(TA_LEFT | TA_TOP);
  c.Brush->Style = bsClear;
  for (size_t i = 0; i < formats.size(); ++i) {
    const TColumnFormat f = ParseColumnFormat(formats[i], defaultWidth_);
    const int width = ToPixelsX(f.Width);
    AnsiString cell = i < items.size() ? items[i] : AnsiString();
    if (cell.find("{$") != AnsiString::npos) cell = ExpandMacros(cell);
    cell = FitText(c, cell, width);
    const int textWidth = c.TextWidth(cell);
    int offset = 0;
    if (f.Alignment == taRightJustify) offset = width - textWidth;
    if (f.Alignment == taCenter) offset = (width - textWidth) / 2;
    if (textWidth < width - 6 * pad) {
      if (f.Alignment == taRightJustify) offset -= 6 * pad;
      if (f.Alignment == taLeftJustify) offset += 6 * pad;
    }
    c.TextOut(x_ + offset, top + y_, cell);
    x_ += width;
  }
  c.SetTextAlign(align);
  if (y_ >= 0 && y_ < TextArea().Height()) NewLine();
}

void TRichPrinter::Decorate() {
  Progress("Προετοιμασία Εκτύπωσης.. "_a);
  const AnsiString kept = formats_;
  const TRect area = TextArea();
  const int top = TopMarginPx();
  if (!Header.empty()) {
    ApplyHeaderFont();
    y_ = static_cast<int>(Round((top - lineHeight_) / 2.0L)) - top;
    formats_ = HeaderFormat;
    PrintLine(Header);
  }
  if (logo_.Graphic() && !logo_.Graphic()->Empty()) DrawLogo();
  if (!Footer.empty()) {
    ApplyHeaderFont();
    y_ = static_cast<int>(Round((BottomMarginPx() - lineHeight_) / 2.0L)) + area.Height();
    formats_ = FooterFormat;
    PrintLine(Footer);
  }
  formats_ = kept;
  x_ = y_ = line_ = 0;
  if (OnNewPage) OnNewPage(this);
  DrawBorders();
}

void TRichPrinter::DrawLogo() {
  const TRect area = TextArea();
  const long double physW = FromPixelsX(Caps(PHYSICALWIDTH)), physH = FromPixelsY(Caps(PHYSICALHEIGHT));
  const int left = area.Left + static_cast<int>(Round(LogoLeft / physW * area.Width()));
  const int top =
      (area.Top - lineHeight_) / 2 + lineHeight_ + static_cast<int>(Round(LogoTop / physH * area.Height()));
  const TRect r = Rect(left, top, left + static_cast<int>(Round(LogoWidth / physW * area.Width())),
                       top + static_cast<int>(Round(LogoHeight / physH * area.Height())));
  surface_->DrawFocusRect(r);
  surface_->StretchDraw(r, logo_.Graphic());
}

void TRichPrinter::DrawBorders() {
  if (PageBorders.Empty()) return;
  const TRect a = TextArea();
  TCanvas& c = *surface_;
  const TPenStyle style = c.Pen->Style;
  const int width = c.Pen->Width;
  c.Pen->Style = psSolid;
  c.Pen->Color = clBlack;
  const int oy = ToPixelsY(BorderOffset), ox = ToPixelsX(BorderOffset);
  const int right = a.Left + a.Width(), bottom = a.Top + a.Height() + 2 * oy;
  c.Pen->Width = Caps(LOGPIXELSY) / 600 * 2;
  if (PageBorders.Contains(pbTop)) {
    c.MoveTo(a.Left - oy, a.Top - oy);
    c.LineTo(right + oy, a.Top - oy);
  }
  if (PageBorders.Contains(pbBottom)) {
    c.MoveTo(a.Left - oy, bottom);
    c.LineTo(right + oy, bottom);
  }
  c.Pen->Width = Caps(LOGPIXELSX) / 600 * 2;
  if (PageBorders.Contains(pbLeft)) {
    c.MoveTo(a.Left - ox, a.Top - ox);
    c.LineTo(a.Left - ox, a.Top + a.Height() + 2 * ox);
  }
  if (PageBorders.Contains(pbRight)) {
    c.MoveTo(right + ox, a.Top - ox);
    c.LineTo(right + ox, a.Top + a.Height() + 2 * ox);
  }
  c.Pen->Style = style;
  c.Pen->Width = width;
}
