// Message boxes and the one-message pump.
#pragma once

#include "platform/types.h"

enum MessageIcon : uint32_t {
  kIconError = 0x10,
  kIconWarning = 0x30,
  kIconInformation = 0x40,
};

// Shows a message box without owner, captioned "Quillpack 2.0 SFX", with an OK
// button and the icon; returns when the user has dismissed it.
void ShowMessage(const char* text, uint32_t icon);
// The same for a fixed text directly followed by a path ("Cannot open file " + path).
void ShowPathMessage(const char* text, const char* path, uint32_t icon);
// Removes, translates and dispatches one waiting window message, if there is one.
void PumpOneMessage();

extern const char kMessageCaption[];
