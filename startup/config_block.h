// The optional 256-byte configuration block between the stub and the archive.
#pragma once

#include "platform/types.h"

// The stub's own image size: the block, when present, starts here.
const int32_t kStubSize = 0x7C00;
const int32_t kConfigBlockSize = 0x100;

struct SfxConfig {
  bool hasIntroText;
  bool hasDefaultFolder;
  bool hasRunCommand;
  bool fileListEnabled;
  bool hideOverwriteOption;
  int32_t overwriteControlId;
  uint8_t overwriteChecked;
};

extern SfxConfig sfxConfig;
extern int32_t archiveBase;

// Fills sfxConfig, introText, defaultFolder and runCommand from the block and
// sets archiveBase; without a block the defaults stand.
void ReadConfigBlock();
