#include "output/PrintPage.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "output/PageAnnotations.h"
#include "output/PainterCanvas.h"

namespace corvale {
namespace {

// Page formulas run in extended precision with double constants, stored as
// doubles, as the screen layout does (the worked page depends on it: its
// second limb baseline is 1299, not 1300).
inline int Trunc(Real v) { return static_cast<int>(v); }
inline double Store(Real v) { return static_cast<double>(v); }

using G = ViewGeometry;

constexpr double kSixth = 1.0 / 6.0;
constexpr double kThird = 1.0 / 3.0;
// Grid lines 1 mm apart: across the page (along the time axis) and down it.
constexpr int kLinesAcross = G::ViewWidth / G::GridPitch;     // 260
constexpr int kLinesDown = G::MainViewHeight / G::GridPitch;  // 190
// Fine dashes are 1/3 mm apart: three per millimetre of the line.
constexpr int kDashesAcross = 3 * kLinesDown;  // 570 along a line across
constexpr int kDashesDown = 3 * kLinesAcross;  // 780 along a line down
// The pulses start 125 mm (limb) and 255 mm (chest) along the time axis.
constexpr double kLimbPulseMm = 125.0, kChestPulseMm = 255.0;

class Progress {
 public:
  explicit Progress(const PrintHooks& hooks) : hooks_(hooks) { Report(); }
  void Add(int n) {
    count_ = std::min(count_ + n, PrintProgressMax);
    Report();
  }
  void Events() const {
    if (hooks_.processEvents) hooks_.processEvents();
  }

 private:
  void Report() const {
    if (hooks_.progress) hooks_.progress(count_);
  }
  const PrintHooks& hooks_;
  int count_ = 0;
};

void Line(Canvas& c, int x0, int y0, int x1, int y1) {
  c.MoveTo(x0, y0);
  c.LineTo(x1, y1);
}

enum class DashKind { Fine, DotRow };

void DrawDashesH(Canvas& c, int x1, int y, double pitch, DashKind kind) {
  const int d = DashLength(pitch);
  if (kind == DashKind::Fine) {
    for (int k = 0; k < kDashesAcross; ++k) {
      const int xk = Trunc(k * (static_cast<Real>(pitch) * kThird) + x1);
      Line(c, xk, y, xk + d, y);
    }
  } else {
    for (int k = 0; k < kLinesDown; ++k) {
      if (k % G::MajorLineEvery == 0) continue;
      const int xk = Trunc(x1 + static_cast<Real>(pitch) * k);
      Line(c, xk, y, xk + d, y);
    }
  }
}

void DrawDashesV(Canvas& c, int x, int y1, double pitch) {
  const int d = DashLength(pitch);
  for (int k = 0; k < kDashesDown; ++k) {
    const int yk = Trunc(k * (static_cast<Real>(pitch) * kThird) + y1);
    Line(c, x, yk, x, yk + d);
  }
}

void DrawGrid(Canvas& c, const PageGeometry& g, int pattern, Progress& progress) {
  const Real u = g.PrintUnit;
  const double pitch = Store(G::GridPitch * u);
  const int x0 = g.PrintOriginX, y0 = g.PrintOriginY;
  const int right = Trunc(x0 + G::MainViewHeight * u), bottom = Trunc(y0 + G::ViewWidth * u);
  for (int i = 0; i <= kLinesAcross; ++i) {
    progress.Add(1);
    progress.Events();
    const int y = y0 + Trunc(i * G::GridPitch * u);
    const bool major = i % G::MajorLineEvery == 0;
    if (pattern == 1) {
      if (major) Line(c, x0, y, right, y);
      else DrawDashesH(c, x0, y, pitch, DashKind::Fine);
    } else {
      DrawDashesH(c, x0, y, pitch, major ? DashKind::Fine : DashKind::DotRow);
    }
  }
  for (int j = 0; j <= kLinesDown; ++j) {
    progress.Add(1);
    progress.Events();
    const int x = x0 + Trunc(j * G::GridPitch * u);
    const bool major = j % G::MajorLineEvery == 0;
    if (pattern == 1) {
      if (major) Line(c, x, y0, x, bottom);
      else DrawDashesV(c, x, y0, pitch);
    } else if (major) {
      DrawDashesV(c, x, y0, pitch);
    }
  }
}

void DrawPulse(Canvas& c, const PageGeometry& g, const TraceLayout& layout, double gain, int lead, int pass, double s) {
  const Real u = g.PrintUnit;
  const int b = Trunc(layout.LeadBaseY[static_cast<std::size_t>(lead)]) -
                layout.LeadZeroShift[static_cast<std::size_t>(lead)] + pass;
  const int h = Trunc(static_cast<Real>(G::PulseHeight) / gain * u);
  const int xb = g.PrintOriginX + Trunc(b + G::TopMargin * u);
  const int xt = g.PrintOriginX + Trunc((b + G::TopMargin * u) - h);
  auto y = [&](double v) { return Trunc(G::ViewWidth * u - Trunc(v * G::GridPitch * u) + g.PrintOriginY); };
  c.MoveTo(xb, y(s));
  c.LineTo(xb, y(s + 1.5));
  c.LineTo(xt, y(s + 1.5));
  c.LineTo(xt, y(s + 3.5));
  c.LineTo(xb, y(s + 3.5));
  c.LineTo(xb, y(s + 5));
}

void DrawColumn(Canvas& c, const PageGeometry& g, const DisplayState& state, const LeadArrays& leads,
                const TraceLayout& layout, int first, int columnStart, int passes, Progress& progress) {
  const Real u = g.PrintUnit;
  const bool chest = first == 6;
  const Real shift = chest ? G::ColumnPitch * u : 0;
  for (int p = 0; p < passes; ++p) {
    for (int k = first; k < first + 6; ++k) {
      progress.Add(10);
      const double gain = state.LeadGain[static_cast<std::size_t>(k)];
      const int base =
          Trunc(layout.LeadBaseY[static_cast<std::size_t>(k)]) - layout.LeadZeroShift[static_cast<std::size_t>(k)] + p;
      auto x = [&](int l) {
        const int a = Trunc(static_cast<Real>(leads.Sample(k, columnStart + l)) * G::MicrovoltsPerUnit * u *
                            G::PixelsPerMicrovolt / gain);
        return Trunc((base - a) + G::TopMargin * u + g.PrintOriginX);
      };
      c.MoveTo(x(0), g.PrintOriginY + Trunc(G::ViewWidth * u - shift));
      for (int l = 0; l < G::WindowSamples; ++l) {
        if (l % 10 == 0) progress.Events();
        c.LineTo(x(l), g.PrintOriginY + Trunc(G::ViewWidth * u - l * static_cast<Real>(G::UnitsPerSample) * u - shift));
      }
      DrawPulse(c, g, layout, gain, k, p, chest ? kChestPulseMm : kLimbPulseMm);
    }
  }
}

}  // namespace

int DashLength(double pitch) { return std::max(Trunc(static_cast<Real>(pitch) * 0.125), 1); }

PageGeometry ComputePageGeometry(double pageHeight, double pageWidth, int margin) {
  PageGeometry g;
  g.PageHeight = pageHeight;
  g.PageWidth = pageWidth;
  g.m = Store(static_cast<Real>(margin) * 0.001);
  g.UsableHeight = Store(pageHeight - static_cast<Real>(pageHeight) * g.m);
  g.UsableWidth = Store(pageWidth - static_cast<Real>(pageWidth) * g.m);
  const double byHeight = Store(g.UsableHeight * static_cast<Real>(1.0 / G::ViewWidth));
  const double byWidth = Store(g.UsableWidth * static_cast<Real>(1.0 / G::MainViewHeight));
  g.PrintUnit = byHeight < byWidth ? byHeight : byWidth;
  const Real u = g.PrintUnit;
  g.PrintOriginX = Trunc(static_cast<Real>(margin) * 0.1 * G::GridPitch * u);
  g.PrintOriginY = Trunc(10 * G::GridPitch * u);  // 10 mm
  g.GridPenWidth = std::max(Trunc(0.5L * u), 1);
  return g;
}

QString GeneralFormat(double value) { return QString::number(value, 'g', 15); }

TracePen ComputeTracePen(const PageGeometry& g, const PrintSettings& s) {
  const int unit = Trunc(g.PrintUnit);
  if (s.PenPattern == 1) return {unit + s.PenWidth, 1};
  return {unit, unit + s.PenWidth};
}

TraceLayout ComputePrintLayout(const DisplayState& state, const LeadArrays& leads, double u) {
  TraceLayout layout;
  const Real unit = u;
  const double height = Store(G::ColumnHeight * unit);
  ProportionalBands(state, leads, 0, height, layout, 0);
  auto& base = layout.LeadBaseY;
  auto& band = layout.LeadBandHeight;
  auto& shift = layout.LeadZeroShift;
  const bool equalSlots = state.LimbLeadMode != 1 && state.LimbLeadMode != 2;
  if (equalSlots) {
    base[0] = Store(G::FirstSlotBase * unit);
    for (int k = 1; k < 6; ++k)
      base[static_cast<std::size_t>(k)] = Trunc(G::ColumnHeight * unit * kSixth * k + G::FirstSlotBase * unit);
  } else {
    base[0] = band[0];
    for (std::size_t k = 1; k < 6; ++k) base[k] = Store(static_cast<Real>(base[k - 1]) + band[k]);
  }
  for (int k = 0; k < 6; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const Real offset = leads.LeadOffset[i];
    switch (state.LimbLeadMode) {
      case 1: shift[i] = Trunc(band[i] * offset / 2.5) + 8 * (5 - k); break;
      case 2: shift[i] = Trunc(band[i] * offset); break;
      default: shift[i] = Trunc(G::ColumnHeight * unit * kSixth * offset / 2.0); break;
    }
  }
  ProportionalBands(state, leads, 6, height, layout, 1);
  base[6] = band[6];
  for (std::size_t k = 7; k < 12; ++k) base[k] = Store(static_cast<Real>(base[k - 1]) + band[k]);
  for (std::size_t k = 6; k < 12; ++k) shift[k] = Trunc(static_cast<Real>(band[k]) * leads.LeadOffset[k]);
  return layout;
}

void DrawPrintPage(Canvas& canvas, const PageGeometry& g, const PrintSettings& s, const DisplayState& state,
                   const LeadArrays& leads, const PrintHooks& hooks, const PageAnnotationInput* annotations) {
  Progress progress(hooks);
  canvas.SetPenColor(Colors::Black);
  canvas.SetPenWidth(g.GridPenWidth);
  DrawGrid(canvas, g, s.GridPattern, progress);
  const TracePen pen = ComputeTracePen(g, s);
  canvas.SetPenWidth(pen.width);
  const TraceLayout layout = ComputePrintLayout(state, leads, g.PrintUnit);
  const bool tenSeconds = state.DisplaySpan == 2;
  const int window = ClampTimeOffset(state.TimeOffset);
  DrawColumn(canvas, g, state, leads, layout, 0, tenSeconds ? 0 : window, pen.passes, progress);
  DrawColumn(canvas, g, state, leads, layout, 6, tenSeconds ? G::WindowSamples : window, pen.passes, progress);
  if (state.LeadNames) DrawPageTexts(canvas, ComputePrintLeadLabels(g, state, layout));
  if (s.Annotations && annotations) DrawPageTexts(canvas, ComputePageAnnotations(g, *annotations).texts);
}

PrintResult PrintRecordPage(QPagedPaintDevice& device, const PrintSettings& s, const DisplayState& state,
                            const LeadArrays& leads, const PrintHooks& hooks, const PageAnnotationInput* annotations) {
  auto* printer = dynamic_cast<QPrinter*>(&device);
  const int resolution = printer ? printer->resolution() : device.logicalDpiX();
  const QRect area = device.pageLayout().paintRectPixels(resolution);
  PrintResult result;
  result.geometry = ComputePageGeometry(area.height(), area.width(), s.Margin);
  if (hooks.pageGeometry) hooks.pageGeometry(result.geometry);
  if (printer && printer->outputFormat() == QPrinter::NativeFormat && !printer->isValid()) {
    result.error = PrintError::NoPrinter;
    return result;
  }
  QPainter painter;
  if (!painter.begin(&device)) {
    result.error = PrintError::CannotBegin;
    return result;
  }
  {
    PainterCanvas canvas(painter);
    DrawPrintPage(canvas, result.geometry, s, state, leads, hooks, annotations);
  }
  if (!painter.end()) result.error = PrintError::DeviceError;
  return result;
}

QString PrintJobTitle(const QString& name) { return QStringLiteral("CORVALE < ") + name + QStringLiteral(" > "); }

}  // namespace corvale
