#include "record/HeaderValues.h"

#include <algorithm>

#include "record/HeaderPresentation.h"

namespace corvale {
namespace {

std::optional<QString> Trimmed(const RecordImage& image, const FieldLayout& field) {
  QString text = FieldText(image, field).trimmed();
  if (text.isEmpty()) return std::nullopt;
  return text;
}

// The field's bytes, when every one of them is an ASCII digit.
std::optional<QString> Digits(const RecordImage& image, const FieldLayout& field) {
  QString s;
  for (std::size_t i = 0; i < field.length; ++i) {
    const auto c = static_cast<char>(image.bytes[field.offset + i]);
    if (c < '0' || c > '9') return std::nullopt;
    s += QLatin1Char(c);
  }
  return s;
}

}  // namespace

bool IsWholeNumber(const QString& s) {
  return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

HeaderValues DecodeHeader(const RecordImage& image) {
  HeaderValues h;
  h.patientId = Trimmed(image, Field::PatientId);
  h.patientName = Trimmed(image, Field::PatientName);
  const std::uint8_t sex = image.bytes[Field::Sex.offset];
  if (sex == '1') h.sex = Sex::Male;
  if (sex == '2') h.sex = Sex::Female;

  h.age = Trimmed(image, Field::Age);
  // A stored "047" is 47; "000" stays "0".
  if (h.age && IsWholeNumber(*h.age))
    while (h.age->size() > 1 && h.age->front() == u'0') h.age->remove(0, 1);
  switch (image.bytes[Field::AgeUnit.offset]) {
    case '0': h.ageUnit = AgeUnit::Years; break;
    case '1': h.ageUnit = AgeUnit::Months; break;
    case '2': h.ageUnit = AgeUnit::Days; break;
    default: break;
  }

  h.dateText = RecordingDateText(image);
  h.timeText = RecordingTimeText(image);
  const auto yearHigh = Digits(image, Field::RecordingYearHigh), date = Digits(image, Field::RecordingDate);
  if (yearHigh && date) {
    const QDate d((*yearHigh + date->left(2)).toInt(), date->mid(2, 2).toInt(), date->mid(4, 2).toInt());
    if (d.isValid()) h.date = d;
  }
  if (const auto time = Digits(image, Field::RecordingTime)) {
    const QTime t(time->left(2).toInt(), time->mid(2, 2).toInt(), time->mid(4, 2).toInt());
    if (t.isValid()) h.time = t;
  }

  h.height = Trimmed(image, Field::Height);
  h.weight = Trimmed(image, Field::Weight);
  h.bloodPressure = Trimmed(image, Field::BloodPressure);
  h.heartRate = Trimmed(image, Field::HeartRate);
  h.rrInterval = Trimmed(image, Field::RrInterval);
  h.prInterval = Trimmed(image, Field::PrInterval);
  h.qrsDuration = Trimmed(image, Field::QrsDuration);
  h.qrsAxis = Trimmed(image, Field::QrsAxis);
  h.qtInterval = Trimmed(image, Field::QtInterval);
  h.qtcInterval = Trimmed(image, Field::QtcInterval);
  h.sv1Amplitude = Trimmed(image, Field::Sv1Amplitude);
  h.rvAmplitude = Trimmed(image, Field::RvAmplitude);
  h.lateralLead = image.bytes[Field::LateralLeadSelector.offset] == '5' ? 5 : 6;
  return h;
}

QString SexLetter(std::optional<Sex> sex) {
  if (!sex) return {};
  return *sex == Sex::Male ? QStringLiteral("M") : QStringLiteral("F");
}

QString AgeUnitText(AgeUnit unit) {
  switch (unit) {
    case AgeUnit::Years: return QStringLiteral("y.o.");
    case AgeUnit::Months: return QStringLiteral("m.o.");
    case AgeUnit::Days: return QStringLiteral("d.o.");
  }
  return {};
}

}  // namespace corvale
