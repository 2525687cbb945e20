// Plain types shared by the core and the platform seam.
#pragma once

#include <stddef.h>
#include <stdint.h>

// A file handle as the platform gives it: a Win32 HANDLE, or a POSIX descriptor.
typedef intptr_t FileHandle;
const FileHandle kInvalidFile = -1;

// A window as the platform gives it: a Win32 HWND; on POSIX, whatever object the
// host program uses to stand for a dialog (see entry_list.h).
typedef void* WindowHandle;
