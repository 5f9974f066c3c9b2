#include "record/LeadArrays.h"

#include <cmath>

namespace corvale {

namespace {

void SetRange(LeadArrays& arrays, int lead, double min, double max) {
  const double range = max - min;
  if (range == 0.0) {
    arrays.LeadRange[static_cast<std::size_t>(lead)] = 1.0;
    arrays.LeadOffset[static_cast<std::size_t>(lead)] = 0.0;
  } else {
    arrays.LeadRange[static_cast<std::size_t>(lead)] = range;
    arrays.LeadOffset[static_cast<std::size_t>(lead)] = std::fabs(min) / range;
  }
}

}  // namespace

void DeriveLeadArrays(const RecordImage& image, LeadArrays& arrays) {
  for (int lead = 0; lead < LeadCount; ++lead) {
    double min = 0.0;
    double max = 0.0;
    const std::uint8_t* p = image.bytes.data() + SampleOffset(lead, 0);
    double* out = arrays.LeadSamples.data() + lead;
    for (int n = 0; n < SamplesPerLead; ++n, p += 2, out += LeadCount) {
      const double v = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
      *out = v;
      if (v < min) min = v;
      if (v > max) max = v;
    }
    SetRange(arrays, lead, min, max);
  }
}

void DeriveLeadRanges(LeadArrays& arrays) {
  for (int lead = 0; lead < LeadCount; ++lead) {
    double min = 0.0;
    double max = 0.0;
    for (int n = 0; n < SamplesPerLead; ++n) {
      const double v = arrays.Sample(lead, n);
      if (v < min) min = v;
      if (v > max) max = v;
    }
    SetRange(arrays, lead, min, max);
  }
}

}  // namespace corvale
