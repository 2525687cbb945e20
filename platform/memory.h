// Heap blocks for the core. Running out of memory ends the process; callers never
// see a null result.
#pragma once

#include "platform/types.h"

void* AllocateMemory(uint32_t size);
void ReleaseMemory(void* block);
