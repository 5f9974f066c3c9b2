// Where each lead's band and zero line lie: a pure function of the state,
// computed afresh by every render.
#pragma once

#include <array>

#include "display/DisplayState.h"
#include "display/ViewGeometry.h"
#include "record/LeadArrays.h"

namespace corvale {

struct TraceLayout {
  std::array<double, LeadCount> LeadBandHeight{};
  std::array<double, LeadCount> LeadBaseY{};
  std::array<int, LeadCount> LeadZeroShift{};
  std::array<double, 2> ColumnSum{};  // limb, chest

  /// y of the lead's zero line in pass 0: trunc(LeadBaseY) - LeadZeroShift + TopMargin.
  int ZeroLineY(int lead) const {
    return static_cast<int>(LeadBaseY[static_cast<std::size_t>(lead)]) - LeadZeroShift[static_cast<std::size_t>(lead)] +
           ViewGeometry::TopMargin;
  }
};

/// Layout of the main view in pixels. A LimbLeadMode other than 1 or 2 lays
/// the limb column out in equal slots, as mode 3 does.
TraceLayout ComputeScreenLayout(const DisplayState& state, const LeadArrays& leads);

/// Proportional band heights of the six leads from `first`, sharing `height`,
/// and the column's sum into ColumnSum[column]. Equal bands when the sum is
/// not positive, so that nothing divides by zero.
void ProportionalBands(const DisplayState& state, const LeadArrays& leads, int first, double height,
                       TraceLayout& layout, int column);

}  // namespace corvale
