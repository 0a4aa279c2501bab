#pragma once
// The classic three-dimensional edges and frame controls (buttons, check
// boxes, radio buttons, scroll and combo arrows), drawn with the canvas in
// the system colours of the classic palette.

#include "platform/gfx/Graphics.h"

constexpr unsigned BDR_RAISEDOUTER = 1, BDR_SUNKENOUTER = 2, BDR_RAISEDINNER = 4, BDR_SUNKENINNER = 8,
                   BDR_OUTER = 3, BDR_INNER = 12, EDGE_RAISED = 5, EDGE_SUNKEN = 10, EDGE_ETCHED = 6,
                   EDGE_BUMP = 9;
constexpr unsigned BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_TOPLEFT = 3, BF_BOTTOMRIGHT = 12,
                   BF_RECT = 15, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000,
                   BF_MONO = 0x8000;

constexpr unsigned DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0, DFCS_BUTTONRADIO = 4, DFCS_BUTTON3STATE = 8, DFCS_BUTTONPUSH = 0x10,
                   DFCS_SCROLLUP = 0, DFCS_SCROLLDOWN = 1, DFCS_SCROLLLEFT = 2, DFCS_SCROLLRIGHT = 3,
                   DFCS_SCROLLCOMBOBOX = 5, DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400,
                   DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;

// Draws the edge on the sides Flags names; with BF_ADJUST the rectangle
// shrinks by what was drawn. The canvas's brush is kept.
bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags);
bool DrawFrameControl(TCanvas& canvas, TRect& rect, unsigned type, unsigned state);
