#pragma once
// Requests to the X display made the way only Xlib can, kept in a file of
// their own because Xlib's header defines names that clash with the
// program's.

#include <string>
#include <vector>

struct SDL_Window;

// Sends a message to a window that does not exist, as a closing window's
// last requests can be, through the display connection of Any, and waits
// until the display has answered.
void SendToMissingWindow(SDL_Window* any);
// The same through a connection of its own to the named display.
void SendToMissingWindowOn(const char* display);

// Asks the window manager, as its own maximise button does, to maximise
// the window.
void AskWindowManagerToMaximise(SDL_Window* window);

// The 32-bit items of a property of the window (empty when it has none).
std::vector<long> WindowProperty(SDL_Window* window, const char* name);
// The names of the atoms a property of the window lists.
std::vector<std::string> WindowAtomNames(SDL_Window* window, const char* name);
// The display's number of the window Window is transient for (0: none).
unsigned long TransientFor(SDL_Window* window);
// The smallest and largest sizes the window lets the manager give it;
// false when it states neither.
bool SizeLimits(SDL_Window* window, int& minWidth, int& minHeight, int& maxWidth, int& maxHeight);
