#pragma once
// The rich edit's text as a document of paragraphs made of runs, and the
// RTF reader and writer over it. Nothing here draws or needs a window: the
// control, the clipboard and the printers convert through this model.
//
// Lengths are in twips (1/20 point) as RTF keeps them, font sizes in half
// points, so that what is read is written back unchanged.

#include <string_view>
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
  WideString Text;  // UTF-16; tabs as '\t', no line breaks
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
