// GDI drawing of cadsim's windows: the drawing scaled into the main window,
// and the command-line and history texts.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cad_windows.h"

namespace cadsim_win {
namespace {

COLORREF Color(int aci) {
  const std::uint32_t rgb = cadsim::ColorRgb(aci);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

HFONT Font(int pixels, double rotation) {
  const int tenths = static_cast<int>(std::lround(rotation * 10)) % 3600;
  return CreateFontW(-pixels, 0, tenths, tenths, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     L"MS UI Gothic");
}

}  // namespace

void CadWindows::PaintDrawing(HDC dc, const RECT& area) {
  const cadsim::Scene scene = cadsim::MakeScene(cad_->TheDrawing());
  const double w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  view_low_ = scene.low, view_high_ = scene.high;
  view_scale_ = std::min(w / (scene.high.x - scene.low.x), h / (scene.high.y - scene.low.y));
  // Centred in the area: the drawing's aspect rarely fits the window's.
  const LONG spare_x = static_cast<LONG>(w - (scene.high.x - scene.low.x) * view_scale_) / 2;
  const LONG spare_y = static_cast<LONG>(h - (scene.high.y - scene.low.y) * view_scale_) / 2;
  view_area_ = RECT{area.left + spare_x, area.top + spare_y, area.right - spare_x, area.bottom - spare_y};
  auto px = [&](const cadsim::Point& p) {
    return POINT{view_area_.left + static_cast<LONG>(std::lround((p.x - scene.low.x) * view_scale_)),
                 view_area_.top + static_cast<LONG>(std::lround((scene.high.y - p.y) * view_scale_))};
  };
  const int saved = SaveDC(dc);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (const cadsim::Segment& s : scene.segments) {
    HPEN pen = CreatePen(PS_SOLID, 1, Color(s.color));
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT a = px(s.a), b = px(s.b);
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  for (const cadsim::Round& r : scene.circles) {
    HPEN pen = CreatePen(PS_SOLID, 1, Color(r.color));
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT c = px(r.center);
    const int radius = static_cast<int>(std::lround(r.radius * view_scale_));
    Ellipse(dc, c.x - radius, c.y - radius, c.x + radius + 1, c.y + radius + 1);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  SetBkMode(dc, TRANSPARENT);
  for (const cadsim::Label& l : scene.labels) {
    const int pixels = static_cast<int>(std::lround(l.height * view_scale_));
    if (pixels < 3) continue;  // too small to read
    HFONT font = Font(pixels, l.rotation);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, Color(l.color));
    const UINT align = l.halign == 1 || l.halign == 4 ? TA_CENTER : l.halign == 2 ? TA_RIGHT : TA_LEFT;
    SetTextAlign(dc, TA_BASELINE | align);
    const POINT at = px(l.at);
    TextOutW(dc, at.x, at.y, W(l.text), static_cast<int>(l.text.size()));
    SelectObject(dc, old);
    DeleteObject(font);
  }
  RestoreDC(dc, saved);
}

// The newest last_lines of the history, then (with_prompt) the prompt line,
// filled from the bottom of the area upwards.
void CadWindows::PaintLines(HDC dc, const RECT& area, int last_lines, bool with_prompt) {
  std::vector<std::u16string> lines;
  const auto& history = cad_->HistoryLines();
  const std::size_t n =
      std::min<std::size_t>(history.size(), static_cast<std::size_t>(std::max(0, last_lines)));
  lines.assign(history.end() - static_cast<std::ptrdiff_t>(n), history.end());
  if (with_prompt) lines.push_back(cad_->Prompt());
  HFONT font = Font(14, 0);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  int y = area.bottom - 2;
  for (auto it = lines.rbegin(); it != lines.rend() && y > area.top; ++it) {
    y -= 20;
    TextOutW(dc, area.left + 4, y, W(*it), static_cast<int>(it->size()));
  }
  SelectObject(dc, old);
  DeleteObject(font);
}

bool CadWindows::Snapshot(const std::wstring& path, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dc || !bitmap) return false;
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT area{0, 0, width, height};
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintDrawing(dc, area);
  GdiFlush();
  const DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u, size = row * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  bool ok = false;
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    ok = fwrite(&file, sizeof file, 1, f) == 1 && fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
         fwrite(bits, size, 1, f) == 1;
    ok = fclose(f) == 0 && ok;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return ok;
}

}  // namespace cadsim_win
