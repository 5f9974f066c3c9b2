#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "record/LeadArrays.h"
#include "support/RecordBuilder.h"

namespace corvale {
namespace {

using test::RecordBuilder;

TEST(DeriveLeadArrays, RangeAndOffsetPerLead) {
  struct Row {
    const char* what;
    std::int16_t lo, hi;
    double range, offset;
  };
  const Row rows[] = {
      {"both signs", -200, 800, 1000.0, 0.2},
      {"all positive: min stays 0", 100, 300, 300.0, 0.0},
      {"all negative: max stays 0", -500, -100, 500.0, 1.0},
      {"flat zero lead", 0, 0, 1.0, 0.0},
      {"16-bit extremes", -32768, 32767, 65535.0, 32768.0 / 65535.0},
  };
  RecordBuilder b;
  for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
    const Row& r = rows[i];
    b.Lead(i, [&](int n) {
      return n == 1234 ? r.lo : n == 4321 ? r.hi : static_cast<std::int16_t>((r.lo + r.hi) / 2);
    });
  }
  auto arrays = std::make_unique<LeadArrays>();
  DeriveLeadArrays(b.Image(), *arrays);
  for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
    EXPECT_DOUBLE_EQ(arrays->LeadRange[i], rows[i].range) << rows[i].what;
    EXPECT_DOUBLE_EQ(arrays->LeadOffset[i], rows[i].offset) << rows[i].what;
    EXPECT_DOUBLE_EQ(arrays->Sample(i, 1234), rows[i].lo) << rows[i].what;
  }
  for (int i = static_cast<int>(std::size(rows)); i < LeadCount; ++i) {
    EXPECT_EQ(arrays->LeadRange[i], 1.0);
    EXPECT_EQ(arrays->LeadOffset[i], 0.0);
  }
}

TEST(DeriveLeadArrays, SampleMajorLayoutAndLeadWordSkipped) {
  RecordBuilder b;
  for (int lead = 0; lead < LeadCount; ++lead) {
    b.Lead(lead, [lead](int n) { return static_cast<std::int16_t>(lead * 1000 + n % 997 - 400); });
    b.LeadWord(lead, 0x7FFF);  // would dominate the maximum if it were read
  }
  auto arrays = std::make_unique<LeadArrays>();
  DeriveLeadArrays(b.Image(), *arrays);
  for (int lead = 0; lead < LeadCount; ++lead) {
    for (int n : {0, 1, 996, 4999})
      EXPECT_EQ(arrays->LeadSamples[static_cast<std::size_t>(n * 12 + lead)], lead * 1000 + n % 997 - 400);
    const double max = lead * 1000 + 996 - 400;
    const double min = std::min(0.0, lead * 1000.0 - 400);
    EXPECT_EQ(arrays->LeadRange[lead], std::max(max, 0.0) - min) << lead;
  }
}

TEST(DeriveLeadArrays, RederiveReplacesEverything) {
  auto arrays = std::make_unique<LeadArrays>();
  RecordBuilder first;
  first.Lead(2, [](int) { return std::int16_t{-77}; });
  DeriveLeadArrays(first.Image(), *arrays);
  EXPECT_EQ(arrays->LeadOffset[2], 1.0);
  RecordBuilder second;
  DeriveLeadArrays(second.Image(), *arrays);
  EXPECT_EQ(arrays->LeadOffset[2], 0.0);
  EXPECT_EQ(arrays->LeadRange[2], 1.0);
  EXPECT_EQ(arrays->Sample(2, 17), 0.0);
}

}  // namespace
}  // namespace corvale
