// Pictures and control markers in mini-HTML text: IMG from an image list,
// the system's file and folder icons, a picture container or the picture
// cache; BODY backgrounds; CONTROL markers drawn as edit fields, combo
// boxes, check boxes, radio buttons and buttons.

#include <algorithm>

#include "grid/EsgHTMLERender.h"
#include "grid/ExtXPVS.h"
#include "grid/PictureContainer.h"
#include "platform/gfx/FrameControls.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/ShellIcons.h"

namespace esghtml {

namespace {

// A BODY background is tiled at most this many times; a picture so small
// that it needs more is tiled that far.
constexpr int kMaxTiles = 4096;

}  // namespace

bool TRenderer::Place(int width, int height, const TRect& rect) {
  if (width <= 0 || height <= 0) return false;
  const int available = AvailableWidth(rect);
  if (!drawingPass_ && line_.X + width > available && available > width) {
    line_.BreakPending = true;
    return false;
  }
  if (!drawingPass_) {
    Advance(line_.X, width);
    line_.Height = std::max(line_.Height, height);
  }
  Advance(runX_, width);
  return true;
}

THTMLPicture* TRenderer::FindPicture(const AnsiString& source) const {
  if (source.find(':') == AnsiString::npos)
    return a_.PictureContainer ? a_.PictureContainer->PictureByName(source) : nullptr;
  if (source.find("://") == AnsiString::npos || !a_.PictureCache) return nullptr;
  if (THTMLPicture* picture = a_.PictureCache->PictureByID(source)) return picture;
  THTMLPicture* picture = a_.PictureCache->NewPicture();
  picture->Asynchronous = false;
  try {
    picture->LoadFromSource(source);
  } catch (const std::exception&) {
    // A picture that cannot be read stays in the cache, empty.
  }
  picture->ID = source;
  return picture;
}

void TRenderer::BodyTag(const AnsiString& upper, bool drawing) {
  if (!drawing || a_.HitTestOnly) return;
  if (upper.find("BACKGROUND") != AnsiString::npos) {
    THTMLPicture* picture = FindPicture(HTMLQuotedValue(upper, upper, "BACKGROUND"));
    if (picture && !picture->Empty() && picture->Width() > 0 && picture->Height() > 0) {
      const TRect visible = IntersectRect(a_.Bounds, c_.ClipRect());
      const int w = picture->Width(), h = picture->Height();
      int tiles = 0;
      try {
        for (int y = a_.Bounds.Top + std::max(0, (visible.Top - a_.Bounds.Top) / h * h);
             y < visible.Bottom && tiles < kMaxTiles; y += h)
          for (int x = a_.Bounds.Left + std::max(0, (visible.Left - a_.Bounds.Left) / w * w);
               x < visible.Right && tiles < kMaxTiles; x += w, ++tiles)
            picture->Draw(c_, Bounds(x, y, w, h));
      } catch (const std::exception&) {
      }
    }
  }
  if (upper.find("BGCOLOR") != AnsiString::npos) {
    const AnsiString value = HTMLQuotedValue(upper, upper, "BGCOLOR");
    TColor colour = c_.Brush->Color;
    if (value.find("CL") != AnsiString::npos)
      colour = ColorNameToColor(LowerCase(value));
    else if (value.find('#') != AnsiString::npos)
      colour = HexColorToColor(value);
    SetBrush(colour);
    FillBand(a_.Bounds, colour);
  }
}

void TRenderer::ImageTag(const AnsiString& upper, const TRect& rect, bool drawing) {
  const AnsiString source = HTMLQuotedValue(upper, upper, "SRC");
  int attrWidth = 0, attrHeight = 0;
  ValidNumber(HTMLQuotedValue(upper, upper, "WIDTH"), attrWidth);
  ValidNumber(HTMLQuotedValue(upper, upper, "HEIGHT"), attrHeight);
  const int dpiX = c_.GetDeviceCaps(LOGPIXELSX), dpiY = c_.GetDeviceCaps(LOGPIXELSY);
  const int top = rect.Top;
  const int x = runX_;
  const bool paint = drawing && !a_.HitTestOnly;
  int w = 0, h = 0;

  if (source.rfind("IDX:", 0) == 0) {
    int index = -1;
    if (!a_.ImageList || !ValidNumber(source.substr(4), index) || index >= a_.ImageList->Count()) return;
    w = MulDiv(a_.ImageList->Width(), dpiX, 96);
    h = MulDiv(a_.ImageList->Height(), dpiY, 96);
    if (!Place(w, h, rect)) return;
    if (paint && !a_.Printing) {
      a_.ImageList->Draw(c_, x, top, index, true);
    } else if (paint) {
      const int pw = static_cast<int>(a_.ImageList->Width() * a_.PrintScale + 0.5);
      const int ph = static_cast<int>(a_.ImageList->Height() * a_.PrintScale + 0.5);
      c_.DrawPixels(Bounds(x, top, pw, ph), a_.ImageList->Image(index), false, clNone);
    }
  } else if (source.rfind("SSYS:", 0) == 0 || source.rfind("LSYS:", 0) == 0) {
    const int side = source[0] == 'S' ? shell::kSmallIconSide : shell::kLargeIconSide;
    const AnsiString what = source.substr(5);
    int index = 0;
    if (!ValidNumber(what, index)) index = shell::SystemIconIndex(what);
    w = MulDiv(side, dpiX, 96);
    h = MulDiv(side, dpiY, 96);
    if (!Place(w, h, rect)) return;
    if (paint) {
      const int printed = static_cast<int>(side * a_.PrintScale + 0.5);
      const TRect at = a_.Printing ? Bounds(x, top, printed, printed) : Bounds(x, top, w, h);
      c_.DrawPixels(at, shell::SystemIcon(index, std::max(at.Width(), at.Height())), false, clNone);
    }
  } else {
    THTMLPicture* picture = FindPicture(source);
    if (!picture || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0) return;
    const bool sized = attrWidth > 0 && attrHeight > 0;
    w = MulDiv(sized ? attrWidth : picture->Width(), dpiX, 96);
    h = MulDiv(sized ? attrHeight : picture->Height(), dpiY, 96);
    if (!Place(w, h, rect)) return;
    if (paint) {
      try {
        if (sized) {
          const bool stretch = picture->Stretch;
          picture->Stretch = true;
          picture->Draw(c_, Bounds(x, top, w, h));
          picture->Stretch = stretch;
        } else {
          if (picture->FrameCount() > 1)
            FillBand(Bounds(x, top, picture->AnimationWidth(), picture->AnimationHeight()),
                     startBrush_.Color);
          picture->Draw(c_, Bounds(x + picture->FrameXPos(), top + picture->FrameYPos(), w, h));
        }
      } catch (const std::exception&) {
      }
    }
  }
  ++style_.ImageCount;

  if (drawing && style_.InAnchor && a_.MouseX > x && a_.MouseX < x + w && a_.MouseY > top &&
      a_.MouseY < top + h) {
    objectHit_ = true;
    a_.HitAnchor = style_.AnchorTarget;
    style_.AnchorUnderMouse = true;
  }
  if (!drawing) {
    const int gh = c_.TextHeight("gh");
    if (upper.find("\"TOP") != AnsiString::npos)
      line_.ImageOffset = line_.Height - gh;
    else if (upper.find("\"MIDDLE") != AnsiString::npos)
      line_.ImageOffset = std::max(0, line_.Height - gh) / 2;
  }
}

void TRenderer::ControlTag(const AnsiString& tag, const TRect& rect, bool drawing) {
  const THTMLControlTag control = ParseControlTag(tag);
  int cw = 0, ch = 0, width = 0;
  if (ValidNumber(control.Width, width)) {
    cw = width;
    ch = c_.TextHeight("gh") + 6;
  }
  if (control.Type == "BUTTON") ch = 24;
  if (control.Type == "COMBO") ch = 25;
  if (control.Type == "CHECK" || control.Type == "RADIO") cw = ch = 16;
  const int L = runX_;
  if (!Place(cw, ch, rect) || !drawing) return;

  const int B = RunBottom(rect), H = line_.Height, W = width;
  const bool over = a_.MouseX > L && a_.MouseX < L + cw && a_.MouseY > B - ch && a_.MouseY < B;
  if (over) {
    objectHit_ = true;
    a_.HitAnchor = "ctrl";
    a_.ControlRect = {L, B - ch, L + cw, B};
    a_.ControlID = control.ID;
    a_.ControlValue = control.Value;
    a_.ControlType = control.Type;
  }
  if (a_.HitTestOnly) return;

  const TPen pen = *c_.Pen;
  const TBrush brush = *c_.Brush;
  const bool checked = UpperCase(control.Value) == "TRUE";
  // With a theme active its parts draw the controls, else the classic look.
  auto themed = [&](const char16_t* themeClass, int part, int state, const TRect& r) {
    return DrawThemedPart(a_.WindowHandle, themeClass, c_, part, state, r);
  };
  const bool pressed = over && a_.MouseDown;
  if (control.Type == "EDIT" || control.Type == "COMBO") {
    c_.Pen->Color = clGray;
    c_.Pen->Style = psSolid;
    c_.Brush->Style = bsClear;
    c_.Rectangle(L, B - H + 3, L + W, B + 1);
    const bool combo = control.Type == "COMBO";
    TRect value{L + 2, B - H + (combo ? 6 : 4), L + W - (combo ? 17 : 0), B};
    c_.DrawText(control.Value, value, 0);
    if (combo) {
      TRect button{L + W - 19, B - H + 6, L + W - 3, B - 2};
      if (!themed(u"combobox", 1, over ? 2 : 1, button))
        DrawFrameControl(c_, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
    }
  } else if (control.Type == "CHECK") {
    TRect box{L + 2, B - 15, L + 15, B};
    if (!themed(u"button", 3, checked ? 5 : 1, box))
      DrawFrameControl(c_, box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
  } else if (control.Type == "RADIO") {
    TRect box{L + 2, B - 14, L + 14, B};
    // Normal, hot and pressed, each checked or not.
    const int state = (pressed ? 3 : over ? 2 : 1) + (checked ? 4 : 0);
    if (!themed(u"button", 2, state, box))
      DrawFrameControl(c_, box, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
  } else if (control.Type == "BUTTON") {
    TRect face{L + 2, B - 20, L + W - 2, B};
    // Pressed only under the held button: a button held elsewhere (a drag
    // over the grid's cells) leaves the other buttons up.
    if (!themed(u"button", 1, pressed ? 3 : over ? 2 : 1, face))
      DrawFrameControl(c_, face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    c_.Brush->Style = bsClear;
    TRect caption = InflateRect(TRect{L + 2, B - 20, L + W - 2, B}, -2, -2);
    // The face is the button's own whatever the cell's colours: a selected
    // cell's text colour would leave the caption unreadable on it.
    const TColor text = c_.Font->Color;
    c_.Font->Color = clBtnText;
    c_.DrawText(control.Value, caption, DT_CENTER);
    c_.Font->Color = text;
  }
  *c_.Pen = pen;
  *c_.Brush = brush;
}

}  // namespace esghtml
