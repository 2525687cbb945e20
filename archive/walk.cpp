#include "archive/walk.h"

FileHandle outputHandle = kInvalidFile;
uint32_t runningCrc;
char password[80];
int32_t lastListIndex = -1;
bool allExtracted;
char targetFolder[kTargetFolderSize];
uint8_t skipExisting;
bool walkInProgress;
