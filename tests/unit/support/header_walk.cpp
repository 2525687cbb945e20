#include "tests/unit/support/header_walk.h"

#include "platform/files.h"
#include "startup/config_block.h"
#include "startup/startup.h"

std::vector<WalkedEntry> WalkLocalHeaders(int limit) {
  std::vector<WalkedEntry> entries;
  SetLocalHeaderSignature();
  SeekArchive(archiveBase, 0);
  while (static_cast<int>(entries.size()) <= limit && ReadLocalHeader()) {
    WalkedEntry entry;
    entry.position = archivePos;
    entry.header = localHeader;
    std::string name(localHeader.nameLength, '\0');
    name.resize(static_cast<size_t>(ReadFromFile(archiveHandle, &name[0], localHeader.nameLength)));
    entry.name = name;
    entries.push_back(entry);
    SeekArchive(NextHeaderPosition(entry.position), 0);
  }
  return entries;
}
