// Text printables: breaking the text into lines that fit, and printing the
// lines on the page, stretching the band line by line.
#include <algorithm>
#include <optional>

#include "report/RpCtrls.h"

namespace {

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

}  // namespace

TRpCustomLabel::TRpCustomLabel(TComponent* owner) : TRpPrintable(owner) { SetTransparent(false); }

void TRpCustomLabel::SetCaption(const AnsiString& value) {
  const bool unchanged = value == caption_ && value == printText_;
  caption_ = value;
  printText_ = value;
  formatted_ = false;
  if (!CanBreakLater()) FormatLines();
  if (!unchanged) Invalidate();
}

bool TRpCustomLabel::CanBreakLater() const {
  // A label that keeps its box and is already as tall as a line of its
  // font changes nothing else when it breaks its text: the lines can wait
  // until it prints, is painted or they are asked for. A report's run
  // gives many labels a text for each record and prints few of them.
  return !AutoSize && ParentReport != nullptr && broken_ && broken_->report == ParentReport &&
         Height() >= broken_->lineHeight;
}

void TRpCustomLabel::SetAutoStretch(bool value) {
  autoStretch_ = value;
  Invalidate();
}

void TRpCustomLabel::SetWordWrap(bool value) {
  wordWrap_ = value;
  Invalidate();
}

void TRpCustomLabel::FontChanged() {
  formatted_ = false;
  FormatLines();
}

void TRpCustomLabel::Dispatch(TMessage& message) {
  TRpPrintable::Dispatch(message);
  if (message.Msg == CM_FONTCHANGED) FontChanged();
}

void TRpCustomLabel::SetName(const AnsiString& name) {
  if (caption_.empty() || caption_ == Name()) SetCaption(name);
  TComponent::SetName(name);
}

void TRpCustomLabel::SetParent(TWinControl* parent) {
  TRpPrintable::SetParent(parent);
  FormatLines();
}

void TRpCustomLabel::SetAlignment(TAlignment value) { TRpPrintable::SetAlignment(value); }

void TRpCustomLabel::Loaded() {
  TRpPrintable::Loaded();
  if (StoredFontSize > 0) {
    Font().SetSize(StoredFontSize);
    FontChanged();
  }
}

void TRpCustomLabel::WriteFontSize(TComponentWriter& writer) const {
  writer.WriteInteger("FontSize", Font().Size());
}

void TRpCustomLabel::ReadFontSize(const TStreamValue& value) {
  // A damaged form could ask for any size; no font is that large.
  if (!value.IsInteger() || value.Int < -32768 || value.Int > 32767)
    throw EReadError("Invalid property value");
  StoredFontSize = static_cast<int>(value.Int);
}

void TRpCustomLabel::Prepare() {
  TRpPrintable::Prepare();
  SetCaption(caption_);
}

// In a report a text is laid out at full size whatever the designer's
// zoom: the lines, and the sizes a label takes from them, are those printed.
int TRpCustomLabel::TextWidthOf(const AnsiString& text) {
  if (ParentReport != nullptr) return ParentReport->TextWidth(Font(), text);
  return Canvas().TextWidth(text);
}

int TRpCustomLabel::LineHeight() {
  if (ParentReport != nullptr) return ParentReport->TextHeight(Font(), "W") + 1;
  return Canvas().TextHeight("W") + 1;
}

int TRpCustomLabel::FormatWidth() const {
  return ParentReport != nullptr ? FullSizePixels(TRpPrintableSize::iWidth) : Width();
}

Extended TRpCustomLabel::TextLineHeight() {
  // Not rounded: many lines of a zoomed text are as tall as the text.
  if (ParentReport != nullptr)
    return static_cast<Extended>(ParentReport->TextHeight(Font(), "W")) * GetZoom() / 100;
  return Canvas().TextHeight("W");
}

// A paragraph is measured piece by piece as words are added to a line:
// the text is summed once (one font look-up, no piece copied) and each
// piece is then as wide as TextWidthOf finds it alone.
class TRpCustomLabel::Pieces {
 public:
  Pieces(TRpCustomLabel& label, const AnsiString& text) : report_(label.ParentReport != nullptr) {
    if (!report_) {
      ruler_ = label.Canvas().Ruler(text);
      return;
    }
    try {
      ruler_ = label.ParentReport->TextRuler(label.Font(), text);
    } catch (const Exception&) {
      unmeasured_ = true;
    }
  }

  int Width(std::size_t from, std::size_t to) const {
    if (!report_) return ruler_.Width(from, to);
    // The report's measure: a spare pixel, none for a text the font
    // cannot measure.
    if (unmeasured_) return 0;
    try {
      return ruler_.Width(from, to) + 1;
    } catch (const Exception&) {
      return 0;
    }
  }

 private:
  TTextRuler ruler_;
  bool report_;
  bool unmeasured_ = false;
};

template <class Fits>
std::size_t TRpCustomLabel::LongestPrefix(std::size_t from, std::size_t length, const Pieces& pieces,
                                          Fits fits) {
  // The whole word is known not to fit, and a prefix is never narrower
  // than a shorter one: the longest that fits is found by halving, in a
  // few measures instead of one per character (a long run without blanks
  // is common in the texts reports are made of).
  std::size_t fit = 0, tooLong = length;
  while (tooLong - fit > 1) {
    const std::size_t mid = fit + (tooLong - fit) / 2;
    (fits(pieces.Width(from, from + mid)) ? fit : tooLong) = mid;
  }
  return fit;
}

void TRpCustomLabel::FormatParagraph(const AnsiString& text, std::size_t from, std::size_t to,
                                     const Pieces& pieces) {
  const int width = FormatWidth();
  // Widths only grow as words are added: a paragraph that fits whole is
  // its own line, measured once.
  if (pieces.Width(from, to) <= width) {
    formattedLines_.Add(text.substr(from, to - from));
    return;
  }
  // The line being filled is characters lineFrom to lineTo, and the word
  // wordFrom to wordTo; a line that is not empty ends where the word
  // begins.
  std::size_t lineFrom = from, lineTo = from;
  bool emitAtEnd = true;
  std::size_t at = from;
  while (at < to) {
    std::size_t end = at;
    while (end < to && text[end] != ' ' && text[end] != '-') ++end;
    end = end == to ? to : end + 1;
    std::size_t wordFrom = at, wordTo = end;
    at = end;
    if (lineFrom == lineTo) lineFrom = lineTo = wordFrom;
    if (pieces.Width(lineFrom, wordTo) <= width) {
      lineTo = wordTo;
      continue;
    }
    if (lineFrom == lineTo) {
      lineTo =
          lineFrom + LongestPrefix(wordFrom, wordTo - wordFrom, pieces, [width](int w) { return w < width; });
      wordFrom = wordTo;
    }
    formattedLines_.Add(text.substr(lineFrom, lineTo - lineFrom));
    lineFrom = lineTo = wordFrom;
    if (wordFrom != wordTo && pieces.Width(wordFrom, wordTo) > width) {
      const std::size_t fit = width == 0 ? 0
                                         : LongestPrefix(wordFrom, wordTo - wordFrom, pieces,
                                                         [width](int w) { return w <= width; });
      formattedLines_.Add(text.substr(wordFrom, fit));
      wordFrom = wordTo;
    }
    if (!wordWrap_) {
      wordFrom = wordTo;
      emitAtEnd = false;
    }
    lineFrom = wordFrom;
    lineTo = wordTo;
    if (lineFrom == lineTo) lineFrom = lineTo = at;
  }
  if (emitAtEnd) formattedLines_.Add(text.substr(lineFrom, lineTo - lineFrom));
}

void TRpCustomLabel::FormatSource(AnsiString text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  // A label that sizes itself to its text keeps each paragraph whole;
  // only one that wraps measures.
  std::optional<Pieces> pieces;
  if (!AutoSize) pieces.emplace(*this, text);
  std::size_t from = 0;
  for (;;) {
    const std::size_t cr = text.find('\r', from), to = cr == AnsiString::npos ? text.size() : cr;
    if (pieces)
      FormatParagraph(text, from, to, *pieces);
    else
      formattedLines_.Add(text.substr(from, to - from));
    if (cr == AnsiString::npos) break;
    from = cr + 1;
  }
}

bool TRpCustomLabel::Breaking::SameMeasure(const Breaking& other) const {
  // The font's resolution counts too: it sizes the font a report measures
  // in.
  return report == other.report && font == other.font && font.PixelsPerInch == other.font.PixelsPerInch;
}

bool TRpCustomLabel::Breaking::SameAs(const Breaking& other) const {
  return text == other.text && width == other.width && autoSize == other.autoSize &&
         wordWrap == other.wordWrap && SameMeasure(other);
}

void TRpCustomLabel::FormatLines() {
  if (Parent() == nullptr) {
    formatted_ = true;
    return;
  }
  const bool ownText = IsCaptionBased() || (lines_.Count() == 0 && Designing(this));
  // Only a report's measure is known to stay with the font: a control's
  // canvas measures in whatever font it was last given.
  std::optional<Breaking> now;
  if (ownText && ParentReport != nullptr)
    now = Breaking{printText_, FormatWidth(), AutoSize, wordWrap_, ParentReport, Font()};
  if (!(now && broken_ && now->SameAs(*broken_))) {
    if (!now) broken_.reset();
    formattedLines_.Clear();
    if (ownText) {
      FormatSource(printText_);
    } else if (AutoSize) {
      for (int i = 0; i < lines_.Count(); ++i) formattedLines_.Add(lines_[i]);
    } else {
      for (int i = 0; i < lines_.Count(); ++i) FormatSource(lines_[i]);
    }
    if (now) {
      // Another text in the same font keeps its line height.
      now->lineHeight = broken_ && broken_->SameMeasure(*now) ? broken_->lineHeight : LineHeight();
      broken_ = std::move(now);
    }
  }
  using S = TRpPrintableSize;
  if (IsCaptionBased() && ParentReport != nullptr && !sizing_) {
    const int lh = broken_ ? broken_->lineHeight : LineHeight();
    if (FullSizePixels(S::iHeight) < lh) {
      sizing_ = true;
      SetFullSizePixels(S::iHeight, lh);
      sizing_ = false;
    }
  }
  if (AutoSize && !sizing_ && ParentReport != nullptr) {
    int widest = 0;
    for (int i = 0; i < formattedLines_.Count(); ++i)
      widest = std::max(widest, TextWidthOf(formattedLines_[i]));
    if (Frame()->DrawLeft()) widest += Frame()->Width();
    if (Frame()->DrawRight()) widest += Frame()->Width();
    sizing_ = true;
    const int oldWidth = FullSizePixels(S::iWidth), left = FullSizePixels(S::iLeft);
    if (MirroredAlignment() == taRightJustify)
      SetFullSizePixels(S::iLeft, left + (oldWidth - widest));
    else if (MirroredAlignment() == taCenter)
      SetFullSizePixels(S::iLeft, left + (oldWidth - widest) / 2);
    SetFullSizePixels(S::iWidth, widest);
    const int lh = LineHeight();
    if ((formattedLines_.Count() == 0 && Designing(this)) || FullSizePixels(S::iHeight) < lh)
      SetFullSizePixels(S::iHeight, lh);
    sizing_ = false;
  }
  formatted_ = true;
}

Extended TRpCustomLabel::PrintLineHeight() {
  TCanvas& c = *RpPrinter->Canvas();
  c.Font->Assign(Font());
  Extended lh = c.TextHeight("W") / RpPrinter->YFactor();
  const Extended height = NativeValue(TRpPrintableSize::iHeight);
  if (lh * 1.5L > height) lh = height;
  return lh;
}

void TRpCustomLabel::Print(int ofsX, int ofsY) {
  if (!CanPrint()) return;
  if (RpPrinter == nullptr) Prepare();
  if (RpPrinter == nullptr || RpPrinter->Canvas() == nullptr) return;
  const Extended lh = PrintLineHeight();
  PrintLines(NativeValue(TRpPrintableSize::iLeft) + ofsX, NativeValue(TRpPrintableSize::iTop) + ofsY,
             NativeValue(TRpPrintableSize::iWidth), NativeValue(TRpPrintableSize::iHeight), lh, autoStretch_);
}

AnsiString TRpCustomLabel::Justify(const AnsiString& source, Extended width) {
  TCanvas& c = *RpPrinter->Canvas();
  const Extended target = width * RpPrinter->XFactor() - c.TextWidth(" ");
  AnsiString line = Trim(source);
  int blanks = 0, others = 0;
  for (char ch : line) (ch == ' ' ? blanks : others)++;
  Extended current = c.TextWidth(line);
  if (blanks < 2 || line.empty() || line.back() == '.' || current <= 0.6L * target) return line;
  while (current < target && blanks > 0 && line.size() < 254 && 2 * others > blanks) {
    const std::size_t before = line.size();
    for (std::size_t i = 1; i < line.size(); ++i) {
      if (current >= target || line.size() >= 254 || 2 * others <= blanks) break;
      if (line[i] != ' ' && line[i - 1] == ' ') {
        line.insert(i, 1, ' ');
        ++blanks;
        ++i;
        current = c.TextWidth(line);
      }
    }
    current = c.TextWidth(line);
    if (line.size() == before) break;
  }
  return line;
}

void TRpCustomLabel::PrintLines(Extended x, Extended y, Extended w, Extended h, Extended lh, bool expand) {
  TRpPrinter& p = *RpPrinter;
  TCanvas& c = *p.Canvas();
  TCustomBandRep* report = ParentReport;
  const bool printerOutput = report == nullptr || report->PrinterOutput;
  const bool exporting = report != nullptr && report->Exporting && report->ExportFilter != nullptr;
  AnsiString savedText;
  bool restore = false;
  if (OnPrint) {
    AnsiString value = printText_;
    OnPrint(this, value);
    lh = PrintLineHeight();
    if (value != printText_) {
      savedText = printText_;
      restore = true;
      printText_ = value;
    }
  }
  FormatLines();
  const Extended passedWidth = w;
  w = NativeValue(TRpPrintableSize::iWidth);
  if (exporting && !Transparent() && Color() != clWhite)
    ExportFrame(*report->ExportFilter, p, TRpFrame(), x, y, w, h, Color());
  if (printerOutput && !Transparent()) {
    c.Brush->Style = bsSolid;
    c.Brush->Color = Color();
    c.FillRect(Rect(p.DeviceX(x), p.DeviceY(y), p.DeviceX(x + w), p.DeviceY(y + h)));
  }
  int fw = 0;
  if (Frame()->HasAnySide()) {
    fw = RpNearest(Frame()->Width() * 254.0L / 72);
    if (Frame()->DrawTop()) y += fw;
    if (Frame()->DrawLeft()) x += fw;
  }
  Extended bottom = y + h + 1.0L;
  Extended currentY = y;
  Extended start = x;
  if (AutoSize) {
    if (Alignment() == taRightJustify)
      start = x - (w - passedWidth);
    else if (Alignment() == taCenter)
      start = x - (w - passedWidth) / 2;
  }
  // Each line is clipped to the control's width and one line's height, so
  // a tall font does not spill out of a short label.
  const int clipLeft = p.DeviceX(start), clipWidth = p.DeviceWidth(w), clipHeight = p.DeviceHeight(lh);
  unsigned align = TA_LEFT | TA_TOP;
  const unsigned reading = UseRightToLeftReading() ? TA_RTLREADING : 0;
  const unsigned options = ETO_CLIPPED | (reading ? ETO_RTLREADING : 0);
  switch (MirroredAlignment()) {
    case taLeftJustify:
      break;
    case taRightJustify:
      align = TA_RIGHT | TA_TOP;
      start += w;
      break;
    case taCenter:
      align = TA_CENTER | TA_TOP;
      start += w / 2;
      break;
  }
  c.SetTextAlign(align | reading);
  // The lines are drawn in the transparent background mode: what lies
  // behind them is the control's colour, filled above, or what shows
  // through a transparent control.
  c.Brush->Style = bsClear;
  c.Font->Assign(Font());
  const bool justify =
      MirroredAlignment() == taLeftJustify && autoStretch_ && (Font().Style & fsStrikeOut) != 0;
  if (justify) c.Font->Style &= ~fsStrikeOut;
  if (PrintFinished) LineIndex = 0;
  Extended expanded = 0;
  bool used = false;
  TRpCustomBand* band = Band();
  while (LineIndex < formattedLines_.Count()) {
    if (currentY + lh > bottom) {
      if (!(expand && band != nullptr && band->FitsOnPage(lh))) break;
      const Extended previous = expanded;
      band->ExpandBy(lh, expanded, used);
      bottom = y + h + 1.0L + expanded;
      if (printerOutput && !Transparent()) {
        c.Brush->Style = bsSolid;
        c.Brush->Color = Color();
        c.FillRect(
            Rect(p.DeviceX(x), p.DeviceY(y + h + previous), p.DeviceX(x + w), p.DeviceY(y + h + expanded)));
        c.Brush->Style = bsClear;
      }
    }
    AnsiString line = formattedLines_[LineIndex];
    if (justify && LineIndex + 1 < formattedLines_.Count()) line = Justify(line, w);
    if (printerOutput && !line.empty()) {
      const int top = p.DeviceY(currentY);
      const TRect clip{clipLeft, top, clipLeft + clipWidth, top + clipHeight};
      if (line.find('\0') == AnsiString::npos) {
        c.ExtTextOut(p.DeviceX(start), top, options, &clip, line);
      } else {
        // Each character 0 ends a piece; the pieces follow one another.
        Extended offset = 0;
        std::size_t from = 0;
        for (;;) {
          const std::size_t zero = line.find('\0', from);
          AnsiString piece = line.substr(from, zero == AnsiString::npos ? AnsiString::npos : zero - from);
          if (zero != AnsiString::npos) piece += ' ';
          c.ExtTextOut(p.DeviceX(start + offset), top, options, &clip, piece);
          offset += c.TextWidth(piece) / p.XFactor();
          if (zero == AnsiString::npos) break;
          from = zero + 1;
        }
      }
    }
    if (exporting)
      report->ExportFilter->TextOut(start, currentY, &Font(), Color(), MirroredAlignment(), line);
    currentY += lh;
    ++LineIndex;
  }
  PrintFinished = !(LineIndex < formattedLines_.Count() && autoStretch_);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  if (restore) printText_ = savedText;
  if ((printerOutput || exporting) && Frame()->HasAnySide()) {
    const TRect r{p.DeviceX(x - fw), p.DeviceY(y - fw), p.DeviceX(x + w), p.DeviceY(y + h + expanded)};
    Frame()->PaintFrame(c, r, p.YFactor(), p.XFactor(), report != nullptr ? report->PrintableBottom : -1);
  }
  if (exporting && Frame()->HasAnySide())
    ExportFrame(*report->ExportFilter, p, *Frame(), x - fw, y - fw, w + fw, h + expanded + fw, clNone);
}

TAlignment TRpCustomLabel::MirroredAlignment() const {
  if (!RightToLeftAlignment()) return Alignment();
  switch (Alignment()) {
    case taLeftJustify:
      return taRightJustify;
    case taRightJustify:
      return taLeftJustify;
    default:
      return taCenter;
  }
}

// The lines were laid out at full size and the control is drawn at the
// zoom; a font of the zoomed size, rounded to whole pixels and hinted, can be a
// little wider, and the control would cut the last letters off. The font
// shrinks by a pixel at a time until every line fits.
void TRpCustomLabel::FitZoomedFont(TCanvas& c) {
  const int full = std::abs(Font().Height()), sign = Font().Height() < 0 ? -1 : 1;
  int height = std::max(1, static_cast<int>(Round(full * GetZoom() / 100.0L)));
  const int frame = RpNearest(Frame()->Width() * 96.0L / 72 * GetZoom() / 100);
  const int room = Width() - (Frame()->DrawLeft() ? frame : 0) - (Frame()->DrawRight() ? frame : 0);
  const auto widest = [&] {
    c.Font->SetHeight(sign * height);
    int most = 0;
    for (int i = 0; i < formattedLines_.Count(); ++i) most = std::max(most, c.TextWidth(formattedLines_[i]));
    return most;
  };
  int most = widest();
  // Widths grow about as the height: the first guess is close, and a few
  // steps finish it.
  if (most > room && height > 1) {
    height = std::max(1, static_cast<int>(static_cast<Int64>(height) * std::max(room, 0) / most));
    most = widest();
  }
  while (most > room && height > 1) {
    --height;
    most = widest();
  }
}

void TRpCustomLabel::Paint() {
  if (Printing()) return;
  TCanvas& c = Canvas();
  c.Font->Assign(Font());
  TRpPrintable::Paint();
  FormatLines();
  FitZoomedFont(c);
  if (!Transparent()) {
    c.Brush->Style = bsSolid;
    c.Brush->Color = Color();
    c.FillRect(ClientRect());
  }
  const int inset = RpNearest(Frame()->Width() * 96.0L / 72 * GetZoom() / 100);
  const int top = Frame()->DrawTop() && Frame()->Width() >= 1 ? inset : 0;
  const int left = Frame()->DrawLeft() ? inset : 0;
  unsigned align = TA_LEFT | TA_TOP;
  int x = left;
  if (MirroredAlignment() == taRightJustify) align = TA_RIGHT | TA_TOP, x = Width();
  if (MirroredAlignment() == taCenter) align = TA_CENTER | TA_TOP, x = Width() / 2;
  const bool reading = UseRightToLeftReading();
  c.SetTextAlign(align | (reading ? TA_RTLREADING : 0));
  const int lh = c.TextHeight("W");
  for (int i = 0; i < formattedLines_.Count(); ++i)
    c.ExtTextOut(x, top + i * lh, reading ? ETO_RTLREADING : 0, nullptr, formattedLines_[i]);
  c.SetTextAlign(TA_LEFT | TA_TOP);
  PaintCorners(c);
}
