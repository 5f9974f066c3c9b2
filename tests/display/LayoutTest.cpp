#include <gtest/gtest.h>

#include <memory>

#include "display/TraceLayout.h"

namespace corvale {
namespace {

std::array<int, 12> ZeroLines(const TraceLayout& layout) {
  std::array<int, 12> y{};
  for (int i = 0; i < 12; ++i) y[static_cast<std::size_t>(i)] = layout.ZeroLineY(i);
  return y;
}

TEST(ScreenLayout, ZeroLinesOfEqualLeads) {
  struct Row {
    int mode;
    std::array<int, 6> limb;
  };
  const Row rows[] = {
      {3, {140, 256, 373, 490, 606, 723}}, {2, {156, 273, 390, 506, 623, 740}}, {1, {116, 241, 366, 490, 615, 740}}};
  const std::array<int, 6> chest{156, 273, 390, 506, 623, 740};
  auto leads = std::make_unique<LeadArrays>();
  for (const Row& r : rows) {
    DisplayState state;
    state.LimbLeadMode = r.mode;
    const auto y = ZeroLines(ComputeScreenLayout(state, *leads));
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(y[static_cast<std::size_t>(i)], r.limb[static_cast<std::size_t>(i)])
          << "mode " << r.mode << " lead " << i;
      EXPECT_EQ(y[static_cast<std::size_t>(i + 6)], chest[static_cast<std::size_t>(i)]) << "mode " << r.mode;
    }
  }
}

TEST(ScreenLayout, ProportionalBandsFollowRangeOverGain) {
  auto leads = std::make_unique<LeadArrays>();
  leads->LeadRange = {100, 300, 100, 100, 100, 100, 1000, 1000, 1000, 1000, 1000, 1000};
  leads->LeadOffset = {0, 0.5, 0, 0, 0, 0, 0, 0, 0.25, 0, 0, 0};
  DisplayState state;
  state.LimbLeadMode = 2;
  state.LeadGain[1] = 4.0;  // lead II: 300 / 4 = 75
  state.LeadGain[8] = 2.0;  // V3: 500 of 5500
  const TraceLayout l = ComputeScreenLayout(state, *leads);
  EXPECT_DOUBLE_EQ(l.ColumnSum[0], 575.0);
  EXPECT_DOUBLE_EQ(l.LeadBandHeight[1], 91.304347826086953);  // 75 / 575 * 700
  EXPECT_DOUBLE_EQ(l.LeadBaseY[4], 578.26086956521738);       // 475 / 575 * 700
  EXPECT_DOUBLE_EQ(l.LeadBaseY[5], l.LeadBaseY[4] + l.LeadBandHeight[5]);
  EXPECT_NEAR(l.LeadBaseY[5], 700.0, 1e-9);
  EXPECT_EQ(l.LeadZeroShift[1], 45);  // trunc(91.3 * 0.5)
  EXPECT_DOUBLE_EQ(l.ColumnSum[1], 5500.0);
  EXPECT_EQ(l.LeadZeroShift[8], 15);  // trunc(500 / 5500 * 700 * 0.25)
  // Mode 1 adds 8 px per lead above aVF; mode 3 shifts by at most 58 px.
  state.LimbLeadMode = 1;
  EXPECT_EQ(ComputeScreenLayout(state, *leads).LeadZeroShift[1], 50);  // trunc(91.3 * 0.5 / 2.5) + 32
  state.LimbLeadMode = 3;
  leads->LeadOffset[0] = 1.0;
  EXPECT_EQ(ComputeScreenLayout(state, *leads).LeadZeroShift[0], 58);
  // Only the limb column changes with the mode.
  state.LimbLeadMode = 2;
  const TraceLayout again = ComputeScreenLayout(state, *leads);
  for (int i = 6; i < 12; ++i) EXPECT_EQ(again.ZeroLineY(i), l.ZeroLineY(i));
}

TEST(ScreenLayout, EmptyColumnGetsEqualBands) {
  auto leads = std::make_unique<LeadArrays>();
  leads->LeadRange.fill(0.0);
  DisplayState state;
  state.LimbLeadMode = 2;
  const TraceLayout l = ComputeScreenLayout(state, *leads);
  for (int i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(l.LeadBandHeight[static_cast<std::size_t>(i)], 116.66666666666667);
  EXPECT_EQ(l.ZeroLineY(11), 740);
}

}  // namespace
}  // namespace corvale
