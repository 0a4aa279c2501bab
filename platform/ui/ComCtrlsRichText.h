#pragma once
// The rich edit's text as a document of paragraphs made of runs, and the
// RTF reader and writer over it. Nothing here draws or needs a window: the
// control, the clipboard and the printers convert through this model.
//
// Lengths are in twips (1/20 point) as RTF keeps them, font sizes in half
// points, so that what is read is written back unchanged.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/rtl/Cp1253.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"

// A damaged RTF text: the reader names what it found and where.
DIM_EXCEPTION(ERichTextError, Exception)

struct TRichCharFormat {
  AnsiString Name = "Times New Roman";
  int Charset = GREEK_CHARSET;
  int HalfPoints = 24;
  TFontStyles Style = 0;
  // clWindowText stands for the automatic colour (entry 0 of the table).
  TColor Color = clWindowText;
  friend bool operator==(const TRichCharFormat&, const TRichCharFormat&) = default;
};

// A justified paragraph: the class library gives the system's value for it,
// one past its three named alignments.
constexpr TAlignment taJustify = static_cast<TAlignment>(3);

// A line break inside a paragraph (RTF's \line): one character that ends
// the line it stands in.
constexpr char16_t kLineBreak = u'\v';

struct TRichParaFormat {
  TAlignment Alignment = taLeftJustify;
  int FirstIndent = 0;  // of the first line, relative to LeftIndent
  int LeftIndent = 0;
  int RightIndent = 0;
  bool Bullet = false;
  std::vector<int> Tabs;  // tab stops from the left edge, ascending
  friend bool operator==(const TRichParaFormat&, const TRichParaFormat&) = default;
};

struct TRichRun {
  TRichCharFormat Format;
  WideString Text;  // UTF-16; tabs as '\t', line breaks as kLineBreak, no paragraph breaks
  friend bool operator==(const TRichRun&, const TRichRun&) = default;
};

struct TRichParagraph {
  TRichParaFormat Format;
  std::vector<TRichRun> Runs;  // adjacent runs differ in format; none empty
  friend bool operator==(const TRichParagraph&, const TRichParagraph&) = default;
  // Appends Text in Format, joining the last run when the format matches.
  void Append(const TRichCharFormat& format, std::u16string_view text);
  WideString Text() const;
};

// At least one paragraph; paragraphs are separated by line breaks, so a
// text ending in a break ends with an empty paragraph.
struct TRichDocument {
  std::vector<TRichParagraph> Paragraphs{TRichParagraph{}};
  friend bool operator==(const TRichDocument&, const TRichDocument&) = default;
  // The text with CR LF between paragraphs, in UTF-16.
  WideString Text() const;
};

namespace richtext {

// Whether Bytes are RTF ("{\rtf" at the start) rather than plain text.
bool IsRtf(std::string_view bytes);

// Reads an RTF text. Unknown control words and "\*" destinations are
// skipped; unbalanced braces, a truncated \'x or \bin, a number beyond 32
// bits or nesting deeper than 256 groups raise ERichTextError.
// Plain-text runs start from Base (the reader's \plain).
TRichDocument ReadRtf(std::string_view rtf, const TRichCharFormat& base = TRichCharFormat{});

// Writes RTF with \ansicpg1253: a font table in \fcharset161, a colour
// table, \'xx for code-page bytes above 127 and \uN for the rest.
AnsiString WriteRtf(const TRichDocument& document);

// A document of one format from code-page-1253 text with CR LF, CR or LF
// line ends.
TRichDocument FromPlainText(const AnsiString& text, const TRichCharFormat& format,
                            const TRichParaFormat& para = TRichParaFormat{});

}  // namespace richtext

// ---- the control's text with its formats ------------------------------------

// The text in the control's numbering: code page 1253 with CR LF between
// paragraphs (a break counts two characters), "?" where a character is
// beyond the code page (the character itself is kept beside it). Each
// character has a format; each paragraph has its own, kept with the break
// that ends it (the last one with the end of the text), so that joining
// two paragraphs keeps the second one's, as the class library's does.
class TRichContent {
 public:
  TRichContent();
  const AnsiString& Text() const { return text_; }
  int Length() const { return static_cast<int>(text_.size()); }

  // The format of the characters nobody formatted; for an empty text the
  // format typed text takes.
  const TRichCharFormat& Default() const { return formats_[0]; }
  // Changes the default, and every character that had it.
  void SetDefault(const TRichCharFormat& format);

  int FormatIndexAt(int pos) const { return charFormats_[static_cast<size_t>(pos)]; }
  const TRichCharFormat& Format(int index) const { return formats_[static_cast<size_t>(index)]; }
  const TRichCharFormat& FormatAt(int pos) const { return Format(FormatIndexAt(pos)); }
  int AddFormat(const TRichCharFormat& format);
  // The format text typed at Pos takes: that of the character before it
  // unless that is a break, else that of the character at Pos.
  int InsertFormatAt(int pos) const;

  int ParagraphCount() const { return static_cast<int>(paras_.size()); }
  int ParagraphOf(int pos) const;
  int ParagraphStart(int para) const { return Starts()[static_cast<size_t>(para)]; }
  // The end of the paragraph's text (where its break starts).
  int ParagraphEnd(int para) const;
  const TRichParaFormat& Para(int para) const { return paras_[static_cast<size_t>(para)]; }

  // The start of the piece of one format that Pos lies in, and the end of
  // it: tabs and line breaks (kLineBreak) are pieces of their own.
  // Paragraph breaks are not looked at: callers keep within a paragraph.
  int PieceStart(int pos) const;
  int PieceEnd(int pos) const;
  // Where every piece starts, ascending, the text's length last.
  const std::vector<int>& PieceStarts() const { return Pieces(); }

  // The character at Pos in UTF-16, the text's own beyond the code page.
  char16_t CharAt(int pos) const;
  WideString WideText(int start, int end) const;
  bool HasWide(int start, int end) const;
  // How many characters beyond the code page stand in [Start, Start + I)
  // for each I from 0 to End - Start, into Counts.
  void WideCounts(int start, int end, std::vector<int>& counts) const;

  // Replaces [Start, End) by plain text in the format of index Format; a
  // break in Text starts a paragraph formatted as the one it splits.
  void Replace(int start, int end, const AnsiString& text, int format);
  // Replaces [Start, End) by a document: its paragraphs keep their formats
  // except the last, which joins the paragraph it lands in.
  void Replace(int start, int end, const TRichDocument& doc);
  void SetDocument(const TRichDocument& doc);
  TRichDocument Document(int start, int end) const;
  TRichDocument Document() const { return Document(0, Length()); }

  // Whole paragraphs as they stand, each with the break that ends it (the
  // last paragraph of the text without one): what an undo puts back.
  struct TParagraphs {
    AnsiString Text;
    std::vector<int> CharFormats;          // indexes into Formats
    std::vector<TRichCharFormat> Formats;  // the table as it was
    std::vector<TRichParaFormat> Paras;
    // From the first character, ascending: an undo copies the paragraphs a
    // change touches before every change.
    std::vector<std::pair<int, char16_t>> Wide;
  };
  // Paragraphs [First, Last].
  TParagraphs CopyParagraphs(int first, int last) const;
  // Replaces Count paragraphs from First by Those.
  void PutParagraphs(int first, int count, const TParagraphs& those);
  // Joins After's paragraphs to those of Before, which must end in a break.
  static TParagraphs Joined(TParagraphs before, const TParagraphs& after);

  // Applies Change to the format of every character in [Start, End).
  void ChangeFormat(int start, int end, const std::function<void(TRichCharFormat&)>& change);
  // Applies Change to every paragraph [Start, End) touches.
  void ChangePara(int start, int end, const std::function<void(TRichParaFormat&)>& change);

  // The first match of What in [Start, End) or -1.
  int Find(const AnsiString& what, int start, int end, bool matchCase, bool wholeWord) const;

  friend bool operator==(const TRichContent& a, const TRichContent& b);
  // Changes with every change of the content and is never given twice in
  // a process; a copy keeps its original's. Two contents of one revision
  // are identical down to the numbering of their formats, which is what
  // measures kept by format number need to know, without comparing a long
  // text at every page a report prints.
  std::uint64_t Revision() const { return revision_; }

 private:
  const std::vector<int>& Starts() const;
  // Where the paragraphs [First, First + Count) start and end, with the
  // break that ends the last one.
  std::pair<int, int> ParagraphsRange(int first, int count) const;
  bool StartsAt(int pos) const;
  // Keeps the paragraph starts in step with a replacement of [Start, End)
  // by Inserted characters.
  void MoveStarts(int start, int end, int inserted);
  // Keeps the characters beyond the code page in step with a replacement
  // of [Start, End) that moves what follows by Delta: those inside go.
  void MoveWide(int start, int end, int delta);
  // The characters beyond the code page by position, ascending, in one
  // block: a layout asks about them at every piece it measures.
  using TWideChars = std::vector<std::pair<int, char16_t>>;
  // The first of them at Pos or after.
  TWideChars::const_iterator WideFrom(int pos) const;
  AnsiString text_;
  std::vector<int> charFormats_;
  std::vector<TRichCharFormat> formats_;
  std::vector<TRichParaFormat> paras_;
  TWideChars wide_;
  mutable std::vector<int> starts_;
  mutable bool startsValid_ = false;
  // Where each piece of one format starts, found once for each revision:
  // a line's pieces and the run a page starts in are found by halving
  // instead of character by character.
  const std::vector<int>& Pieces() const;
  mutable std::vector<int> pieces_;
  mutable std::uint64_t piecesOf_ = 0;
  // Every change calls this.
  void Changed();
  std::uint64_t revision_ = 0;
};

// ---- layout ----------------------------------------------------------------

// One line of laid-out text, in the layout's units.
struct TRichLine {
  int Start = 0;  // first character
  int End = 0;    // after the last character shown (a break is not)
  int Next = 0;   // where the next line starts
  int Para = 0;
  int Top = 0, Height = 0, Ascent = 0;
  int Left = 0;        // of the first character, indents and alignment applied
  int Width = 0;       // of the characters shown
  bool First = false;  // the paragraph's first line (it draws the bullet)
  // Room a justified line spreads over its blanks (trailing ones apart).
  int Stretch = 0;
  friend bool operator==(const TRichLine&, const TRichLine&) = default;
};

// A piece of a paragraph in one format; a tab or a line break is one of
// its own.
struct TRichSegment {
  int Start, End;  // characters
  int Format;
};

// A layout under way: where its next line starts and what the paragraph
// that line lies in has measured so far. Lines laid from it follow on
// from the last one, as the layout laid in one go would have them.
struct TRichLaying {
  int Pos = 0;                     // where the paragraph's laying began (its start or the layout's)
  int Para = 0;                    // the paragraph
  int End = 0;                     // where its text ends
  int After = 0;                   // where the next paragraph starts
  std::vector<TRichSegment> Segs;  // from Pos to End
  // Where the characters of the first segment's format start before it:
  // the running sums of their advances serve every page that starts among
  // them.
  int RunStart = 0;
  // The characters' advances from Pos, measured a segment at a time and
  // only as far as a line has to be broken.
  std::vector<int> Advances;
  std::size_t MeasuredSegs = 0;
  std::size_t FirstSeg = 0;  // the first segment not wholly before At
  int Break = -1;            // the first line break from At on, or End
  bool Unmeasured = false;   // lines need no measure (see TRichLayout::Lay)
  bool First = false;        // the line at At is the paragraph's first
  int At = 0;                // where the next line starts
  int Top = 0;               // and its top
  bool Done = false;         // no line is left
};

// Measures of one content at one resolution, kept across its layouts:
// format-range lays the same text out again for every rectangle it is
// given, and measuring is most of what a layout costs.
struct TRichMeasurer;

class TRichMeasures {
 public:
  // Forgets what was measured unless it was measured on this very content
  // at this resolution.
  void Follow(const TRichContent& content, int dotsPerInch);
  void Clear();

 private:
  friend struct TRichMeasurer;
  friend class TRichLayout;
  using TKey = std::tuple<int, int, int>;  // format, start, end
  // The lines laid from a start at a width so far, and the laying that
  // lays the next ones: the pages of a long text take their lines from the
  // laying that the first page began, each page on from the last.
  struct TLaid {
    std::vector<TRichLine> Lines;
    TRichLaying Laying;
  };
  // The running sums of a segment's advances, as the text engine gives
  // them for its code-page text and, when it has other characters, for
  // its wide text: the pieces of a long segment that lines start in are
  // then measured by a subtraction.
  struct TSums {
    std::vector<long long> Bytes, Wide;
    std::vector<std::size_t> BytesLaidOut, WideLaidOut;
    // As TRichContent::WideCounts gives them; empty when the segment has
    // none: whether a piece has any is asked at every line.
    std::vector<int> WideBefore;
  };
  std::map<TKey, int> widths_;
  std::map<TKey, TSums> sums_;
  std::map<std::pair<int, int>, TLaid> laid_;  // start, width
  // The lines a page from a start at a width takes: those of that laying
  // (one of laid_, which never moves them), from the line of that index on.
  // Kept in order of start and width: a report asks for its pages in order,
  // some four times each, so a page new to it goes at the end.
  struct TPageKept {
    std::pair<int, int> Asked;  // start, width
    TLaid* Laid;
    std::size_t First;
  };
  std::vector<TPageKept> pages_;
  std::map<TKey, std::vector<int>> ends_;
  // Where the characters of a line end, by its start, end, paragraph,
  // whether it is the paragraph's first and its stretch: a page is drawn
  // on the printer's page and again into its exported picture.
  std::map<std::tuple<int, int, int, bool, int>, std::vector<int>> lineEnds_;
  std::map<int, TTextMetric> metrics_;
  // The calls a page's lines were drawn with at a resolution, from the
  // page's corner: a report draws every page on the printer's page and
  // again into its exported picture, where the same calls land moved.
  // Every page's lines, calls, fonts, texts and advances lie in storage
  // shared by all pages, a page holding where its own begin: a page drawn
  // costs no storage of its own.
  struct TDrawn {
    int Start = 0;  // the first line's
    std::size_t LinesAt = 0, LineCount = 0;
    int DevX = 0, DevY = 0, PixelsPerInch = 0;
    std::size_t CallsAt = 0, CallCount = 0;
    struct TCall {
      int Font;  // the font the canvas takes first (in DrawnFonts), or -1
      int X, Y;
      bool Bullet, Wide;
      std::size_t Text;  // in DrawnBytes or DrawnWide
      int Length;
      std::size_t Dx;  // in DrawnAdvances
    };
  };
  std::vector<TDrawn> drawn_;
  // The pages drawn by their first line's start, in order: (start, index
  // in drawn_). A report draws its pages in order, so most are appended.
  std::vector<std::pair<int, std::size_t>> drawnAt_;
  std::vector<TRichLine> drawnLines_;
  std::vector<TDrawn::TCall> drawnCalls_;
  std::vector<TFont> drawnFonts_;
  AnsiString drawnBytes_;
  WideString drawnWide_;
  std::vector<int> drawnAdvances_;
  std::uint64_t of_ = 0;  // the revision measured; none at 0
  int dpi_ = 0;
  // The storage a drawing works in, kept from page to page: a report
  // draws a page or two at every band it prints.
  struct TScratch {
    std::vector<TRichSegment> Segs, Measuring;
    std::vector<int> Xs, Dx, Measured;
    AnsiString Bytes;
    WideString Wide;
  };
  TScratch scratch_;
  // The lines a text was laid in, emptied when taken, for the next
  // text's laying: a report lays a new text in as many lines at every run.
  std::vector<TRichLine> spareLines_;
};

// Lays the content out in units of DotsPerInch (96 for the screen, 1440 for
// twips). Every measure is taken on one image canvas at that resolution,
// whatever the text is drawn on later, so that the screen, metafiles and
// PDF break lines alike.
class TRichLayout {
 public:
  TRichLayout(const TRichContent& content, int dotsPerInch) : content_(content), dpi_(dotsPerInch) {}
  // The font of a character format at the layout's resolution, when the
  // user has one (true): the control gives its own font for its default
  // format, so that plain text keeps its pixel height.
  std::function<bool(const TRichCharFormat&, TFont&)> FontOf;
  // Where the characters of a line end, when the user keeps them (Draw
  // asks it instead of measuring again).
  std::function<const std::vector<int>&(const TRichLine&)> EndsOf;
  // The resolution Draw scales to; 0 takes the canvas's. The control draws
  // itself in its own pixels on any canvas, as the other controls do.
  int DrawDpi = 0;
  // When set, every run is drawn in this colour (a disabled control's).
  TColor TextColor = clNone;
  // Measures kept by the user across layouts of one content (with no
  // FontOf of its own); each layout measures afresh without.
  TRichMeasures* Measures = nullptr;

  // Lines from character From (a line starts there even mid-paragraph)
  // within Width, wrapped unless Wrap is off (the width then only aligns);
  // with Height > 0 only as many as fit, and at least one; with LastPara
  // >= 0 up to the end of that paragraph.
  std::vector<TRichLine> Lay(int from, int width, int height = 0, bool wrap = true, int lastPara = -1) const;
  // What Lay(From, Width, Height) gives, from lines the measures keep:
  // format-range asks for the same start and width with a taller
  // rectangle at every step a band grows, and the lines do not change
  // with the height. Into Room, when given, the least height that may hold
  // every line from From to the end of the text (a lower bound where the
  // lines below Height are not laid out yet): no lower page holds them.
  std::vector<TRichLine> LayPage(int from, int width, int height, int* room = nullptr) const;
  // The same into Lines, whose storage a user that lays page after page
  // keeps.
  void LayPage(int from, int width, int height, int* room, std::vector<TRichLine>& lines) const;
  // The right edge of each character of Line, from the line's Left.
  std::vector<int> CharEnds(const TRichLine& line) const;
  // The width of the line's characters (what CharEnds ends with), through
  // the measures the text engine remembers.
  int Measure(const TRichLine& line) const;
  // Draws Lines at (X, Y) of the canvas in its device units, the layout
  // scaled to the canvas's resolution; the clip rectangle, when given,
  // bounds the drawing. Selection [SelStart, SelEnd) is drawn highlighted.
  void Draw(TCanvas& canvas, const std::vector<TRichLine>& lines, int x, int y, int selStart = 0,
            int selEnd = 0, TColor highlight = clHighlight, TColor highlightText = clHighlightText) const;
  void MakeFont(const TRichCharFormat& format, TFont& font) const;
  int DotsPerInch() const { return dpi_; }

 private:
  // Draws again what Drawn holds, from (X, Y).
  static void Replay(TCanvas& canvas, TRichMeasures& measures, const TRichMeasures::TDrawn& drawn, int x,
                     int y);
  using TSegment = TRichSegment;
  std::vector<TSegment> Segments(int start, int end) const;
  // The same into a vector kept by the caller.
  void Segments(int start, int end, std::vector<TSegment>& into) const;
  // Starts laying the paragraph that holds Pos from Pos on.
  void BeginParagraph(TRichLaying& laying, int pos, bool wrap) const;
  // The line at the laying's At, its top at the laying's Top; the laying
  // keeps what it measured for it but stays at the line.
  TRichLine NextLine(TRichLaying& laying, TRichMeasurer& m, int width, bool wrap) const;
  // Moves the laying past Line, to the next paragraph when Line ends its
  // own; with LastPara >= 0 it is done after that paragraph.
  void PassLine(TRichLaying& laying, const TRichLine& line, bool wrap, int lastPara) const;
  // Whether the lines laid from Origin, from the one that starts at From
  // on, are the lines laid from From: they are unless From cuts a segment
  // whose characters measure otherwise from From than from its start.
  bool ContinuesAt(int origin, int from, TRichMeasurer& m) const;
  int TabStop(const TRichParaFormat& para, int x) const;
  // CharEnds into Ends with the measurer and segment storage given.
  void CharEnds(const TRichLine& line, TRichMeasurer& m, std::vector<TSegment>& segs,
                std::vector<int>& ends) const;
  // Moves the character ends of a justified line by its stretch.
  void Spread(const TRichLine& line, std::vector<int>& ends) const;
  int BulletIndent() const;
  const TRichContent& content_;
  int dpi_;
};
