#include "gfx/Image.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "gfx/Fonts.h"
#include "gfx/TextInk.h"

namespace corvale {

// Format_RGB32 pixels; a byte offset into a scan line is worked out in pointer width.
constexpr std::ptrdiff_t kPixelBytes = 4;

void Image::SetSize(int width, int height) {
  image_ = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
  image_.fill(0xFFFFFFFFu);
}

Color Image::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0xFFFFFFFFu;
  const quint32 p = reinterpret_cast<const quint32*>(image_.constScanLine(y))[x];
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

void Image::FillRect(int left, int top, int right, int bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, Width());
  bottom = std::min(bottom, Height());
  if (left >= right || top >= bottom) return;
  const quint32 rgb = ToRgb(brush_);
  for (int y = top; y < bottom; ++y) {
    auto* row = reinterpret_cast<quint32*>(image_.scanLine(y));
    std::fill(row + left, row + right, rgb);
  }
}

void Image::LineTo(int x1, int y1) {
  const int x0 = x_, y0 = y_;
  x_ = x1;
  y_ = y1;
  if (x0 == x1 && y0 == y1) return;
  const int w = Width(), h = Height();
  // Every painted pixel lies in the box of the two end points.
  if ((x0 < 0 && x1 < 0) || (x0 >= w && x1 >= w) || (y0 < 0 && y1 < 0) || (y0 >= h && y1 >= h)) return;
  bits_ = image_.bits();  // detaches if a copy shares the pixels
  stride_ = image_.bytesPerLine();

  if (x0 == x1) {  // vertical: [y0, y1) clipped
    const int lo = y0 < y1 ? y0 : y1 + 1;
    const int hi = y0 < y1 ? y1 - 1 : y0;
    for (int y = std::max(lo, 0); y <= std::min(hi, h - 1); ++y)
      reinterpret_cast<quint32*>(bits_ + static_cast<qsizetype>(y) * stride_)[x0] = penRgb_;
    return;
  }
  if (y0 == y1) {  // horizontal
    const int lo = std::max(x0 < x1 ? x0 : x1 + 1, 0);
    const int hi = std::min(x0 < x1 ? x1 - 1 : x0, w - 1);
    if (lo <= hi) {
      auto* row = reinterpret_cast<quint32*>(bits_ + static_cast<qsizetype>(y0) * stride_);
      std::fill(row + lo, row + hi + 1, penRgb_);
    }
    return;
  }
  // Bresenham, the end point left out.
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int x = x0, y = y0;
  if (dx >= dy) {
    int err = dx / 2;
    for (int i = 0; i < dx; ++i) {
      Plot(x, y);
      err -= dy;
      if (err < 0) {
        y += sy;
        err += dx;
      }
      x += sx;
    }
  } else {
    int err = dy / 2;
    for (int i = 0; i < dy; ++i) {
      Plot(x, y);
      err -= dx;
      if (err < 0) {
        x += sx;
        err += dy;
      }
      y += sy;
    }
  }
}

void Image::CopyFrom(const Image& source, int x, int y) {
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = std::min(x + source.Width(), Width()), bottom = std::min(y + source.Height(), Height());
  if (left >= right || top >= bottom) return;
  const auto bytes = static_cast<std::size_t>(right - left) * 4;
  for (int row = top; row < bottom; ++row)
    std::memcpy(image_.scanLine(row) + left * kPixelBytes,
                source.image_.constScanLine(row - y) + (left - x) * kPixelBytes, bytes);
}

QFont QtFont(const FontSettings& settings) {
  InstallFontSubstitutions();
  QFont font(settings.name);
  // Point sizes are for 96 dots per inch, rounded as the toolkit does.
  font.setPixelSize((settings.pointSize * 96 + 36) / 72);
  font.setBold(settings.bold);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QSize Image::TextExtent(const QString& text) const {
  const QFontMetrics fm(QtFont(font_));
  return {fm.horizontalAdvance(text), fm.height()};
}

const QImage& Image::RenderedText(const QString& text) const {
  auto key = std::make_tuple(text, font_.name, font_.bold, font_.pointSize, font_.color, brush_);
  auto it = textCache_.find(key);
  if (it != textCache_.end()) return it->second;
  if (textCache_.size() > 512) textCache_.clear();
  const QFont font = QtFont(font_);
  const QFontMetrics fm(font);
  QImage box(std::max(fm.horizontalAdvance(text), 1), fm.height(), QImage::Format_RGB32);
  box.fill(ToRgb(brush_));
  {
    QPainter p(&box);
    p.setFont(font);
    p.setPen(QColor::fromRgb(ToRgb(font_.color)));
    p.drawText(0, fm.ascent(), text);
  }
  if (fm.horizontalAdvance(text) == 0) box = QImage();
  return textCache_.emplace(std::move(key), std::move(box)).first->second;
}

void Image::TextOut(int x, int y, const QString& text) {
  const QImage& box = RenderedText(text);
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = std::min(x + box.width(), Width()), bottom = std::min(y + box.height(), Height());
  if (left >= right || top >= bottom) return;
  const auto bytes = static_cast<std::size_t>(right - left) * 4;
  for (int row = top; row < bottom; ++row)
    std::memcpy(image_.scanLine(row) + left * kPixelBytes, box.constScanLine(row - y) + (left - x) * kPixelBytes,
                bytes);
}

void Image::DrawText(int x, int y, int quarterTurns, const QString& text, const TextFont& font) {
  const TextInk ink = RenderTextInk(text, font);
  if (ink.mask.isNull()) return;
  bits_ = image_.bits();
  stride_ = image_.bytesPerLine();
  for (int my = 0; my < ink.mask.height(); ++my) {
    const uchar* row = ink.mask.constScanLine(my);
    for (int mx = 0; mx < ink.mask.width(); ++mx)
      if (row[mx]) {
        const QPoint p = TurnedPixel(ink.bounds.x() + mx, ink.bounds.y() + my, quarterTurns);
        Plot(x + p.x(), y + p.y());
      }
  }
}

}  // namespace corvale
