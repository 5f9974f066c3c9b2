#include "output/PageMeasurements.h"

#include <QCoreApplication>

namespace corvale {

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
