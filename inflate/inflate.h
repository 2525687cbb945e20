// The deflate decoder for one archive entry.
#pragma once

// Decodes the deflate data of the current entry (bytesLeft compressed bytes at
// the position of archiveHandle, decrypted with cryptKeys when the entry is
// encrypted) into outputHandle, running runningCrc over every byte written.
// Reports nothing: a decoding error shows only in the CRC comparison.
void Inflate();
