#include "display/LeadLabels.h"

#include <algorithm>
#include <cmath>

#include "display/ViewGeometry.h"
#include "gfx/TextInk.h"

namespace corvale {
namespace {

using G = ViewGeometry;

// Inset of a name's ink from its band's upper-left corner, in pixels: one
// small square from the column's edge, clear of the band's top.
constexpr int kInsetX = 4;
constexpr int kInsetY = 3;
constexpr int kGap = 2;  // between labels pushed together
constexpr int kStripFrameTop = G::FrameTop;
constexpr int kViewHeight = G::MainViewHeight;

}  // namespace

QString LeadName(int lead) {
  if (lead < 0 || lead >= LeadCount) return {};
  const std::string_view name = LeadNames[static_cast<std::size_t>(lead)];
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

TextFont LeadLabelFont() { return {QStringLiteral("Arial"), 13, true}; }
TextFont StripLabelFont() { return {QStringLiteral("Arial"), 11, true}; }

std::array<double, LeadCount> LeadBandTops(const DisplayState& state, const TraceLayout& layout, double unit) {
  std::array<double, LeadCount> tops{};
  const bool equalSlots = state.LimbLeadMode != 1 && state.LimbLeadMode != 2;
  for (int k = 0; k < LeadCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const bool first = k == 0 || k == 6;
    if (k < G::LeadsPerColumn && equalSlots)
      tops[i] = G::TopMargin * unit + k * (G::ColumnHeight * unit / G::LeadsPerColumn);
    else tops[i] = G::TopMargin * unit + (first ? 0.0 : layout.LeadBaseY[i - 1]);
  }
  return tops;
}

std::array<int, 6> SpreadLabels(std::array<int, 6> wanted, int height, int gap, int limit) {
  for (std::size_t i = 1; i < 6; ++i) wanted[i] = std::max(wanted[i], wanted[i - 1] + height + gap);
  wanted[5] = std::min(wanted[5], limit - height);
  for (std::size_t i = 5; i-- > 0;) wanted[i] = std::min(wanted[i], wanted[i + 1] - height - gap);
  return wanted;
}

namespace {

// The names' ink in their fixed fonts, measured once.
struct Inks {
  std::array<TextInk, LeadCount> leads;
  TextInk strip;
  int capTop = 0;  // every name has a capital or a digit: their common top
  int height = 0;
};

const Inks& LabelInks() {
  static const Inks inks = [] {
    Inks out;
    int inkBottom = -1;
    for (int k = 0; k < LeadCount; ++k) {
      const auto i = static_cast<std::size_t>(k);
      out.leads[i] = RenderTextInk(LeadName(k), LeadLabelFont());
      out.capTop = std::min(out.capTop, out.leads[i].bounds.top());
      inkBottom = std::max(inkBottom, out.leads[i].bounds.bottom());
    }
    out.height = inkBottom - out.capTop + 1;
    out.strip = RenderTextInk(LeadName(1), StripLabelFont());
    return out;
  }();
  return inks;
}

}  // namespace

LeadLabelPlacement PlaceLeadLabels(const DisplayState& state, const TraceLayout& layout) {
  LeadLabelPlacement out;
  const Inks& inks = LabelInks();
  const int capTop = inks.capTop, height = inks.height;
  const auto tops = LeadBandTops(state, layout, 1.0);
  for (int column = 0; column < 2; ++column) {
    std::array<int, 6> wanted{};
    for (int r = 0; r < 6; ++r) {
      const double top = tops[static_cast<std::size_t>(column) * 6 + static_cast<std::size_t>(r)];
      wanted[static_cast<std::size_t>(r)] = static_cast<int>(std::ceil(top)) + kInsetY;
    }
    const auto placed = SpreadLabels(wanted, height, kGap, kViewHeight);
    for (int r = 0; r < 6; ++r) {
      const std::size_t k = static_cast<std::size_t>(column) * 6 + static_cast<std::size_t>(r);
      LeadLabel& label = out.leads[k];
      label.text = LeadName(column * 6 + r);
      const int left = column * G::ColumnPitch + kInsetX;
      label.origin = QPoint(left - inks.leads[k].bounds.x(), placed[static_cast<std::size_t>(r)] - capTop);
      label.box = inks.leads[k].bounds.translated(label.origin);
    }
  }
  const TextInk& strip = inks.strip;
  // Its ink ends a row clear of the frame's upper line, in rows that no frame
  // position reaches.
  out.strip.text = LeadName(1);
  out.strip.origin = QPoint(kInsetX - strip.bounds.x(), kStripFrameTop - 2 - strip.bounds.bottom());
  out.strip.box = strip.bounds.translated(out.strip.origin);
  return out;
}

void DrawLeadLabels(const DisplayState& state, const TraceLayout& layout, Image& trace, Image& strip) {
  const LeadLabelPlacement placement = PlaceLeadLabels(state, layout);
  const TextFont font = LeadLabelFont();
  trace.SetPenColor(state.Colors.TraceColor);
  for (const LeadLabel& label : placement.leads)
    trace.DrawText(label.origin.x(), label.origin.y(), 0, label.text, font);
  const Color frame = strip.PenColor();
  strip.SetPenColor(state.Colors.TraceColor);
  strip.DrawText(placement.strip.origin.x(), placement.strip.origin.y(), 0, placement.strip.text, StripLabelFont());
  strip.SetPenColor(frame);
}

}  // namespace corvale
