#pragma once
// The mini-HTML renderer's working state for one HTMLDraw call, shared by
// its files (lines and runs, tags, pictures and control markers). Not a
// public interface.

#include <algorithm>
#include <string_view>
#include <vector>

#include "grid/EsgHTMLE.h"

namespace esghtml {

// The number at the start of Text (blanks skipped, "-" allowed), read up to
// the first other character; 0 when none. Kept within a million.
int LeadingNumber(const AnsiString& text);
// Digits only (at most nine); false otherwise.
bool ValidNumber(const AnsiString& text, int& value);

// Positions move by this helper, held within a billion pixels either way
// so that no markup can overflow them.
inline void Advance(int& position, long long by) {
  constexpr long long kFar = 1LL << 29;
  position = static_cast<int>(std::clamp(position + by, -kFar, kFar));
}

// The arguments of one call, outputs included.
struct TCallArgs {
  TCanvas& Canvas;
  TRect Bounds;
  TCustomImageList* ImageList;
  int MouseX, MouseY, FocusAnchorIndex, HoverAnchorNumber, ShadowOffset;
  bool HitTestOnly, MeasureOnly, Printing, KeepColours, BlinkVisible, HoverEnabled, WordWrap, MouseDown;
  double PrintScale;
  TColor AnchorColour, HoverBackColour, HoverTextColour, ShadowColour;
  AnsiString& HitAnchor;
  AnsiString& PlainText;
  AnsiString& FocusedHref;
  int& ExtentX;
  int& ExtentY;
  int& MouseAnchorNumber;
  TRect& MouseAnchorRect;
  TRect& ControlRect;
  AnsiString& ControlID;
  AnsiString& ControlValue;
  AnsiString& ControlType;
  THTMLPictureCache* PictureCache;
  TPictureContainer* PictureContainer;
  // The captioned panel's rules where they differ from the grid's: lines
  // start at the left edge, no control markers, a closing P keeps the line
  // going, the anchor band of a hit sits on the subscript allowance, and a
  // call that draws nothing lays out the whole text (it measures and
  // hit-tests at once).
  bool PanelRules = false;
  // Where the focused anchor's rectangle goes, when wanted.
  TRect* FocusRect = nullptr;
  // The window the theme's control parts are drawn for.
  HWND WindowHandle = nullptr;
};

// What tags switch on and off; carried from a line's measuring pass to its
// drawing pass (saved before, put back after) and on to the next line.
struct TStyle {
  TFont Font;
  TBrush Brush;
  std::vector<TFont> Unrotated;  // fonts before each open R tag
  bool Shadow = false, Subscript = false, Superscript = false, Hidden = false, ErrorMark = false;
  bool InAnchor = false, AnchorHighlighted = false, AnchorUnderMouse = false, ParagraphBack = false;
  AnsiString AnchorTarget;
  int AnchorCount = 0;
  int AnchorStartX = 0;
  int AnchorStartLine = -1;
  int ListLevel = 0;
  int ImageCount = 0;
  TColor HiFont = clNone, HiBrush = clNone, FontBackBrush = clNone, ParagraphBrush = clNone;
  TColor AnchorFont = clNone, AnchorBrush = clNone;
  int Alignment = 0, Indent = 0;
  // The focus rectangle of an anchor running over lines resumes at the
  // next line's left.
  bool FocusOpen = false;
  int FocusLeft = 0;
};

// Values of the line being laid out.
struct TLine {
  int X = 0;  // pixels from the line's start
  int Height = 0, ExtraBelow = 0, ExtraAbove = 0, ImageOffset = 0, TrailingBlank = 0;
  bool HoldsListItem = false;
  bool Ended = false;         // the line ends after this tag
  bool BreakPending = false;  // the line ends before this tag
  AnsiString Text;            // the runs placed on it
};

class TRenderer {
 public:
  TRenderer(TCallArgs& args, AnsiString text);
  bool Run();
  int AnchorCount() const { return style_.AnchorCount; }

 private:
  // The line renderer: measuring consumes one line's markup from Rest and
  // returns it; drawing lays out Markup (already cut to fit) in Rect.
  AnsiString MeasureLine(std::string_view& rest, const TRect& rect);
  void DrawLine(std::string_view markup, const TRect& rect);
  void EndLine(const TRect& rect, bool drawing);
  bool TextRun(std::string_view& rest, const TRect& rect, bool drawing, AnsiString* lineMarkup);
  void TagAt(std::string_view& rest, const TRect& rect, bool drawing, AnsiString* lineMarkup);

  // Tags (EsgHTMLETags.cpp).
  void OpenTag(const AnsiString& tag, const TRect& rect, bool drawing);
  void CloseTag(const AnsiString& tag, const TRect& rect, bool drawing);
  void AnchorTag(const AnsiString& tag, const TRect& rect, bool drawing);
  void CloseAnchor(const TRect& rect, bool drawing);
  // The anchor under the mouse ends on Line, drawn in Rect.
  void RecordMouseAnchor(const TRect& rect, int line);
  void FontTag(const AnsiString& upper, bool drawing);
  void ParagraphTag(const AnsiString& upper, const TRect& rect, bool drawing);
  void ListItemTag(const TRect& rect, bool drawing);
  void RotationTag(const AnsiString& tag);
  void SetBrush(TColor color);
  TColor BrushOrNone() const;
  void FillBand(const TRect& band, TColor color);

  // Pictures and control markers (EsgHTMLEImages.cpp).
  void BodyTag(const AnsiString& upper, bool drawing);
  void ImageTag(const AnsiString& upper, const TRect& rect, bool drawing);
  void ControlTag(const AnsiString& tag, const TRect& rect, bool drawing);
  // Takes a place of Width × Height on the line, or asks for the next line.
  bool Place(int width, int height, const TRect& rect);
  THTMLPicture* FindPicture(const AnsiString& source) const;

  int TextFlags() const;
  int RunBottom(const TRect& rect) const;
  // Draws (unless only hit-testing) and reports the focused anchor's frame.
  void FocusFrame(const TRect& frame);
  int AvailableWidth(const TRect& rect) const { return rect.Right - rect.Left; }

  TCallArgs& a_;
  TCanvas& c_;
  AnsiString text_;
  TFont baseFont_;
  TBrush startBrush_;
  int ghHeight_ = 0;  // text height of "gh" in the base font
  TStyle style_;
  TLine line_;
  int lineIndex_ = 0;
  int runX_ = 0;  // where the next run is drawn (canvas x)
  bool anchorHit_ = false, objectHit_ = false;
  bool drawingPass_ = false;
};

}  // namespace esghtml
