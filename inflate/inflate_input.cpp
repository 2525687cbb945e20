#include "inflate/inflate_input.h"

#include "archive/cursor.h"
#include "archive/walk.h"
#include "integrity/crc32.h"
#include "integrity/crypt.h"
#include "platform/files.h"
#include "startup/startup.h"

uint8_t* inputBuffer;
int32_t inputCount;
uint16_t inputPos;
uint32_t bitBuffer;
uint16_t bitCount;
uint8_t* window;
uint16_t windowPos;
int32_t inputOverrun;

const uint16_t bitMasks[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F,
                               0x003F, 0x007F, 0x00FF, 0x01FF, 0x03FF, 0x07FF,
                               0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

int32_t GetInputByte() {
  if (inputPos >= inputCount) {
    // Never past the entry's data: bytesLeft counts what has not been read yet.
    int32_t ask = bytesLeft < kInputBufferSize ? bytesLeft : kInputBufferSize;
    inputCount = ReadFromFile(archiveHandle, inputBuffer, ask);
    if (localHeader.flags & 1) {
      for (int32_t i = 0; i < inputCount; ++i) {
        uint8_t plain = inputBuffer[i] ^ DecryptByte();
        inputBuffer[i] = plain;
        UpdateKeys(plain);
      }
    }
    inputPos = 0;
  }
  if (inputCount <= 0) {
    bytesLeft = 0;
    inputPos = 0;
    return -1;
  }
  return inputBuffer[inputPos++];
}

int32_t NextCompressedByte() {
  if (bytesLeft <= 0) {
    ++inputOverrun;
    return -1;
  }
  int32_t byte = GetInputByte();
  --bytesLeft;
  if (byte < 0) ++inputOverrun;
  return byte;
}

void SyncInput(const uint8_t* next) {
  uint16_t position = static_cast<uint16_t>(next - inputBuffer);
  bytesLeft -= position - inputPos;
  inputPos = position;
}

int32_t RefillInput(const uint8_t* next) {
  SyncInput(next);
  return NextCompressedByte();
}

void FlushWindow(int32_t count) {
  WriteToFile(outputHandle, window, count);
  UpdateCrcBuffer(window, count, runningCrc);
}
