// Which of the system's icons a message box of another process shows.
//
// The icon handle in the box's static (id 1088) belongs to the stub's process and
// Wine gives every process its own handles for the shared system icons, so the
// handle cannot be compared with ours nor drawn by us. The box is on the screen,
// though: the probe reads the static's pixels back from the display and compares
// them with each system icon drawn here the same way.
#pragma once

#include <windows.h>

#include <string>

// Writes what the screen shows of the window (frame included) to a PNG file.
bool SnapWindow(HWND window, const std::string& pngPath);

// "error", "warning", "information", "question", "none" (no icon control shown),
// or "unknown" when no system icon matches the pixels.
std::string IdentifyMessageIcon(HWND messageBox, DWORD timeoutMs);
