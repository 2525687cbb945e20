// The password prompt.
#pragma once

#include "platform/types.h"

// What the user typed at the last confirmation of the prompt: at most 79
// characters, zero-terminated, and its length.
extern char passwordText[80];
extern int32_t passwordLength;

// Runs the prompt modally and fills passwordText and passwordLength.
void PromptForPassword();
