#include "inflate/inflate.h"

#include <string.h>

#include "inflate/blocks.h"
#include "inflate/inflate_input.h"
#include "platform/memory.h"

InflateResult InflateEntry() {
  inputPos = 0;
  inputCount = 0;
  windowPos = 0;
  bitCount = 0;
  bitBuffer = 0;
  inputOverrun = 0;
  inputBuffer = static_cast<uint8_t*>(AllocateMemory(kInputBufferSize));
  window = static_cast<uint8_t*>(AllocateMemory(kWindowSize));
  // A distance that reaches back before the entry's first byte (only broken data
  // holds one) copies zeros, never what the heap held before.
  memset(window, 0, kWindowSize);
  fixedLiteralTable = nullptr;
  fixedDistanceTable = nullptr;
  fixedTableList = nullptr;

  int32_t last = 0;
  InflateResult result;
  do {
    result = InflateBlock(last);
  } while (result == kInflateOk && !last);
  // Truncated data whose one bits happened to decode as the rest of a final block.
  if (result == kInflateOk && ConsumedPastEnd(bitCount)) result = kInputExhausted;
  if (result == kInflateOk && windowPos > 0) {
    FlushWindow(windowPos);
    windowPos = 0;
  }

  fixedTableList = FreeHuffmanTables(fixedTableList);
  fixedLiteralTable = nullptr;
  fixedDistanceTable = nullptr;
  ReleaseMemory(inputBuffer);
  ReleaseMemory(window);
  inputBuffer = nullptr;
  window = nullptr;
  return result;
}

void Inflate() { InflateEntry(); }
