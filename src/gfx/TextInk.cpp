#include "gfx/TextInk.h"

#include <QFontMetrics>
#include <QPainter>
#include <map>
#include <mutex>
#include <tuple>

#include "gfx/Fonts.h"

namespace corvale {

QFont QtTextFont(const TextFont& font, bool unsmoothed) {
  InstallFontSubstitutions();
  QFont f(font.family);
  f.setPixelSize(std::max(font.pixelSize, 1));
  f.setBold(font.bold);
  if (unsmoothed) f.setStyleStrategy(QFont::NoAntialias);
  return f;
}

namespace {

TextInk Render(const QString& text, const TextFont& font) {
  const QFont f = QtTextFont(font, true);
  const QFontMetrics fm(f);
  // Room on every side for overhanging glyphs.
  const int pad = fm.height();
  QImage canvas(fm.horizontalAdvance(text) + 2 * pad, fm.height() + 2 * pad, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pad, pad + fm.ascent(), text);
  }
  auto ink = [&](int x, int y) { return qAlpha(canvas.pixel(x, y)) >= 128; };
  int left = canvas.width(), top = canvas.height(), right = -1, bottom = -1;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      if (ink(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  TextInk out;
  if (right < 0) return out;
  out.bounds = QRect(left - pad, top - pad - fm.ascent(), right - left + 1, bottom - top + 1);
  out.mask = QImage(out.bounds.size(), QImage::Format_Alpha8);
  for (int y = 0; y < out.mask.height(); ++y) {
    uchar* row = out.mask.scanLine(y);
    for (int x = 0; x < out.mask.width(); ++x) row[x] = ink(left + x, top + y) ? 255 : 0;
  }
  return out;
}

}  // namespace

TextInk RenderTextInk(const QString& text, const TextFont& font) {
  static std::mutex mutex;
  static std::map<std::tuple<QString, QString, int, bool>, TextInk> cache;
  const std::lock_guard lock(mutex);
  auto key = std::make_tuple(text, font.family, font.pixelSize, font.bold);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  TextInk ink = Render(text, font);
  if (cache.size() < 1024) cache.emplace(std::move(key), ink);
  return ink;
}

QPoint TurnedPixel(int dx, int dy, int quarterTurns) {
  // The pixel square [dx, dx+1) x [dy, dy+1) turned about the origin.
  switch (((quarterTurns % 4) + 4) % 4) {
    case 1: return {dy, -dx - 1};
    case 2: return {-dx - 1, -dy - 1};
    case 3: return {-dy - 1, dx};
    default: return {dx, dy};
  }
}

}  // namespace corvale
