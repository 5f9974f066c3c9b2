// A canvas that keeps every operation, for checking renderers by coordinates.
#pragma once

#include <vector>

#include "gfx/Canvas.h"

namespace corvale {

class RecordingCanvas final : public Canvas {
 public:
  struct Segment {
    int x0, y0, x1, y1;
    int penWidth;
    Color color;
    bool operator==(const Segment&) const = default;
  };
  struct Fill {
    int left, top, right, bottom;
    Color color;
  };
  struct Text {
    int x, y, quarterTurns;
    QString text;
    TextFont font;
    Color color;
    bool operator==(const Text&) const = default;
  };

  void SetPenColor(Color color) override { color_ = color; }
  void SetPenWidth(int width) override { width_ = width; }
  void SetBrushColor(Color color) override { brush_ = color; }
  void FillRect(int left, int top, int right, int bottom) override {
    fills.push_back({left, top, right, bottom, brush_});
  }
  void MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
    moves.push_back(segments.size());
  }
  void LineTo(int x, int y) override;
  void DrawText(int x, int y, int quarterTurns, const QString& text, const TextFont& font) override {
    texts.push_back({x, y, quarterTurns, text, font, color_});
  }

  /// Each LineTo as a segment from the current point, in drawing order.
  std::vector<Segment> segments;
  /// Index into `segments` at which each MoveTo happened: the polylines' starts.
  std::vector<std::size_t> moves;
  std::vector<Fill> fills;
  std::vector<Text> texts;

 private:
  Color color_ = 0;
  Color brush_ = 0xFFFFFF;
  int width_ = 1;
  int x_ = 0, y_ = 0;
};

}  // namespace corvale
