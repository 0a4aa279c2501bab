#pragma once
// Questions the screen backend asks the X display directly.

struct SDL_Window;
struct TFrameHints;

// The Ctrl and Shift keys held now, whichever window has the keyboard;
// false when the display cannot say (not X).
bool QueryHeldModifiers(SDL_Window* anyWindow, bool& ctrl, bool& shift);
// Where the pointer is on the screen and whether its left button is held;
// false when the display cannot say (not X).
bool QueryPointer(SDL_Window* anyWindow, int& x, int& y, bool& leftHeld);
// Whether Window holds the keyboard focus of the display.
bool HoldsKeyboard(SDL_Window* window);
// The display's own number of Window (0 when not X).
unsigned long DisplayWindowId(SDL_Window* window);
// Hands the keyboard focus of the display to Window.
void GiveKeyboard(SDL_Window* window);
// A request the display refuses is written to the error output and the
// program goes on. Such refusals come in the ordinary course (a window
// closed before a request for it arrived); Xlib's own handler would end the
// program with the user's work. A lost connection still ends it.
void SurviveDisplayErrors();
// Tells the window manager, before Window is first mapped, what its frame
// offers and which window it belongs above (Owner, may be null).
void ApplyFrameHints(SDL_Window* window, const TFrameHints& hints, SDL_Window* owner);
