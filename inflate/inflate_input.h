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
