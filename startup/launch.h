// Starting the configured command after a complete extraction.
#pragma once

#include "platform/types.h"

// Part `which` (1: program, 2: parameters) of runCommand, with every "##" replaced
// by targetFolder ending in a backslash, in its short path form, into out.
void ExpandCommandPart(int32_t which, char* out, uint32_t outSize);
// Starts the command when code is 1 and the block has a run command.
void LaunchAfterExtraction(int32_t code);
