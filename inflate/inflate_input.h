// The decoder's input feed, bit reader and output window: the entry's compressed
// bytes come from archiveHandle in chunks, decrypted right after each read, and
// enter the bit buffer one byte at a time, least significant bit first.
#pragma once

#include "platform/types.h"

const int32_t kInputBufferSize = 32768;
const int32_t kWindowSize = 32768;

extern uint8_t* inputBuffer;
extern int32_t inputCount;
extern uint16_t inputPos;
extern uint32_t bitBuffer;
extern uint16_t bitCount;
extern uint8_t* window;
extern uint16_t windowPos;
// Bytes that NextCompressedByte delivered as -1 (past the end of the entry's data)
// since the entry began. The bound on decoding broken input is built on it.
extern int32_t inputOverrun;

extern const uint16_t bitMasks[17];

// The next byte of inputBuffer, refilling it first when it is used up; -1 when a
// refill delivers nothing.
int32_t GetInputByte();
// -1 once bytesLeft is used up; otherwise GetInputByte(), counting bytesLeft down.
int32_t NextCompressedByte();

// Makes sure the buffer holds at least n (0..16) bits. Past the end of the data
// the bytes are -1, so every bit that enters from then on is 1.
inline void NeedBits(uint32_t n, uint32_t& buffer, uint32_t& count) {
  while (count < n) {
    buffer |= static_cast<uint32_t>(NextCompressedByte()) << count;
    count += 8;
  }
}

// The decoding loop's view of inputBuffer: it takes bytes from here without
// touching inputPos and bytesLeft, which SyncInput brings up to date. When the
// view is used up, RefillInput takes the next byte the ordinary way (refilling
// the buffer or yielding -1), so bytes are read and handed out exactly as
// NextCompressedByte would, one at a time and only when a code needs them.
struct InputCursor {
  const uint8_t* next;
  const uint8_t* end;
};

inline InputCursor OpenInput() {
  InputCursor cursor = {inputBuffer + inputPos, inputBuffer + inputCount};
  return cursor;
}
// Brings inputPos and bytesLeft up to next, the cursor's position.
void SyncInput(const uint8_t* next);
// SyncInput, then NextCompressedByte; the caller opens the input again.
int32_t RefillInput(const uint8_t* next);

inline void PullByte(uint32_t& buffer, uint32_t& count, InputCursor& cursor) {
  int32_t byte;
  if (cursor.next < cursor.end) {
    byte = *cursor.next++;
  } else {
    // Passing the position by value keeps the cursor in registers.
    byte = RefillInput(cursor.next);
    cursor = OpenInput();
  }
  buffer |= static_cast<uint32_t>(byte) << count;
  count += 8;
}

// NeedBits through the cursor, for n up to 24. The host unrolls it, which
// spares the loop's bookkeeping; the stub keeps the smaller loop.
inline void NeedBits(uint32_t n, uint32_t& buffer, uint32_t& count, InputCursor& cursor) {
#ifdef QP_STUB
  while (count < n) PullByte(buffer, count, cursor);
#else
  if (count < n) {
    PullByte(buffer, count, cursor);
    if (count < n) {
      PullByte(buffer, count, cursor);
      if (count < n) PullByte(buffer, count, cursor);
    }
  }
#endif
}

inline void DumpBits(uint32_t n, uint32_t& buffer, uint32_t& count) {
  buffer >>= n;
  count -= n;
}

// True when the decoder has consumed bits that lie past the end of the entry's
// data: the last inputOverrun bytes that entered the buffer were all ones, and
// only count bits of the buffer are still unconsumed. A valid stream may load
// such bytes while looking ahead for a short last code, but never consumes them.
inline bool ConsumedPastEnd(uint32_t count) {
  return static_cast<uint32_t>(inputOverrun) * 8 > count;
}

// Writes window[0..count-1] to outputHandle and runs the CRC over them.
void FlushWindow(int32_t count);
