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

bool SameField(const FieldSpec& a, const FieldSpec& b) { return a.offset == b.offset && a.length == b.length; }

bool IsMeasurementField(const FieldSpec& field) {
  for (const FieldSpec& f : MeasurementFieldList)
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
  const bool rvMeasured = IsBlankField(image, Field::RvAmplitude) && MeasuredLateralLead(image, measured).has_value();
  const char lead = LateralLeadShown(image, measured);
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) {
    const HeaderLabel& row = HeaderLabels[i];
    if (!IsMeasurementField(row.field)) continue;
    QLabel* label = labels.Label(i);
    bool isMeasured = false;
    switch (row.rule) {
      case HeaderRule::Text:
        if (IsBlankField(image, row.field))
          if (const auto text = MeasuredText(image, measured, row.field)) {
            label->setText(*text);
            isMeasured = true;
          }
        break;
      case HeaderRule::LateralLead:
        if (rvMeasured) {
          label->setText(lead == '5' ? QStringLiteral("V5") : QStringLiteral("V6"));
          isMeasured = true;
        }
        break;
      case HeaderRule::LateralRowTitle:  // a row title, not a value: its text follows, its look stays
        if (rvMeasured) label->setText(lead == '5' ? QStringLiteral("RV5") : QStringLiteral("RV6"));
        break;
      default: break;
    }
    SetMeasuredLook(label, isMeasured);
  }
}

}  // namespace corvale
