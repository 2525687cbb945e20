// The few C library routines the compiler may call on its own. The stub links no
// C runtime, so it brings these. Built with -fno-builtin and without loop pattern
// recognition, so that the loops below are not turned back into calls to themselves.
#include <stddef.h>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
  unsigned char* d = static_cast<unsigned char*>(destination);
  const unsigned char* s = static_cast<const unsigned char*>(source);
  while (count--) *d++ = *s++;
  return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
  unsigned char* d = static_cast<unsigned char*>(destination);
  const unsigned char* s = static_cast<const unsigned char*>(source);
  if (d < s) {
    while (count--) *d++ = *s++;
  } else {
    while (count--) d[count] = s[count];
  }
  return destination;
}

void* memset(void* destination, int value, size_t count) {
  unsigned char* d = static_cast<unsigned char*>(destination);
  while (count--) *d++ = static_cast<unsigned char>(value);
  return destination;
}

int memcmp(const void* a, const void* b, size_t count) {
  const unsigned char* x = static_cast<const unsigned char*>(a);
  const unsigned char* y = static_cast<const unsigned char*>(b);
  for (; count; --count, ++x, ++y) {
    if (*x != *y) return *x - *y;
  }
  return 0;
}

size_t strlen(const char* text) {
  size_t length = 0;
  while (text[length]) ++length;
  return length;
}

}  // extern "C"
