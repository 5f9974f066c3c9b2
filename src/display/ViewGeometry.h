// The numbers of the view, named once: the sizes of the main and lower views,
// the bands of the two lead columns, the time window and the amplitude scale.
// The printed page uses the same layout units, scaled to the printer; the
// window, the tools and the benchmarks size their images from here.
#pragma once

#include <algorithm>
#include <limits>

#include "record/RecordFormat.h"

namespace corvale {

/// Layout formulas are evaluated in extended precision, with their constants as
/// double values, and results kept as doubles: values that fall a hair short
/// of a whole number truncate exactly as the display defines them.
using Real = long double;

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
// On x86 the exact pixels (the printed limb base lines 1299, 1999, ..., an
// amplitude of 625 units drawn 121 px high) are those of the x87 80-bit
// format. A compiler or option that makes long double a plain double (MSVC,
// -mlong-double-64) would build and quietly move lines by a pixel.
static_assert(std::numeric_limits<Real>::digits > std::numeric_limits<double>::digits,
              "the layout needs long double wider than double (x87 extended precision) on x86");
#endif

struct ViewGeometry {
  // The two views, in pixels (layout units on the page).
  static constexpr int ViewWidth = 1040;
  static constexpr int MainViewHeight = 760;
  static constexpr int StripViewHeight = 100;

  // Paper: one small square is 4 px (1 mm); every fifth line is a major line.
  static constexpr int GridPitch = 4;
  static constexpr int MajorLineEvery = 5;

  // Columns of six leads: the limb leads from x = 0, the chest leads from
  // ColumnPitch; each column is TraceWidth of trace followed by its pulses.
  static constexpr int LeadsPerColumn = 6;
  static constexpr int TraceWidth = 500;
  static constexpr int ColumnPitch = 520;
  // Bands: the six leads of a column share ColumnHeight, starting TopMargin
  // below the top; in equal slots lead I's base line lies at FirstSlotBase
  // and the slots are LimbSlotPitch apart (700 / 6 as the display writes it).
  static constexpr int TopMargin = 40;
  static constexpr double ColumnHeight = 700.0;
  static constexpr double FirstSlotBase = 100.0;
  static constexpr double LimbSlotPitch = 116.66666666666667;

  // Time: five samples per pixel on the screen (0.2 layout units per sample
  // on the page); one column shows WindowSamples, the first of which is the
  // time offset, 0..LastTimeOffset.
  static constexpr int SamplesPerPixel = 5;
  static constexpr double UnitsPerSample = 0.2;
  static constexpr int WindowSamples = 2500;
  static constexpr int LastTimeOffset = SamplesPerLead - WindowSamples - 1;

  // Amplitude: a sample unit is 4.88 uV and a microvolt 0.04 px, so 1 mV is
  // PulseHeight = 40 px at gain 1.
  static constexpr double MicrovoltsPerUnit = corvale::MicrovoltsPerUnit;
  static constexpr double PixelsPerMicrovolt = 0.04;
  static constexpr double PulseHeight = 40.0;

  // Lower view: the rhythm strip's zero line, and the frame marking the window.
  static constexpr int StripZeroY = 70;
  static constexpr int FrameTop = 10;
  static constexpr int FrameBottom = 90;
};

/// The first sample of the 5 s window for a time offset, kept within
/// 0..LastTimeOffset so that no render reads outside the record, whatever the
/// state holds.
constexpr int ClampTimeOffset(int offset) { return std::clamp(offset, 0, ViewGeometry::LastTimeOffset); }

static_assert(ViewGeometry::TraceWidth * ViewGeometry::SamplesPerPixel == ViewGeometry::WindowSamples);
static_assert(2 * ViewGeometry::WindowSamples == SamplesPerLead, "two columns hold the whole record");
static_assert(ViewGeometry::LastTimeOffset == 2499);
static_assert(2 * ViewGeometry::ColumnPitch == ViewGeometry::ViewWidth);
static_assert(ViewGeometry::ViewWidth % ViewGeometry::GridPitch == 0 &&
              ViewGeometry::MainViewHeight % ViewGeometry::GridPitch == 0 &&
              ViewGeometry::StripViewHeight % ViewGeometry::GridPitch == 0);

}  // namespace corvale
