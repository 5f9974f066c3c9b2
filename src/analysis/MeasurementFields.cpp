#include "analysis/MeasurementFields.h"

#include <cmath>
#include <optional>

#include "record/HeaderValues.h"

namespace corvale {
namespace {

QString Rounded(double v, int decimals) {
  return decimals == 0 ? QString::number(std::lround(v)) : QString::number(v, 'f', decimals);
}

const std::optional<double>& LateralR(const Measurements& m, char lead) { return lead == '5' ? m.rv5Mv : m.rv6Mv; }

std::optional<char> MeasuredLateralLead(char selector, const Measurements& m) {
  if ((selector == '5' || selector == '6') && LateralR(m, selector)) return selector;
  if (m.rv5Mv && (!m.rv6Mv || *m.rv5Mv > *m.rv6Mv)) return '5';
  if (m.rv6Mv) return '6';
  return std::nullopt;
}

}  // namespace

MeasurementRows CombineMeasurements(const RecordImage& image, const Measurements& m) {
  struct Row {
    std::optional<QString> HeaderValues::*recorded;
    const std::optional<double> Measurements::*measured;  // null: the RV row
    int decimals;
  };
  static const Row kRows[] = {{&HeaderValues::heartRate, &Measurements::hrBpm, 0},
                              {&HeaderValues::rrInterval, &Measurements::rrMs, 0},
                              {&HeaderValues::prInterval, &Measurements::prMs, 0},
                              {&HeaderValues::qrsDuration, &Measurements::qrsMs, 0},
                              {&HeaderValues::qrsAxis, &Measurements::qrsAxisDeg, 0},
                              {&HeaderValues::qtInterval, &Measurements::qtMs, 0},
                              {&HeaderValues::qtcInterval, &Measurements::qtcMs, 0},
                              {&HeaderValues::sv1Amplitude, &Measurements::sv1Mv, 2},
                              {&HeaderValues::rvAmplitude, nullptr, 2}};
  static_assert(std::size(kRows) == std::size(MeasurementFieldList));
  const HeaderValues header = DecodeHeader(image);
  const auto selector = static_cast<char>(image.bytes[Field::LateralLeadSelector.offset]);
  const std::optional<char> measuredLead = MeasuredLateralLead(selector, m);
  MeasurementRows out;
  out.lateralLead = header.lateralLead == 5 ? '5' : '6';
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    const Row& row = kRows[i];
    MeasurementValue v{MeasurementFieldList[i], {}, ValueSource::Absent};
    const std::optional<double>& value = row.measured ? m.*(row.measured) : LateralR(m, measuredLead.value_or('6'));
    if (const auto& recorded = header.*(row.recorded)) {
      v.text = *recorded;
      v.source = ValueSource::Recorded;
    } else if (value && std::isfinite(*value) && (row.measured || measuredLead)) {
      v.text = Rounded(*value, row.decimals);
      v.source = ValueSource::Measured;
      if (!row.measured) {
        out.lateralLead = *measuredLead;
        out.lateralLeadMeasured = true;
      }
    }
    out.values.push_back(v);
  }
  return out;
}

}  // namespace corvale
