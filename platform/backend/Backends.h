#pragma once
// Choosing where windows live.

// Installs the screen backend when a display is there (and SDL opens it),
// the headless one otherwise. DIM_BACKEND=headless or DIM_BACKEND=screen in
// the environment decides instead. Also makes Application->Initialize use
// this choice.
void InstallDefaultBackend();
