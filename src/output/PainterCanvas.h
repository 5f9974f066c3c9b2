// The canvas interface over a QPainter (printer, PDF): pens of a given width,
// consecutive line segments sent as one polyline.
#pragma once

#include <QPainter>
#include <QPolygon>

#include "gfx/Canvas.h"

namespace corvale {

class PainterCanvas final : public Canvas {
 public:
  explicit PainterCanvas(QPainter& painter);
  ~PainterCanvas() override { Flush(); }

  void SetPenColor(Color color) override;
  void SetPenWidth(int width) override;
  void SetBrushColor(Color color) override { brush_ = color; }
  void FillRect(int left, int top, int right, int bottom) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void DrawText(int x, int y, int quarterTurns, const QString& text, const TextFont& font) override;
  /// Sends the polyline under way to the painter.
  void Flush();

 private:
  void ApplyPen();
  QPainter& painter_;
  QPolygon path_;
  Color color_ = Colors::Black;
  Color brush_ = Colors::White;
  int width_ = 1;
  QPoint current_;
};

}  // namespace corvale
