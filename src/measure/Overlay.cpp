#include "measure/Overlay.h"

#include <cstdlib>

namespace corvale {
namespace {

void DrawMarks(Image& image, int x1, int x2, int y2) {
  image.MoveTo(x1, 0);
  image.LineTo(x1, MarkLength);
  image.MoveTo(x2, 0);
  image.LineTo(x2, MarkLength);
  image.MoveTo(x1, y2);
  image.LineTo(x2, y2);
}

void DrawLabel(Image& image, int x1, int x2, int y2, int value) {
  image.TextOut((x1 + x2) / 2 - 8, y2 - 8, QString::number(value));
}

}  // namespace

int CaliperValue(int a, int b) {
  // Wide arithmetic, wrapped back to 32 bits, so that no input is undefined.
  const long long d = static_cast<long long>(a) - b;
  const long long v = (d < 0 ? -d : d) * CaliperScaleNum / CaliperScaleDen;
  return static_cast<int>(static_cast<std::uint32_t>(v));
}

void ApplyOverlayStyle(Image& image) {
  FontSettings& f = image.Font();
  f.name = QStringLiteral("Arial");
  f.bold = true;
  image.SetBrushColor(Colors::Grey);
  image.SetPenColor(Colors::Blue);
  f.pointSize = 10;
  f.color = Colors::White;
}

void PrepareOverlay(const Image& trace, Overlay& overlay) {
  ApplyOverlayStyle(overlay.OverlayImage);
  overlay.OverlayImage.CopyFrom(trace);
}

void DrawMeasurement(Overlay& overlay, const Measurement& m, Color color) {
  overlay.OverlayImage.SetPenColor(color);
  DrawMarks(overlay.OverlayImage, m.X1, m.X2, m.Y2);
  DrawLabel(overlay.OverlayImage, m.X1, m.X2, m.Y2, m.Value);
}

void ComposeOverlay(const Image& trace, const MeasurementList& list, Overlay& overlay) {
  PrepareOverlay(trace, overlay);
  const int count = list.MeasurementCount;
  for (int i = 0; i < count && i < MeasurementSlots; ++i) {
    const Measurement& m = list.items[static_cast<std::size_t>(i)];
    DrawMarks(overlay.OverlayImage, m.X1, m.X2, m.Y2);
  }
  for (int i = 0; i < count && i < MeasurementSlots; ++i) {
    const Measurement& m = list.items[static_cast<std::size_t>(i)];
    DrawLabel(overlay.OverlayImage, m.X1, m.X2, m.Y2, m.Value);
  }
  if (!overlay.OverlayCopySuppressed) ShowOverlay(overlay);
}

void DrawRubberBand(const Image& trace, const MeasurementList& list, Overlay& overlay, int x, int y,
                    std::optional<int> anchor) {
  overlay.OverlayCopySuppressed = true;
  ComposeOverlay(trace, list, overlay);
  overlay.OverlayCopySuppressed = false;
  Image& image = overlay.OverlayImage;
  image.SetPenColor(Colors::Red);
  if (!anchor) {
    image.MoveTo(x, 0);
    image.LineTo(x, MarkLength);
  } else {
    const int a = *anchor;
    image.MoveTo(a, 0);
    image.LineTo(a, MarkLength);
    image.MoveTo(a, y);
    image.LineTo(x, y);
    image.MoveTo(x, 0);
    image.LineTo(x, MarkLength);
    DrawLabel(image, a, x, y, CaliperValue(a, x));
  }
  ShowOverlay(overlay);
}

void ShowOverlay(Overlay& overlay) {
  if (overlay.show) overlay.show(overlay.OverlayImage);
}

}  // namespace corvale
