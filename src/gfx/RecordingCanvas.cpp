#include "gfx/RecordingCanvas.h"

namespace corvale {

void RecordingCanvas::LineTo(int x, int y) {
  segments.push_back({x_, y_, x, y, width_, color_});
  x_ = x;
  y_ = y;
}

}  // namespace corvale
