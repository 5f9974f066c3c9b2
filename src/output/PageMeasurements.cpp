#include "output/PageMeasurements.h"

#include <QCoreApplication>
#include <iterator>

#include "analysis/MeasurementFields.h"

namespace corvale {

std::vector<PageMeasurement> PageMeasurementsOf(const RecordImage& image, const Measurements& measured) {
  struct Row {
    const char* name;
    const char* unit;
  };
  // In the order of MeasurementFieldList.
  static const Row kRows[] = {{"HR", "bpm"}, {"RR", "ms"},  {"PR", "ms"},  {"QRS", "ms"},  {"AXIS", "deg"},
                              {"QT", "ms"},  {"QTc", "ms"}, {"SV1", "mV"}, {nullptr, "mV"}};
  static_assert(std::size(kRows) == std::size(MeasurementFieldList));
  const MeasurementRows rows = CombineMeasurements(image, measured);
  const std::vector<MeasurementValue>& values = rows.values;
  std::vector<PageMeasurement> out;
  bool anyMeasured = false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const MeasurementValue& v = values[i];
    if (v.source == ValueSource::Absent) continue;
    anyMeasured = anyMeasured || v.source == ValueSource::Measured;
    const QString name =
        kRows[i].name ? QString::fromLatin1(kRows[i].name) : QStringLiteral("RV%1").arg(QLatin1Char(rows.lateralLead));
    out.push_back({name, v.text, QString::fromLatin1(kRows[i].unit), v.source == ValueSource::Measured});
  }
  if (!anyMeasured) out.clear();
  return out;
}

QStringList MeasurementTexts(const std::vector<PageMeasurement>& rows) {
  QStringList out;
  for (const PageMeasurement& row : rows) {
    const QString source = row.measured ? QCoreApplication::translate("PageMeasurements", "measured")
                                        : QCoreApplication::translate("PageMeasurements", "recorded");
    const QString value = row.unit.isEmpty() ? row.value : row.value + u' ' + row.unit;
    //: A measurement in the printed page's margin: its name, value with unit, and "measured" or "recorded"
    out << QCoreApplication::translate("PageMeasurements", "%1 %2 (%3)").arg(row.name, value, source);
  }
  return out;
}

}  // namespace corvale
