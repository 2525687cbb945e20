#include "archive/walk.h"

#include <string.h>

#include "archive/cursor.h"
#include "archive/paths.h"
#include "archive/stored_copy.h"
#include "inflate/inflate.h"
#include "integrity/crypt.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/messages.h"
#include "platform/password.h"
#include "startup/config_block.h"
#include "startup/startup.h"

FileHandle outputHandle = kInvalidFile;
uint32_t runningCrc;
char password[80];
int32_t lastListIndex = -1;
bool allExtracted;
char targetFolder[kTargetFolderSize];
uint8_t skipExisting;
bool walkInProgress;

namespace {

const int32_t kNameBufferSize = 258;
const int32_t kPasswordPrompts = 3;

// Records that may follow the last local header of a sound archive: the central
// directory, the end record and the two Zip64 end records.
const uint32_t kCentralHeaderSignature = 0x02014B50u;
const uint32_t kEndRecordSignature = 0x06054B50u;
const uint32_t kZip64EndRecordSignature = 0x06064B50u;
const uint32_t kZip64LocatorSignature = 0x07064B50u;

// The texts of one walk, obtained together and released together.
struct WalkTexts {
  char nameBuffer[kNameBufferSize];
  char entryName[kNameBufferSize + 1];
  char fullPath[kPathCapacity];
  char folderPath[kPathCapacity];
};

// How the extraction of one selected entry ended.
enum EntryOutcome {
  kEntryNext,     // go on with the next entry (done, skipped or failed)
  kEntryStop,     // end the walk; the closing summary follows
  kEntryAbandon,  // end the walk at once, without the closing summary
};

struct Walk {
  EntryList list;
  bool listOnly;
  WalkTexts* texts;
  int32_t entryPos;
  bool nameCut;  // the name was longer than nameBuffer
  // False at the start of every selected entry; true once that entry was not
  // encrypted or its password fitted, and for every other entry whose outcome
  // the summary must report. Decides whether the closing summary is shown.
  bool entryUnlocked;
  // A record that is neither a local header nor one of the records that end an
  // archive stood where a header was expected: entries behind it are lost.
  bool damaged;
};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char UpperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// CON, PRN, AUX, NUL, COM1..9 and LPT1..9, with any extension and trailing
// blanks, name devices in every folder: a file of that name would be written
// into the device and still pass its CRC check.
bool IsDeviceName(const char* component, const char* end) {
  const char* stem = component;
  while (stem < end && *stem != '.') ++stem;
  while (stem > component && stem[-1] == ' ') --stem;
  int32_t length = static_cast<int32_t>(stem - component);
  if (length < 3 || length > 4) return false;
  char upper[4];
  for (int32_t i = 0; i < length; ++i) upper[i] = UpperCase(component[i]);
  if (length == 4) {
    return upper[3] >= '1' && upper[3] <= '9' &&
           (memcmp(upper, "COM", 3) == 0 || memcmp(upper, "LPT", 3) == 0);
  }
  return memcmp(upper, "CON", 3) == 0 || memcmp(upper, "PRN", 3) == 0 ||
         memcmp(upper, "AUX", 3) == 0 || memcmp(upper, "NUL", 3) == 0;
}

// A name written below targetFolder must stay below it: no root, no drive, no
// ':' (drive-relative paths and alternate data streams), no component that
// climbs. Windows drops trailing dots and blanks from a component, so ". ." or
// "..." forms count as climbing too. Wildcards would make the existence test
// match other files, and no Windows file can bear them; nor device names.
bool IsSafeEntryName(const char* name) {
  if (IsSeparator(name[0])) return false;
  for (const char* p = name; *p; ++p) {
    if (*p == ':' || *p == '*' || *p == '?') return false;
  }
  const char* component = name;
  for (;;) {
    int32_t dots = 0;
    bool onlyDotsAndBlanks = true;
    const char* p = component;
    for (; *p && !IsSeparator(*p); ++p) {
      if (*p == '.') {
        ++dots;
      } else if (*p != ' ') {
        onlyDotsAndBlanks = false;
      }
    }
    if ((onlyDotsAndBlanks && dots >= 2) || IsDeviceName(component, p)) return false;
    if (!*p) return true;
    component = p + 1;
  }
}

bool IsFolderEntry(const char* name) {
  uint16_t length = TextLength(name);
  return length > 0 && IsSeparator(name[length - 1]);
}

void Deselect(Walk& walk) { ListSetSel(walk.list, false, lastListIndex); }

// The end of the walk was a record that a sound archive may end with, or nothing
// at all; anything else is damage.
bool EndedQuietly() {
  uint32_t signature = localHeader.signature;
  if (signature == kCentralHeaderSignature || signature == kEndRecordSignature ||
      signature == kZip64EndRecordSignature || signature == kZip64LocatorSignature) {
    return true;
  }
  // The next header lies beyond what a position can address.
  if (archivePos < 0) return false;
  // A signature of 0 is what a read that delivered nothing leaves; tell that
  // from a record of zero bytes by reading again.
  if (signature != 0) return false;
  uint8_t probe;
  SeekArchive(archivePos, 0);
  return archivePos < 0 || ReadFromFile(archiveHandle, &probe, 1) == 0;
}

// The password stage of an encrypted entry: the kept password first, then up to
// three prompts. True when a password fits; cryptKeys then stand behind the header.
bool UnlockEntry() {
  uint8_t headerBuffer[2 * kEncryptionHeaderSize];
  ReadFromFile(archiveHandle, headerBuffer, kEncryptionHeaderSize);
  memcpy(headerBuffer + kEncryptionHeaderSize, headerBuffer, kEncryptionHeaderSize);
  uint32_t modTimeAndDate =
      localHeader.modTime | (static_cast<uint32_t>(localHeader.modDate) << 16);
  if (password[0] && CheckPassword(headerBuffer, kEncryptionHeaderSize, localHeader.flags,
                                   localHeader.crc32, modTimeAndDate, password)) {
    return true;
  }
  for (int32_t prompt = 0; prompt < kPasswordPrompts; ++prompt) {
    PromptForPassword();
    uint16_t length = passwordLength < 0 ? 0 : static_cast<uint16_t>(passwordLength);
    if (length > sizeof(password) - 1) length = sizeof(password) - 1;
    TextFromBuffer(password, passwordText, length);
    if (CheckPassword(headerBuffer, kEncryptionHeaderSize, localHeader.flags, localHeader.crc32,
                      modTimeAndDate, password)) {
      return true;
    }
  }
  return false;
}

// fullPath from targetFolder and the entry's name; '/' become '\'.
void BuildFullPath(Walk& walk) {
  WalkTexts& t = *walk.texts;
  StripBackslash(targetFolder);
  uint16_t folderLength = TextLength(targetFolder);
  uint16_t nameLength = TextLength(t.entryName);
  memcpy(t.fullPath, targetFolder, folderLength);
  t.fullPath[folderLength] = '\\';
  memcpy(t.fullPath + folderLength + 1, t.entryName, nameLength + 1u);
  SlashesToBackslashes(t.fullPath);
}

// A folder entry writes no file: its folder chain is made, and it is done.
EntryOutcome ExtractFolderEntry(Walk& walk) {
  WalkTexts& t = *walk.texts;
  FolderOfPath(t.folderPath, t.fullPath);
  CreateFolderChain(t.folderPath);
  // Listed with its trailing '\', so that only a folder, not a file of that
  // name, counts as present.
  if (!PathExists(t.fullPath)) {
    ShowPathMessage("Error in directory ", t.folderPath, kIconWarning);
    return kEntryStop;
  }
  Deselect(walk);
  return kEntryNext;
}

// Closes outputHandle and reports a failure to do so.
void CloseOutputFile(Walk& walk) {
  if (!CloseFileHandle(outputHandle)) {
    ShowPathMessage("Cannot close file ", walk.texts->fullPath, kIconWarning);
  }
  outputHandle = kInvalidFile;
}

EntryOutcome ExtractEntry(Walk& walk) {
  WalkTexts& t = *walk.texts;
  walk.entryUnlocked = false;
  bool encrypted = (localHeader.flags & 1) != 0;

  // Entries that would be written outside targetFolder, or whose name was cut,
  // are refused and stay selected; the summary reports them.
  if (walk.nameCut || !IsSafeEntryName(t.entryName)) {
    ShowPathMessage("Invalid filename ", t.entryName, kIconWarning);
    walk.entryUnlocked = true;
    return kEntryNext;
  }
  BuildFullPath(walk);
  if (IsFolderEntry(t.entryName)) {
    walk.entryUnlocked = true;
    return ExtractFolderEntry(walk);
  }

  // Sizes are held in signed 32-bit variables: an entry of 2 GiB or more cannot
  // be extracted. Without its encryption header, or a deflated entry whose sizes
  // are only in a data descriptor behind its data, there is nothing the walk can
  // decode, and writing an empty file would pass for success when the header's
  // CRC is 0.
  uint32_t compressedSize = localHeader.compressedSize;
  uint32_t headerBytes = encrypted ? kEncryptionHeaderSize : 0;
  if (compressedSize > 0x7FFFFFFFu || compressedSize < headerBytes ||
      (localHeader.method == 8 && compressedSize == headerBytes)) {
    walk.entryUnlocked = true;
    return kEntryNext;
  }
  int32_t dataSize = static_cast<int32_t>(compressedSize - headerBytes);

  walk.entryUnlocked = !encrypted || UnlockEntry();
  if (!walk.entryUnlocked) return kEntryStop;

  if (PathExists(t.fullPath)) {
    if (skipExisting == 1) {
      Deselect(walk);
      return kEntryNext;
    }
  } else {
    FolderOfPath(t.folderPath, t.fullPath);
    CreateFolderChain(t.folderPath);
    if (!PathExists(t.folderPath)) {
      ShowPathMessage("Error in directory ", t.folderPath, kIconWarning);
      return kEntryStop;
    }
  }

  outputHandle = CreateOutputFile(t.fullPath);
  if (outputHandle == kInvalidFile) {
    ShowPathMessage("Cannot open file ", t.fullPath, kIconWarning);
    return kEntryNext;
  }

  // Keeps the calling dialog responsive: one waiting message per entry.
  PumpOneMessage();
  runningCrc = 0xFFFFFFFFu;
  bytesLeft = dataSize;
  if (localHeader.method == 0) {
    CopyStoredEntry();
  } else if (localHeader.method == 8) {
    Inflate();
  } else {
    ShowMessage("Unknown compression type", kIconError);
    CloseOutputFile(walk);
    return kEntryAbandon;
  }
  if ((runningCrc ^ 0xFFFFFFFFu) == localHeader.crc32) Deselect(walk);
  CloseOutputFile(walk);
  return kEntryNext;
}

// Reads the name of the entry whose header was just read into entryName.
void ReadEntryName(Walk& walk) {
  WalkTexts& t = *walk.texts;
  int32_t length = localHeader.nameLength;
  walk.nameCut = length > kNameBufferSize;
  if (walk.nameCut) length = kNameBufferSize;
  int32_t delivered = ReadFromFile(archiveHandle, t.nameBuffer, length);
  TextFromBuffer(t.entryName, t.nameBuffer, static_cast<uint16_t>(delivered));
}

// Handles every entry of the archive; the result tells how the walk ended.
EntryOutcome WalkEntries(Walk& walk) {
  while (ReadLocalHeader()) {
    walk.entryPos = archivePos;
    ReadEntryName(walk);
    if (!walk.texts->entryName[0]) {
      ShowMessage("Invalid filename ", kIconError);
      return kEntryAbandon;
    }
    SeekArchive(walk.entryPos + kLocalHeaderSize + localHeader.nameLength + localHeader.extraLength,
                0);
    if (walk.listOnly) {
      ListAdd(walk.list, walk.texts->entryName);
    } else if (IsEntrySelected(walk.list, walk.texts->entryName)) {
      EntryOutcome outcome = ExtractEntry(walk);
      if (outcome != kEntryNext) return outcome;
    }
    // Sizes near 4 GiB would wrap round to a header already read, and the walk
    // would never end.
    uint64_t next = static_cast<uint64_t>(walk.entryPos) + kLocalHeaderSize +
                    localHeader.nameLength + localHeader.extraLength + localHeader.compressedSize;
    if (next > 0x7FFFFFFFu) {
      walk.damaged = true;
      return kEntryStop;
    }
    SeekArchive(static_cast<int32_t>(next), 0);
  }
  walk.damaged = !EndedQuietly();
  return kEntryStop;
}

void ShowSummary(Walk& walk) {
  if (walk.listOnly) {
    if (walk.damaged || ListCount(walk.list) == 0) {
      ShowMessage("Cannot read archive header", kIconWarning);
    }
    return;
  }
  if (!walk.entryUnlocked && !walk.damaged) return;
  if (!walk.damaged && ListSelCount(walk.list) == 0) {
    ShowMessage("All files have been extracted successful.", kIconInformation);
    allExtracted = true;
  } else {
    ShowMessage("Couldn't get extracted the selected files.", kIconError);
    allExtracted = false;
  }
}

void RunWalk(WindowHandle dialog, int32_t listId, bool listOnly) {
  allExtracted = false;
  SetLocalHeaderSignature();
  Walk walk;
  walk.listOnly = listOnly;
  walk.entryUnlocked = false;
  walk.damaged = false;
  walk.nameCut = false;
  walk.entryPos = 0;
  SeekArchive(archiveBase, 0);
  if (archivePos < 0) {
    ShowMessage("Error reading archive.", kIconError);
    return;
  }
  walk.list = GetEntryList(dialog, listId);
  walk.texts = static_cast<WalkTexts*>(AllocateMemory(sizeof(WalkTexts)));
  lastListIndex = -1;
  if (listOnly) ListReset(walk.list);
  if (WalkEntries(walk) == kEntryStop) ShowSummary(walk);
  ReleaseMemory(walk.texts);
}

}  // namespace

void WalkArchive(WindowHandle dialog, int32_t listId, bool listOnly) {
  // The one-message pump may dispatch a second Extract press; it must not start
  // a walk over the cursor and the output file of the running one.
  if (walkInProgress) return;
  walkInProgress = true;
  RunWalk(dialog, listId, listOnly);
  walkInProgress = false;
}

bool IsEntrySelected(EntryList list, const char* name) {
  lastListIndex = ListFindExact(list, lastListIndex, name);
  return ListGetSel(list, lastListIndex) > 0;
}
