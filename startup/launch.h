// Starting the configured command after a complete extraction.
#pragma once

#include "platform/types.h"

// Part `which` (1: program, 2: parameters) of runCommand, with every "##" replaced
// by targetFolder ending in a backslash, in its short path form. The text is a
// heap block the caller releases with ReleaseMemory. targetFolder keeps the
// backslash it may gain here.
char* ExpandCommandPart(int32_t which);
// Starts the command when code is 1 and the block has a run command.
void LaunchAfterExtraction(int32_t code);
