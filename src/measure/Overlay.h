// The picture the main view shows: the trace image with the caliper marks.
#pragma once

#include <array>
#include <functional>
#include <optional>

#include "display/ViewGeometry.h"
#include "gfx/Image.h"

namespace corvale {

struct Measurement {
  int X1 = 0;  // left mark
  int Y1 = 0;  // first click's y; carried along, never drawn
  int X2 = 0;  // right mark
  int Y2 = 0;  // bar and label height
  int Value = 0;
  bool operator==(const Measurement&) const = default;
};

inline constexpr int MeasurementSlots = 20;
inline constexpr int MaxMeasurements = 19;
inline constexpr int CaliperScaleNum = 10;
inline constexpr int CaliperScaleDen = 1;
/// Marks run from y = 0 to the design height of the main view.
inline constexpr int MarkLength = ViewGeometry::MainViewHeight;

struct MeasurementList {
  std::array<Measurement, MeasurementSlots> items{};  // the 20 slots
  int MeasurementCount = 0;
};

/// abs(a - b) * 10 / 1 in 32-bit integer arithmetic.
int CaliperValue(int a, int b);

struct Overlay {
  Image OverlayImage;
  /// While on, ComposeOverlay leaves the picture off the screen.
  bool OverlayCopySuppressed = false;
  /// Puts the picture on the main view (a synchronous copy).
  std::function<void(const Image&)> show;
};

/// Canvas settings every composition starts from.
void ApplyOverlayStyle(Image& image);
/// Style applied, then the trace image copied in.
void PrepareOverlay(const Image& trace, Overlay& overlay);
/// Measurement `m` in `color`: both marks, the bar, then the label.
void DrawMeasurement(Overlay& overlay, const Measurement& m, Color color);
/// Trace plus every stored measurement in blue, labels over all marks.
void ComposeOverlay(const Image& trace, const MeasurementList& list, Overlay& overlay);
/// The caliper-mode picture: a red guide line at x, or the rubber band from
/// the anchored first point with its live value.
void DrawRubberBand(const Image& trace, const MeasurementList& list, Overlay& overlay, int x, int y,
                    std::optional<int> anchor);
void ShowOverlay(Overlay& overlay);

}  // namespace corvale
