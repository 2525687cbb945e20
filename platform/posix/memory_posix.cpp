#include <stdio.h>
#include <stdlib.h>

#include "platform/memory.h"

void* AllocateMemory(uint32_t size) {
  void* block = malloc(size ? size : 1);
  if (!block) {
    fputs("out of memory\n", stderr);
    abort();
  }
  return block;
}

void ReleaseMemory(void* block) { free(block); }
