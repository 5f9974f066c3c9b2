// What the screen display shows: per-lead gain, colours, time window, layout.
#pragma once

#include <array>

#include "gfx/Canvas.h"
#include "record/RecordFormat.h"

namespace corvale {

struct ColorScheme {
  Color BackgroundColor;
  Color TraceColor;
  Color MinorGridColor;
  Color MajorGridColor;
  Color WindowFrameColor;
  bool operator==(const ColorScheme&) const = default;
};

/// The colours of scheme 1, 2 or 3 (any other number gives scheme 1).
ColorScheme SchemeColors(int scheme);

struct DisplayState {
  /// Divisor of each lead's amplitude: 1, 2 or 4.
  std::array<double, LeadCount> LeadGain;
  ColorScheme Colors = SchemeColors(1);
  /// First sample of the 5 s window, 0..ViewGeometry::LastTimeOffset.
  int TimeOffset = 0;
  /// Limb column layout: 1 and 2 proportional bands, 3 equal slots.
  int LimbLeadMode = 3;
  /// 1 = 5 s window, 2 = the whole 10 s.
  int DisplaySpan = 1;

  DisplayState() { LeadGain.fill(1.0); }
};

}  // namespace corvale
