#pragma once
// The classic look of the standard controls beyond edges and frame controls
// (platform/gfx/FrameControls.h): captions that grey out when disabled,
// glyphs cut from a strip of images, focus rectangles. Every standard
// control draws through these, so the look changes in one place.

#include <cstdint>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/FrameControls.h"
#include "platform/gfx/Graphics.h"

class TControl;

namespace ui::paint {

// The draw serial of the window Control shows on; 0 while it is not
// showing. Equal readings mean nothing was drawn on the window in between,
// so what a control drew outside its paint (a mark over its pixels) still
// shows.
std::uint64_t DrawSerialOf(TControl* control);
// Whether the window's pending paint takes in all of Area (the control's
// client coordinates): what is drawn there now is painted over before the
// window is next shown.
bool PaintPendingOver(TControl* control, const TRect& area);

// Draws Text with DrawText's Format in the canvas's font; a disabled
// caption is embossed (highlight one pixel down-right, shadow on top).
// The brush is left clear.
void Caption(TCanvas& canvas, const AnsiString& text, TRect rect, unsigned format, bool enabled);
// The size DrawText gives Text in the canvas's font (Format without
// DT_CALCRECT); Width bounds word-wrapped text.
TSize CaptionExtent(TCanvas& canvas, const AnsiString& text, unsigned format, int width = 0);

// Image Index of a strip of Count equally wide images (Count < 1 counts as
// one); an index past the strip gives the first image.
TPixelBlock GlyphImage(const TBitmap& strip, int count, int index);
// Draws a glyph with its key colour transparent (clNone: only pixels with
// no alpha are); disabled glyphs are drawn embossed in the highlight and
// shadow colours.
void Glyph(TCanvas& canvas, const TPixelBlock& image, TColor key, TPoint at, bool enabled);

// Readies the canvas for a line of a list: the control's Font with a solid
// brush of its Color, or in the highlight colours when the line is selected.
void ItemColours(TCanvas& canvas, const TFont& font, TColor color, bool selected);

// The dotted focus rectangle, drawn with the canvas's current colours.
void FocusRect(TCanvas& canvas, const TRect& rect);
// A solid rectangle in Color, keeping the canvas's brush.
void Fill(TCanvas& canvas, const TRect& rect, TColor color);
// A one-pixel frame in Color, keeping the canvas's brush.
void Frame(TCanvas& canvas, const TRect& rect, TColor color);

}  // namespace ui::paint
