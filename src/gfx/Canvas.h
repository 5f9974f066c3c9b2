// The drawing interface shared by off-screen images, the printer and the
// recording canvas of tests. Colours are 0x00BBGGRR values.
#pragma once

#include <QString>
#include <cstdint>

namespace corvale {

using Color = std::uint32_t;  // 0x00BBGGRR: 0xFF0000 is blue, 0x0000FF is red

namespace Colors {
inline constexpr Color Black = 0x000000;
inline constexpr Color White = 0xFFFFFF;
inline constexpr Color Blue = 0xFF0000;
inline constexpr Color Red = 0x0000FF;
inline constexpr Color Magenta = 0xFF00FF;
inline constexpr Color Grey = 0x808080;
}  // namespace Colors

/// Red, green and blue of a colour.
constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }

/// A font for text drawn through a canvas, sized in device pixels.
struct TextFont {
  QString family = QStringLiteral("Arial");
  int pixelSize = 12;
  bool bold = false;
  bool operator==(const TextFont&) const = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void SetPenColor(Color color) = 0;
  /// Pen width in device pixels; 0 is the device's thinnest line.
  virtual void SetPenWidth(int width) = 0;
  virtual void SetBrushColor(Color color) = 0;
  /// Fills [left, right) x [top, bottom) with the brush.
  virtual void FillRect(int left, int top, int right, int bottom) = 0;
  virtual void MoveTo(int x, int y) = 0;
  /// A line from the current point to (x, y), which becomes the current point.
  /// The end point itself is not painted; a zero-length line paints nothing.
  virtual void LineTo(int x, int y) = 0;
  /// Text in the pen colour with no background box: its baseline starts at
  /// (x, y) and runs turned by `quarterTurns` x 90 degrees counter-clockwise
  /// (0 reads left to right, 1 reads upwards).
  virtual void DrawText(int x, int y, int quarterTurns, const QString& text, const TextFont& font) = 0;
};

}  // namespace corvale
