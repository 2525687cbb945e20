// The arithmetic of the window helpers, free of Win32 types so that the host
// tests can check it.
#pragma once

#include <stdint.h>

// a when a <= b, else b: caps a count.
inline int32_t MinInt(int32_t a, int32_t b) { return a <= b ? a : b; }

// Where a window spanning [low, high) on one axis must start to sit in the middle
// of a screen `screen` pixels long. Signed, truncating toward zero: a window wider
// than the screen gets a negative origin, and an odd excess rounds toward 0.
inline int32_t CenteredOrigin(int32_t screen, int32_t low, int32_t high) {
  return (screen - high + low) / 2;
}
