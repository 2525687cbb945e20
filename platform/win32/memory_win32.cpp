#include <windows.h>

#include "platform/memory.h"

void* AllocateMemory(uint32_t size) {
  // HEAP_GENERATE_EXCEPTIONS: an exhausted heap raises, and the process ends.
  return HeapAlloc(GetProcessHeap(), HEAP_GENERATE_EXCEPTIONS, size ? size : 1);
}

void ReleaseMemory(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}
