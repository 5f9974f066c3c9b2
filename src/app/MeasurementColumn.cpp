// Measured values on the header labels, and the printed page's measurement list.
#include "app/MeasurementColumn.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVariant>

#include "analysis/MeasurementFields.h"
#include "app/HeaderLabels.h"
#include "record/HeaderPresentation.h"

namespace corvale {
namespace {

// Marks a label that shows a measured value, so that its style is undone
// only where it was set.
const char kMeasuredProperty[] = "corvaleMeasured";

bool SameField(const FieldLayout& a, const FieldLayout& b) { return a.offset == b.offset && a.length == b.length; }

bool IsMeasurementField(const FieldLayout& field) {
  for (const FieldLayout& f : MeasurementFieldList)
    if (SameField(f, field)) return true;
  return SameField(field, Field::LateralLeadSelector);
}

void SetMeasuredLook(QLabel* label, bool measured) {
  if (label->property(kMeasuredProperty).toBool() == measured) return;
  label->setProperty(kMeasuredProperty, measured);
  if (!measured) {
    // Back to what the page gives every label.
    label->setFont(QFont());
    label->setPalette(QPalette());
    label->setToolTip(QString());
    return;
  }
  QFont italic;
  italic.setItalic(true);
  label->setFont(italic);
  QPalette palette;
  palette.setColor(QPalette::WindowText, MeasuredValueColor);
  label->setPalette(palette);
  label->setToolTip(QCoreApplication::translate(
      "MeasurementColumn", "Measured from the waveform by this program: the record holds no value here."));
}

}  // namespace

void ShowMeasuredValues(HeaderLabelSet& labels, const RecordImage& image, const Measurements& measured) {
  const MeasurementRows rows = CombineMeasurements(image, measured);
  const QString lead = QStringLiteral("V") + QLatin1Char(rows.lateralLead);
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) {
    const HeaderLabel& row = HeaderLabels[i];
    QLabel* label = labels.Label(i);
    bool isMeasured = false;
    if (row.rule == HeaderRule::Text) {
      for (const MeasurementValue& v : rows.values)
        if (SameField(v.field, row.field) && v.source == ValueSource::Measured) {
          label->setText(v.text);
          isMeasured = true;
        }
    } else if (rows.lateralLeadMeasured && row.rule == HeaderRule::LateralLead) {
      label->setText(lead);
      isMeasured = true;
    } else if (rows.lateralLeadMeasured && row.rule == HeaderRule::LateralRowTitle) {
      label->setText(QStringLiteral("R") + lead);  // a row title: its text follows, its look stays
    }
    if (IsMeasurementField(row.field)) SetMeasuredLook(label, isMeasured);
  }
}

}  // namespace corvale
