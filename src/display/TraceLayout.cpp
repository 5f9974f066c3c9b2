#include "display/TraceLayout.h"

namespace corvale {

using G = ViewGeometry;

void ProportionalBands(const DisplayState& state, const LeadArrays& leads, int first, double height,
                       TraceLayout& layout, int column) {
  double sum = 0.0;
  for (int i = first; i < first + G::LeadsPerColumn; ++i)
    sum = static_cast<double>(sum + static_cast<Real>(leads.LeadRange[static_cast<std::size_t>(i)]) /
                                        state.LeadGain[static_cast<std::size_t>(i)]);
  layout.ColumnSum[static_cast<std::size_t>(column)] = sum;
  for (int i = first; i < first + G::LeadsPerColumn; ++i) {
    const auto k = static_cast<std::size_t>(i);
    layout.LeadBandHeight[k] =
        sum > 0.0 ? static_cast<double>(static_cast<Real>(leads.LeadRange[k]) / state.LeadGain[k] / sum * height)
                  : height / 6.0;
  }
}

TraceLayout ComputeScreenLayout(const DisplayState& state, const LeadArrays& leads) {
  TraceLayout layout;
  ProportionalBands(state, leads, 0, G::ColumnHeight, layout, 0);
  auto& base = layout.LeadBaseY;
  auto& band = layout.LeadBandHeight;
  auto& shift = layout.LeadZeroShift;
  const bool equalSlots = state.LimbLeadMode != 1 && state.LimbLeadMode != 2;
  if (equalSlots) {
    base[0] = G::FirstSlotBase;
    for (int i = 1; i < 6; ++i)
      base[static_cast<std::size_t>(i)] = static_cast<int>(static_cast<Real>(i) * G::LimbSlotPitch + G::FirstSlotBase);
  } else {
    base[0] = band[0];
    for (std::size_t i = 1; i < 6; ++i) base[i] = static_cast<double>(static_cast<Real>(base[i - 1]) + band[i]);
  }
  for (int i = 0; i < 6; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const Real offset = leads.LeadOffset[k];
    switch (state.LimbLeadMode) {
      case 1: shift[k] = static_cast<int>(band[k] * offset / 2.5) + (5 - i) * 8; break;
      case 2: shift[k] = static_cast<int>(band[k] * offset); break;
      default: shift[k] = static_cast<int>(G::LimbSlotPitch * offset / 2.0); break;
    }
  }
  ProportionalBands(state, leads, 6, G::ColumnHeight, layout, 1);
  base[6] = band[6];
  for (std::size_t i = 7; i < 12; ++i) base[i] = static_cast<double>(static_cast<Real>(base[i - 1]) + band[i]);
  for (std::size_t i = 6; i < 12; ++i) shift[i] = static_cast<int>(static_cast<Real>(band[i]) * leads.LeadOffset[i]);
  return layout;
}

}  // namespace corvale
