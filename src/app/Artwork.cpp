#include "app/Artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace corvale {

QPixmap ProgramPicture(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(QColor(0xFF, 0xFF, 0xFF));
  QPainter p(&pixmap);
  const int pitch = std::max(2, width / 16);
  for (int i = 0; i * pitch <= std::max(width, height); ++i) {
    p.setPen(QColor(0xFF, i % 5 == 0 ? 0x88 : 0xCC, 0xFF));
    p.drawLine(i * pitch, 0, i * pitch, height);
    p.drawLine(0, i * pitch, width, i * pitch);
  }
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, std::max(1.0, width / 40.0)));
  // One beat: baseline, P, Q, tall R, S, T, baseline.
  const double w = width, h = height, base = h * 0.62;
  QPainterPath beat;
  beat.moveTo(0, base);
  beat.lineTo(w * 0.16, base);
  beat.quadTo(w * 0.22, base - h * 0.12, w * 0.28, base);
  beat.lineTo(w * 0.36, base);
  beat.lineTo(w * 0.40, base + h * 0.08);
  beat.lineTo(w * 0.46, h * 0.08);
  beat.lineTo(w * 0.52, base + h * 0.22);
  beat.lineTo(w * 0.56, base);
  beat.lineTo(w * 0.64, base);
  beat.quadTo(w * 0.74, base - h * 0.2, w * 0.84, base);
  beat.lineTo(w, base);
  p.drawPath(beat);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(ProgramPicture(size, size));
  return icon;
}

}  // namespace corvale
