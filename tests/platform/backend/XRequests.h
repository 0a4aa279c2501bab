#pragma once
// Requests to the X display made the way only Xlib can, kept in a file of
// their own because Xlib's header defines names that clash with the
// program's.

struct SDL_Window;

// Sends a message to a window that does not exist, as a closing window's
// last requests can be, through the display connection of Any, and waits
// until the display has answered.
void SendToMissingWindow(SDL_Window* any);

// Asks the window manager, as its own maximise button does, to maximise
// the window.
void AskWindowManagerToMaximise(SDL_Window* window);
