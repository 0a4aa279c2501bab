#pragma once
// Mini-HTML: the small markup that grid cells, the grid's hints and the
// panel caption may hold instead of plain text. The text helpers work on
// the markup alone (no canvas); HTMLDraw lays it out on a canvas, draws or
// measures it and tells what lies under the mouse. Text is code page 1253.

#include "platform/gfx/Graphics.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Windows.h"

class TCustomImageList;
class THTMLPicture;
class THTMLPictureCache;
class TPictureContainer;

// ---- colours ---------------------------------------------------------------

struct TColorName {
  const char* Name;  // lower case, "cl" prefix
  TColor Value;
};
inline constexpr int ColorNameCount = 40;
// Sixteen explicit colours, then the system colours.
extern const TColorName ColorNameTable[ColorNameCount];

// The table's colour of an exact (lower-case) name; black for any other.
TColor ColorNameToColor(const AnsiString& Name);
// "#RRGGBB" (upper-case digits) as 0x00BBGGRR; a pair that is missing gives
// 0 for its component.
TColor HexColorToColor(const AnsiString& Text);
// A colour attribute's value: "#..." in hex, anything else a colour name,
// lower-cased first.
TColor HTMLAttributeColor(const AnsiString& Value);

// ---- entities --------------------------------------------------------------

// "&lt;" and "&gt;" in any case to "<" and ">", and back.
AnsiString DecodeAngleEntities(const AnsiString& Text);
AnsiString EncodeAngleEntities(const AnsiString& Text);
// The named character entities (&amp; &quot; &sect; &permil; &reg; &copy;
// &para; &trade; &euro;, any case) replaced until none is left. "&amp;"
// becomes "&&", because the text is drawn with "&" prefix processing.
AnsiString ReplaceHTMLEntities(const AnsiString& Text);
// What a text run holds inside: "&nbsp;", "&lt;" and "&gt;" (lower case).
AnsiString DecodeRunEntities(const AnsiString& Run);

// ---- markup text -----------------------------------------------------------

// The plain text: "<BR>" and "<HR>" (any case) become CR LF, every other tag
// goes; a "<" without ">" after it keeps the rest as it stands.
AnsiString StripHTML(const AnsiString& Text);

// The text between the first two double quotes after Name, which is looked
// for in Upper (the upper-cased Tag) and read from Tag in its own case; ""
// when Name or either quote is missing.
AnsiString HTMLQuotedValue(const AnsiString& Tag, const AnsiString& Upper, const char* Name);

// The attributes of a CONTROL marker, values in their own case (TYPE upper
// case, "&lt;"/"&gt;" decoded in VALUE); absent ones are empty.
struct THTMLControlTag {
  AnsiString Type, ID, Value, Width;
};
THTMLControlTag ParseControlTag(const AnsiString& Tag);
void ParseControlTag(const AnsiString& Tag, AnsiString& Type, AnsiString& ID, AnsiString& Value,
                     AnsiString& Width);
// Rewrites the VALUE of the first CONTROL marker whose ID is ID (case
// counts); false, with Text unchanged, when no marker has it.
bool SetHTMLControlValue(AnsiString& Text, const AnsiString& ID, const AnsiString& NewValue);

// ---- drawing ---------------------------------------------------------------

// Lays Text out in Bounds on Canvas: measures (MeasureOnly), positions and
// hit-tests without drawing (HitTestOnly), or draws. Every output is
// cleared first. True when the mouse lies over anchor text, an image in an
// anchor or a control marker. The canvas's font and brush colour are put
// back on return. Never raises for any markup.
bool HTMLDraw(TCanvas& Canvas, const AnsiString& Text, const TRect& Bounds, TCustomImageList* ImageList,
              int MouseX, int MouseY, int FocusAnchorIndex, int HoverAnchorNumber, int ShadowOffset,
              bool HitTestOnly, bool MeasureOnly, bool Printing, bool KeepColours, bool BlinkVisible,
              bool HoverEnabled, bool WordWrap, bool MouseDown, double PrintScale, TColor AnchorColour,
              TColor HoverBackColour, TColor HoverTextColour, TColor ShadowColour, AnsiString& HitAnchor,
              AnsiString& PlainText, AnsiString& FocusedHref, int& ExtentX, int& ExtentY, int& AnchorCount,
              int& MouseAnchorNumber, TRect& MouseAnchorRect, TRect& ControlRect, AnsiString& ControlID,
              AnsiString& ControlValue, AnsiString& ControlType, THTMLPictureCache* PictureCache,
              TPictureContainer* PictureContainer, HWND WindowHandle);
