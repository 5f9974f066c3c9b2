// Off-screen image with a canvas: 1-pixel lines rasterised straight into the
// image memory (QPainter per segment is far too slow for a trace render),
// fills, whole-image copies and opaque text.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <map>

#include "gfx/Canvas.h"

namespace corvale {

/// The font a canvas writes text in: face, weight, size in points and colour.
struct FontSettings {
  QString name = QStringLiteral("System");
  bool bold = false;
  int pointSize = 10;
  Color color = Colors::Black;
  bool operator==(const FontSettings&) const = default;
};

class Image final : public Canvas {
 public:
  Image() = default;
  Image(int width, int height) { SetSize(width, height); }

  /// Creates the pixels (white, as a new bitmap is).
  void SetSize(int width, int height);
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  const QImage& Qt() const { return image_; }

  /// The pixel as 0x00BBGGRR; out-of-image reads give 0xFFFFFFFF.
  Color Pixel(int x, int y) const;

  void SetPenColor(Color color) override {
    pen_ = color;
    penRgb_ = ToRgb(color);
  }
  void SetPenWidth(int) override {}  // the screen draws with the 1-pixel default pen
  void SetBrushColor(Color color) override { brush_ = color; }
  void FillRect(int left, int top, int right, int bottom) override;
  void MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
  }
  void LineTo(int x, int y) override;
  /// Unsmoothed text in the pen colour; the paper shows between the strokes.
  void DrawText(int x, int y, int quarterTurns, const QString& text, const TextFont& font) override;

  Color PenColor() const { return pen_; }
  Color BrushColor() const { return brush_; }
  int PenX() const { return x_; }
  int PenY() const { return y_; }

  /// Fills the whole image with the brush.
  void Fill() { FillRect(0, 0, Width(), Height()); }
  /// Copies `source` with its top-left corner at (x, y), opaque, clipped.
  void CopyFrom(const Image& source, int x = 0, int y = 0);

  FontSettings& Font() { return font_; }
  const FontSettings& Font() const { return font_; }
  /// Text with the text cell's top-left corner at (x, y), on a box of the brush colour.
  void TextOut(int x, int y, const QString& text);
  /// Width and height of the text cell.
  QSize TextExtent(const QString& text) const;

  static quint32 ToRgb(Color c) {
    return 0xFF000000u | (static_cast<quint32>(RedOf(c)) << 16) | (GreenOf(c) << 8) | BlueOf(c);
  }

 private:
  void Plot(int x, int y) {
    if (static_cast<unsigned>(x) < static_cast<unsigned>(image_.width()) &&
        static_cast<unsigned>(y) < static_cast<unsigned>(image_.height()))
      reinterpret_cast<quint32*>(bits_ + static_cast<qsizetype>(y) * stride_)[x] = penRgb_;
  }
  const QImage& RenderedText(const QString& text) const;

  QImage image_;
  uchar* bits_ = nullptr;
  qsizetype stride_ = 0;
  Color pen_ = Colors::Black;
  quint32 penRgb_ = 0xFF000000u;
  Color brush_ = Colors::White;
  int x_ = 0, y_ = 0;
  FontSettings font_;
  // Rendered label boxes by text and style: a label is drawn on every pointer move.
  mutable std::map<std::tuple<QString, QString, bool, int, Color, Color>, QImage> textCache_;
};

/// The font a FontSettings stands for, in pixels at 96 dots per inch, unsmoothed.
QFont QtFont(const FontSettings& settings);

}  // namespace corvale
