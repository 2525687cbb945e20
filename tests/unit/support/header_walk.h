// Walks the local headers of the open SFX file with the core's own cursor, by
// the stepping rule of the driver, without extracting anything.
#pragma once

#include <string>
#include <vector>

#include "archive/cursor.h"

struct WalkedEntry {
  int32_t position;  // absolute position of the local header
  std::string name;  // the name bytes the file delivers
  LocalFileHeader header;
  int32_t dataPosition() const {
    return position + kLocalHeaderSize + header.nameLength + header.extraLength;
  }
};

// From archiveBase until ReadLocalHeader gives up, or limit headers (a walk that
// would not end shows as limit + 1 entries).
std::vector<WalkedEntry> WalkLocalHeaders(int limit = 1000);
