#include "startup/config_block.h"

#include "archive/cursor.h"
#include "platform/files.h"
#include "platform/system.h"
#include "startup/startup.h"

SfxConfig sfxConfig;
int32_t archiveBase;

// Reads one text of the block; bytes the file does not deliver read as zeros,
// so a block cut short yields shorter texts, never stale ones.
static void ReadText(char* buffer, uint8_t length) {
  int32_t delivered = length ? ReadFromFile(archiveHandle, buffer, length) : 0;
  for (int32_t i = delivered; i < length; ++i) buffer[i] = 0;
  buffer[length] = 0;
}

void ReadConfigBlock() {
  archiveBase = kStubSize;
  sfxConfig.overwriteChecked = 1;
  sfxConfig.hasRunCommand = false;
  sfxConfig.hasDefaultFolder = false;
  sfxConfig.hasIntroText = false;
  sfxConfig.fileListEnabled = true;
  sfxConfig.hideOverwriteOption = false;
  sfxConfig.overwriteControlId = 501;

  SeekArchive(archiveBase, 0);
  char magic[3];
  if (ReadFromFile(archiveHandle, magic, 3) < 3) return;
  if (magic[0] != '@' || magic[1] != 'Q' || magic[2] != 'P') return;
  archiveBase += kConfigBlockSize;

  // Header bytes after the magic that the file does not hold read as zero.
  uint8_t header[4] = {0, 0, 0, 0};
  ReadFromFile(archiveHandle, header, 4);
  uint8_t flags = header[0];
  if (!(flags & 0x02)) sfxConfig.fileListEnabled = false;
  if (flags & 0x04) sfxConfig.hideOverwriteOption = true;
  if ((flags & 0x18) != 0x08) {
    sfxConfig.overwriteControlId = 502;
    sfxConfig.overwriteChecked = 0;
  }

  uint8_t introLength = header[1];
  uint8_t folderLength = header[2];
  uint8_t commandLength = header[3];
  sfxConfig.hasIntroText = introLength > 0;
  sfxConfig.hasDefaultFolder = folderLength > 0;
  sfxConfig.hasRunCommand = commandLength > 0;

  ReadText(introText, introLength);
  if (folderLength > 0) {
    ReadText(defaultFolder, folderLength);
    if (folderLength == 2 && defaultFolder[0] == '#' && defaultFolder[1] == '#') {
      GetTempFolder(defaultFolder, 260);
    }
  }
  ReadText(runCommand, commandLength);
}
