#include "output/PainterCanvas.h"

#include <QPen>

#include "gfx/TextInk.h"

namespace corvale {

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  ApplyPen();
}

void PainterCanvas::ApplyPen() {
  // Round caps and joins, as a printer's wide solid pen draws them.
  QPen pen(QColor(RedOf(color_), GreenOf(color_), BlueOf(color_)), width_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter_.setPen(pen);
}

void PainterCanvas::SetPenColor(Color color) {
  if (color == color_) return;
  Flush();
  color_ = color;
  ApplyPen();
}

void PainterCanvas::SetPenWidth(int width) {
  if (width == width_) return;
  Flush();
  width_ = width;
  ApplyPen();
}

void PainterCanvas::FillRect(int left, int top, int right, int bottom) {
  Flush();
  painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                    QColor(RedOf(brush_), GreenOf(brush_), BlueOf(brush_)));
}

void PainterCanvas::MoveTo(int x, int y) {
  Flush();
  current_ = {x, y};
}

void PainterCanvas::LineTo(int x, int y) {
  if (path_.isEmpty()) path_ << current_;
  current_ = {x, y};
  if (path_.last() != current_) path_ << current_;
}

void PainterCanvas::DrawText(int x, int y, int quarterTurns, const QString& text, const TextFont& font) {
  Flush();
  painter_.save();
  painter_.setFont(QtTextFont(font, false));
  painter_.setPen(QColor(RedOf(color_), GreenOf(color_), BlueOf(color_)));
  painter_.translate(x, y);
  painter_.rotate(-90.0 * quarterTurns);
  painter_.drawText(0, 0, text);
  painter_.restore();
}

void PainterCanvas::Flush() {
  if (path_.size() >= 2) painter_.drawPolyline(path_);
  path_.clear();
}

}  // namespace corvale
