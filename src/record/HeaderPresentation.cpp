#include "record/HeaderPresentation.h"

#include <QDir>
#include <algorithm>
#include <cstring>

#include "record/Cp932.h"
#include "record/HeaderValues.h"

namespace corvale {

QString FieldText(const RecordImage& image, const FieldLayout& field, int element) {
  const std::uint8_t* start = image.bytes.data() + field.ElementOffset(element);
  const std::size_t length = field.ElementLength();
  const void* nul = std::memchr(start, 0, length);
  const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start) : length;
  return DecodeCp932({start, used});
}

unsigned FieldNumber(const RecordImage& image, const FieldLayout& field) {
  return image.bytes[field.offset] + 256u * image.bytes[field.offset + 1];
}

namespace {

// Pieces of a digit field cut at the byte positions the format gives, each
// decoded on its own: a byte that is not a digit (even the first byte of a
// two-byte character) cannot shift the pieces after it. The text ends at the
// first NUL, as every character field does.
QString FieldPiece(const RecordImage& image, const FieldLayout& field, std::size_t from, std::size_t length) {
  const std::uint8_t* start = image.bytes.data() + field.offset;
  const void* nul = std::memchr(start, 0, field.length);
  const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start) : field.length;
  if (from >= used) return {};
  return DecodeCp932({start + from, std::min(length, used - from)});
}

}  // namespace

QString RecordingDateText(const RecordImage& image) {
  const FieldLayout& date = Field::RecordingDate;
  return FieldText(image, Field::RecordingYearHigh) + FieldPiece(image, date, 0, 2) + u'/' +
         FieldPiece(image, date, 2, 2) + u'/' + FieldPiece(image, date, 4, 2);
}

QString RecordingTimeText(const RecordImage& image) {
  const FieldLayout& time = Field::RecordingTime;
  return FieldPiece(image, time, 0, 2) + u':' + FieldPiece(image, time, 2, 2) + u':' + FieldPiece(image, time, 4, 2);
}

namespace {

using P = HeaderPage;
using R = HeaderRule;
using L = HeaderLook;
namespace F = Field;

// The header labels in fill order. On the "ECG" tab: the patient block at the
// top of the left column and the measurement values (right-aligned) with the
// RV5/RV6 row title; on the header tab: value labels at x 192 (left column)
// and 536 (right column), rows 24 px apart from y 16, and the RV5/RV6 row title.
constexpr HeaderLabel kRows[] = {
    {"Label12", "00000000", P::Ecg, 40, 42, 80, 13, F::PatientId, R::Text},
    {"Label11", "Patient Name", P::Ecg, 8, 20, 153, 18, F::PatientName, R::Text, 0, L::PatientName},
    {"Label13", "F", P::Ecg, 80, 58, 16, 13, F::Sex, R::Sex},
    {"Label14", "y.o.", P::Ecg, 40, 58, 32, 13, F::AgeUnit, R::AgeUnit},
    {"Label15", "100", P::Ecg, 8, 58, 28, 13, F::Age, R::Text, 0, L::RightAligned},
    {"Label24", "Label24", P::Header, 192, 16, 150, 16, F::SamplingInterval, R::Number},
    {"Label25", "Label25", P::Header, 192, 40, 150, 16, F::LsbSize, R::Number},
    {"Label26", "Label26", P::Header, 192, 64, 150, 16, F::FilterInfo, R::Number},
    {"Label27", "Label27", P::Header, 192, 88, 150, 16, F::LowFrequency, R::Number},
    {"Label28", "Label28", P::Header, 192, 112, 150, 16, F::HighFrequency, R::Number},
    {"Label29", "Label29", P::Header, 192, 136, 150, 16, F::StoredLeadCount, R::Number},
    {"Label30", "Label30", P::Header, 192, 160, 150, 16, F::SampleCount, R::Number},
    {"Label34", "SV1", P::Header, 192, 184, 150, 16, F::Sv1Amplitude, R::Text},
    {"Label58", "Label58", P::Ecg, 72, 400, 48, 13, F::Sv1Amplitude, R::Text, 0, L::RightAligned},
    {"Label36", "RV5/RV6", P::Header, 192, 232, 150, 16, F::RvAmplitude, R::Text},
    {"Label60", "Label60", P::Ecg, 72, 432, 48, 13, F::RvAmplitude, R::Text, 0, L::RightAligned},
    {"Label35", "V5/V6", P::Header, 192, 208, 150, 16, F::LateralLeadSelector, R::LateralLead},
    {"Label59", "Label59", P::Ecg, 72, 416, 48, 13, F::LateralLeadSelector, R::LateralLead, 0, L::RightAligned},
    {"Label33", "RV5/RV6", P::Header, 16, 232, 168, 16, F::LateralLeadSelector, R::LateralRowTitle},
    {"Label50", "RV5/RV6 :", P::Ecg, 8, 432, 64, 13, F::LateralLeadSelector, R::LateralRowTitle},
    {"Label51", "Label51", P::Ecg, 72, 288, 48, 13, F::HeartRate, R::Text, 0, L::RightAligned},
    {"Label52", "Label52", P::Ecg, 72, 304, 48, 13, F::RrInterval, R::Text, 0, L::RightAligned},
    {"Label53", "Label53", P::Ecg, 72, 320, 48, 13, F::PrInterval, R::Text, 0, L::RightAligned},
    {"Label54", "Label54", P::Ecg, 72, 336, 48, 13, F::QrsDuration, R::Text, 0, L::RightAligned},
    {"Label55", "Label55", P::Ecg, 72, 352, 48, 13, F::QrsAxis, R::Text, 0, L::RightAligned},
    {"Label56", "Label56", P::Ecg, 72, 368, 48, 13, F::QtInterval, R::Text, 0, L::RightAligned},
    {"Label57", "Label57", P::Ecg, 72, 384, 48, 13, F::QtcInterval, R::Text, 0, L::RightAligned},
    {"Label39", "0000/00/00", P::Ecg, 8, 74, 76, 13, F::RecordingDate, R::Date},
    {"Label40", "00:00:00", P::Ecg, 88, 74, 60, 13, F::RecordingTime, R::Time},
    {"Label73", "Label73", P::Header, 536, 16, 150, 16, F::Height, R::Text},
    {"Label74", "Label74", P::Header, 536, 40, 150, 16, F::Weight, R::Text},
    {"Label75", "Label75", P::Header, 536, 64, 150, 16, F::BloodPressure, R::Text},
    {"Label81", "Label81", P::Header, 536, 88, 150, 16, F::AffiliationCode1, R::Text},
    {"Label82", "Label82", P::Header, 536, 112, 150, 16, F::AffiliationCode2, R::Text},
    {"Label83", "Label83", P::Header, 536, 136, 150, 16, F::Symptoms, R::Text},
    {"Label84", "Label84", P::Header, 536, 160, 150, 16, F::Medication, R::Text},
    {"Label85", "Label85", P::Header, 536, 184, 150, 16, F::LoadInfo, R::Text},
    {"Label86", "Label86", P::Header, 536, 208, 150, 16, F::RecordingYearHigh, R::Text},
    {"Label90", "Label90", P::Header, 536, 232, 150, 16, F::ProcessingResult, R::ProcessingResult},
    {"Label91", "Label91", P::Header, 536, 256, 150, 16, F::DataType, R::Text},
    {"Label101", "Label101", P::Header, 192, 256, 150, 16, F::FindingCodes, R::Text},
    {"Label102", "Label102", P::Header, 192, 280, 150, 16, F::FindingCodes, R::Text, 1},
    {"Label103", "Label103", P::Header, 192, 304, 150, 16, F::FindingCodes, R::Text, 2},
    {"Label104", "Label104", P::Header, 192, 328, 150, 16, F::FindingCodes, R::Text, 3},
    {"Label105", "Label105", P::Header, 192, 352, 150, 16, F::FindingCodes, R::Text, 4},
    {"Label106", "Label106", P::Header, 192, 376, 150, 16, F::FindingCodes, R::Text, 5},
    {"Label107", "Label107", P::Header, 192, 400, 150, 16, F::FindingCodes, R::Text, 6},
    {"Label108", "Label108", P::Header, 192, 424, 150, 16, F::FindingCodes, R::Text, 7},
    {"Label109", "Label109", P::Header, 192, 448, 150, 16, F::FindingCodes, R::Text, 8},
    {"Label124", "Label124", P::Header, 536, 280, 150, 16, F::MinnesotaCodes, R::Text},
    {"Label125", "Label125", P::Header, 536, 304, 150, 16, F::MinnesotaCodes, R::Text, 1},
    {"Label126", "Label126", P::Header, 536, 328, 150, 16, F::MinnesotaCodes, R::Text, 2},
    {"Label127", "Label127", P::Header, 536, 352, 150, 16, F::MinnesotaCodes, R::Text, 3},
    {"Label128", "Label128", P::Header, 536, 376, 150, 16, F::MinnesotaCodes, R::Text, 4},
    {"Label129", "Label129", P::Header, 536, 400, 150, 16, F::MinnesotaCodes, R::Text, 5},
    {"Label130", "Label130", P::Header, 536, 424, 150, 16, F::MinnesotaCodes, R::Text, 6},
    {"Label131", "Label131", P::Header, 536, 448, 150, 16, F::MinnesotaCodes, R::Text, 7},
    {"Label132", "Label132", P::Header, 536, 472, 150, 16, F::MinnesotaCodes, R::Text, 8},
    {"Label133", "Label133", P::Header, 536, 496, 150, 16, F::MinnesotaCodes, R::Text, 9},
    {"Label134", "Label134", P::Header, 536, 520, 150, 16, F::MinnesotaCodes, R::Text, 10},
    {"Label135", "Label135", P::Header, 536, 544, 150, 16, F::MinnesotaCodes, R::Text, 11},
    {"Label136", "Label136", P::Header, 536, 568, 150, 16, F::MinnesotaCodes, R::Text, 12},
    {"Label137", "Label137", P::Header, 536, 592, 150, 16, F::MinnesotaCodes, R::Text, 13},
};

constexpr bool ControlNamesAreUnique() {
  for (std::size_t i = 0; i < std::size(kRows); ++i)
    for (std::size_t j = i + 1; j < std::size(kRows); ++j)
      if (kRows[i].control == kRows[j].control) return false;
  return true;
}
static_assert(ControlNamesAreUnique(), "a label appears twice in the header table");

std::optional<QString> ProcessingResultText(char c) {
  switch (c) {
    case ' ': return QStringLiteral("正常終了");
    case '1': return QStringLiteral("デコードエラー");
    case '2': return QStringLiteral("データエラー");
    default: return std::nullopt;
  }
}

std::optional<QString> LabelTextOf(const RecordImage& image, const HeaderValues& values, const HeaderLabel& label) {
  const char code = static_cast<char>(image.bytes[label.field.offset]);
  switch (label.rule) {
    case R::Text: return FieldText(image, label.field, label.element);
    case R::Number: return QString::number(FieldNumber(image, label.field));
    // The screen's label has always said "F" for anything but male; the page
    // and the exports say nothing when the sex is unknown.
    case R::Sex: return values.sex == Sex::Male ? QStringLiteral("M") : QStringLiteral("F");
    case R::AgeUnit:
      if (!values.ageUnit) return std::nullopt;
      return AgeUnitText(*values.ageUnit);
    case R::ProcessingResult: return ProcessingResultText(code);
    case R::LateralLead: return QStringLiteral("V%1").arg(values.lateralLead);
    case R::LateralRowTitle: return QStringLiteral("RV%1").arg(values.lateralLead);
    case R::Date: return values.dateText;
    case R::Time: return values.timeText;
  }
  return std::nullopt;
}

}  // namespace

// Exactly HeaderLabelCount rows, or this does not compile.
const std::array<HeaderLabel, HeaderLabelCount> HeaderLabels = std::to_array(kRows);

HeaderTexts PresentHeaderTexts(const RecordImage& image) {
  HeaderTexts texts;
  const HeaderValues values = DecodeHeader(image);
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) texts[i] = LabelTextOf(image, values, HeaderLabels[i]);
  return texts;
}

std::vector<LabelText> PresentHeader(const RecordImage& image) {
  const HeaderTexts texts = PresentHeaderTexts(image);
  std::vector<LabelText> out;
  out.reserve(HeaderLabelCount);
  // The names are string literals, so data() ends in a NUL.
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) out.push_back({HeaderLabels[i].control.data(), texts[i]});
  return out;
}

RecordNames DeriveRecordNames(const QString& directory, const QString& name, int position, int count) {
  RecordNames names;
  names.labelFile = name;
  names.recordPath = directory + QDir::separator() + name;
  names.editOut = name;
  names.editBmp = name.left(std::max<qsizetype>(0, name.size() - 3)) + QStringLiteral("BMP");
  names.label147 = QStringLiteral("%1/%2").arg(position + 1).arg(count);
  return names;
}

}  // namespace corvale
