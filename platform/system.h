// The process and its surroundings.
#pragma once

#include "platform/types.h"

// Full path of the program's own executable file; returns its length.
uint32_t GetProgramPath(char* buffer, uint32_t size);
// The current folder of the process, zero-terminated (at most size - 1 characters).
void GetCurrentFolder(char* buffer, uint32_t size);
// The system's temporary folder, ending in a backslash.
void GetTempFolder(char* buffer, uint32_t size);
// Replaces text, in place, by its short (8.3) form when the path exists and that
// form is shorter; otherwise leaves it unchanged. size is the text's length.
void ToShortPath(char* text, uint32_t size);
// Starts program with parameters through the shell's "open" action and does not
// wait. Nothing of the outcome is reported.
void StartProgram(const char* program, const char* parameters);
