#include "icon_probe.h"

#include <cstdint>
#include <vector>

namespace {

const int kIconControl = 1088;

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// A 32-bit top-down DIB section selected into a memory DC.
struct Canvas {
  Canvas(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bitmap);
    this->width = width;
    this->height = height;
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  Bitmap Take() const {
    GdiFlush();
    Bitmap taken;
    taken.width = width;
    taken.height = height;
    const uint32_t* from = static_cast<const uint32_t*>(bits);
    taken.pixels.assign(from, from + width * height);
    for (uint32_t& p : taken.pixels) p &= 0xFFFFFF;
    return taken;
  }

  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  void* bits = nullptr;
  int width;
  int height;
};

Bitmap CaptureScreen(const RECT& area) {
  Canvas canvas(area.right - area.left, area.bottom - area.top);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc, 0, 0, canvas.width, canvas.height, screen, area.left, area.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return canvas.Take();
}

Bitmap DrawOn(HICON icon, int width, int height, COLORREF background) {
  Canvas canvas(width, height);
  HBRUSH brush = CreateSolidBrush(background);
  RECT all = {0, 0, width, height};
  FillRect(canvas.dc, &all, brush);
  DeleteObject(brush);
  DrawIconEx(canvas.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  return canvas.Take();
}

// The share of the icon's opaque pixels (those that come out the same on black and
// on white) that the screen shows with the same colour, at the given offset.
double Match(const Bitmap& screen, HICON icon, int iconSize, int dx, int dy) {
  Bitmap onBlack = DrawOn(icon, iconSize, iconSize, RGB(0, 0, 0));
  Bitmap onWhite = DrawOn(icon, iconSize, iconSize, RGB(255, 255, 255));
  int opaque = 0;
  int same = 0;
  for (int y = 0; y < iconSize; ++y) {
    for (int x = 0; x < iconSize; ++x) {
      uint32_t ink = onBlack.pixels[y * iconSize + x];
      if (ink != onWhite.pixels[y * iconSize + x]) continue;
      ++opaque;
      int sx = x + dx;
      int sy = y + dy;
      if (sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
      if (screen.pixels[sy * screen.width + sx] == ink) ++same;
    }
  }
  return opaque ? static_cast<double>(same) / opaque : 0.0;
}

}  // namespace

std::string IdentifyMessageIcon(HWND messageBox, DWORD timeoutMs) {
  HWND control = GetDlgItem(messageBox, kIconControl);
  if (!control || !IsWindowVisible(control)) return "none";
  // The handle means nothing here, but whether there is one does.
  DWORD_PTR handle = 0;
  if (SendMessageTimeoutA(control, STM_GETICON, 0, 0, SMTO_NORMAL, timeoutMs, &handle) &&
      handle == 0) {
    return "none";
  }
  struct Candidate {
    LPCSTR id;
    const char* name;
  };
  const Candidate candidates[] = {{IDI_HAND, "error"},
                                  {IDI_EXCLAMATION, "warning"},
                                  {IDI_ASTERISK, "information"},
                                  {IDI_QUESTION, "question"}};
  int iconSize = GetSystemMetrics(SM_CXICON);
  DWORD start = GetTickCount();
  // The box may not have painted yet when it first shows: look again until one
  // icon matches well or the time is up.
  for (;;) {
    RECT area;
    GetWindowRect(control, &area);
    Bitmap screen = CaptureScreen(area);
    int offsets[][2] = {{0, 0}, {(screen.width - iconSize) / 2, (screen.height - iconSize) / 2}};
    const char* best = "unknown";
    double bestScore = 0.0;
    for (const Candidate& candidate : candidates) {
      HICON icon = LoadIconA(nullptr, candidate.id);
      for (auto& offset : offsets) {
        double score = Match(screen, icon, iconSize, offset[0], offset[1]);
        if (score > bestScore) {
          bestScore = score;
          best = candidate.name;
        }
      }
    }
    if (bestScore >= 0.95) return best;
    if (GetTickCount() - start > timeoutMs || !IsWindow(messageBox)) return "unknown";
    Sleep(50);
  }
}
