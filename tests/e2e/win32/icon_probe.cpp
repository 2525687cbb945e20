#include "icon_probe.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

void PutBig32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBig32(png, static_cast<uint32_t>(data.size()));
  std::string typed = std::string(type, 4) + data;
  png += typed;
  PutBig32(png, Crc32(typed));
}

// An 8-bit RGB PNG whose image data is stored, not compressed: no library needed.
std::string EncodePng(const Bitmap& image) {
  std::string raw;
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter type: none
    for (int x = 0; x < image.width; ++x) {
      uint32_t p = image.pixels[y * image.width + x];
      raw += static_cast<char>(p >> 16);
      raw += static_cast<char>(p >> 8);
      raw += static_cast<char>(p);
    }
  }
  std::string zlib = "\x78\x01";
  for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    size_t length = std::min<size_t>(raw.size() - at, 65535);
    zlib += static_cast<char>(at + length >= raw.size() ? 1 : 0);
    zlib += static_cast<char>(length & 0xFF);
    zlib += static_cast<char>(length >> 8);
    zlib += static_cast<char>(~length & 0xFF);
    zlib += static_cast<char>((~length >> 8) & 0xFF);
    zlib.append(raw, at, length);
    if (raw.empty()) break;
  }
  uint32_t a = 1, b = 0;
  for (unsigned char byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(zlib, (b << 16) | a);
  std::string header;
  PutBig32(header, image.width);
  PutBig32(header, image.height);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace

bool SnapWindow(HWND window, const std::string& pngPath) {
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // Painting happens in the other process: take the picture once it holds still.
  Bitmap shot = CaptureScreen(area);
  for (int i = 0; i < 40; ++i) {
    Sleep(50);
    Bitmap again = CaptureScreen(area);
    if (again.pixels == shot.pixels) break;
    shot = again;
  }
  std::string png = EncodePng(shot);
  FILE* out = std::fopen(pngPath.c_str(), "wb");
  if (!out) return false;
  bool written = std::fwrite(png.data(), 1, png.size(), out) == png.size();
  return std::fclose(out) == 0 && written;
}

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
  // A box with a long text can be wider than the screen, its icon left of it:
  // bring the box's left edge onto the screen so the icon can be seen.
  RECT box;
  GetWindowRect(messageBox, &box);
  if (box.left < 0 || box.top < 0) {
    SetWindowPos(messageBox, nullptr, std::max<LONG>(box.left, 0), std::max<LONG>(box.top, 0), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
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
