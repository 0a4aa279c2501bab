#pragma once
// Edit masks: the pattern a masked edit (and the grid's in-place editor)
// holds its text to. A mask is "pattern;keep;blank":
//   0 digit, required        9 digit, optional
//   L letter, required       l letter, optional
//   A letter or digit, req.  a letter or digit, optional
//   C any character, req.    c any character, optional
//   # digit, "+" or "-", optional
//   > upper case from here   < lower case from here   <> no conversion
//   \ the next character is a literal
//   ! optional places left empty show as leading blanks of the text
//   anything else is a literal, shown and skipped over by the caret.
// The second field says whether Text keeps the literals ("1", the default)
// or not ("0"); the third is the character shown in empty places ("_" by
// default). Letters are those of code page 1253, Greek included.
// Nothing here draws: the masked edit asks this class what to show and
// whether a key fits.

#include <vector>

#include "platform/rtl/System.h"

class TEditMask {
 public:
  TEditMask() = default;
  // Any text is a mask: a trailing "\" is a literal backslash, a missing
  // or empty field takes its default.
  explicit TEditMask(const AnsiString& mask);

  bool Empty() const { return places_.empty(); }
  const AnsiString& Source() const { return source_; }
  bool KeepLiterals() const { return keepLiterals_; }
  char Blank() const { return blank_; }
  // Number of places, literals included: the length of the edit text.
  int Length() const { return static_cast<int>(places_.size()); }
  bool IsLiteral(int pos) const;
  // The mask's text with every input place blank.
  AnsiString EmptyText() const;
  // Ch as it would stand at Pos (case converted), or 0 when it does not fit.
  char Accept(int pos, char ch) const;
  // The first input place at or after Pos (Length() when none); the last
  // at or before Pos (-1 when none).
  int NextInput(int pos) const;
  int PrevInput(int pos) const;
  // The first required place left blank in EditText, or -1 when the text is
  // complete.
  int FirstMissing(const AnsiString& editText) const;
  // The value the edit text stands for: literals dropped unless kept, blanks
  // become spaces; spaces of empty places are trimmed at the end (and at
  // the start with "!").
  AnsiString TextOf(const AnsiString& editText) const;
  // The edit text for a value: with kept literals the value is read place by
  // place, otherwise its characters fill the input places in turn. Characters
  // that do not fit leave their place blank.
  AnsiString EditTextOf(const AnsiString& value) const;

 private:
  enum class Kind : unsigned char { Literal, Digit, DigitSign, Letter, AlphaNum, Any };
  enum class Case : unsigned char { Keep, Upper, Lower };
  struct Place {
    Kind kind = Kind::Literal;
    bool required = false;
    Case charCase = Case::Keep;
    char literal = 0;
  };
  AnsiString source_;
  std::vector<Place> places_;
  bool keepLiterals_ = true;
  bool leadingBlanks_ = false;
  char blank_ = '_';
};

// A 1253 letter (Latin or Greek).
bool IsMaskLetter(char ch);
