// The stub's padded image, embedded at build time.
#pragma once

#include <stddef.h>

extern const unsigned char kStubImage[];
extern const size_t kStubImageSize;
