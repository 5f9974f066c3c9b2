#include "record/HeaderPresentation.h"

#include <QDir>
#include <cstring>

#include "record/Cp932.h"

namespace corvale {

QString FieldText(const RecordImage& image, const FieldSpec& field, int element) {
  const std::uint8_t* start = image.bytes.data() + field.ElementOffset(element);
  const std::size_t length = field.ElementLength();
  const void* nul = std::memchr(start, 0, length);
  const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start) : length;
  return DecodeCp932({start, used});
}

unsigned FieldNumber(const RecordImage& image, const FieldSpec& field) {
  return image.bytes[field.offset] + 256u * image.bytes[field.offset + 1];
}

QString RecordingDateText(const RecordImage& image) {
  const QString date = FieldText(image, Field::RecordingDate);
  return FieldText(image, Field::RecordingYearHigh) + date.mid(0, 2) + u'/' + date.mid(2, 2) + u'/' +
         date.mid(4, 2);
}

QString RecordingTimeText(const RecordImage& image) {
  const QString time = FieldText(image, Field::RecordingTime);
  return time.mid(0, 2) + u':' + time.mid(2, 2) + u':' + time.mid(4, 2);
}

namespace {

constexpr const char* kLabels24[] = {"Label24", "Label25", "Label26", "Label27", "Label28", "Label29", "Label30"};
constexpr const char* kLabels51[] = {"Label51", "Label52", "Label53", "Label54", "Label55", "Label56", "Label57"};
constexpr const char* kLabels81[] = {"Label81", "Label82", "Label83", "Label84", "Label85", "Label86"};
constexpr const char* kLabels101[] = {"Label101", "Label102", "Label103", "Label104", "Label105", "Label106", "Label107", "Label108", "Label109"};
constexpr const char* kLabels124[] = {"Label124", "Label125", "Label126", "Label127", "Label128", "Label129", "Label130", "Label131", "Label132", "Label133", "Label134", "Label135", "Label136", "Label137"};

std::optional<QString> AgeUnitText(char c) {
  switch (c) {
    case '0': return QStringLiteral("y.o.");
    case '1': return QStringLiteral("m.o.");
    case '2': return QStringLiteral("d.o.");
    default: return std::nullopt;
  }
}

std::optional<QString> ProcessingResultText(char c) {
  switch (c) {
    case ' ': return QStringLiteral("正常終了");
    case '1': return QStringLiteral("デコードエラー");
    case '2': return QStringLiteral("データエラー");
    default: return std::nullopt;
  }
}

}  // namespace

std::vector<LabelText> PresentHeader(const RecordImage& image) {
  auto byte = [&](const FieldSpec& f) { return static_cast<char>(image.bytes[f.offset]); };
  auto text = [&](const FieldSpec& f) { return std::optional<QString>(FieldText(image, f)); };
  auto number = [&](const FieldSpec& f) { return std::optional<QString>(QString::number(FieldNumber(image, f))); };
  const bool v5 = byte(Field::LateralLeadSelector) == '5';

  std::vector<LabelText> out;
  out.reserve(80);
  out.push_back({"Label12", text(Field::PatientId)});
  out.push_back({"Label11", text(Field::PatientName)});
  out.push_back({"Label13", QString(byte(Field::Sex) == '1' ? QStringLiteral("M") : QStringLiteral("F"))});
  out.push_back({"Label14", AgeUnitText(byte(Field::AgeUnit))});
  out.push_back({"Label15", text(Field::Age)});
  const FieldSpec numeric[] = {Field::SamplingInterval, Field::LsbSize,         Field::FilterInfo,
                               Field::LowFrequency,     Field::HighFrequency,   Field::StoredLeadCount,
                               Field::SampleCount};
  for (std::size_t i = 0; i < std::size(kLabels24); ++i) out.push_back({kLabels24[i], number(numeric[i])});
  out.push_back({"Label34", text(Field::Sv1Amplitude)});
  out.push_back({"Label58", text(Field::Sv1Amplitude)});
  out.push_back({"Label36", text(Field::RvAmplitude)});
  out.push_back({"Label60", text(Field::RvAmplitude)});
  const QString lead = v5 ? QStringLiteral("V5") : QStringLiteral("V6");
  const QString rowTitle = v5 ? QStringLiteral("RV5") : QStringLiteral("RV6");
  out.push_back({"Label35", lead});
  out.push_back({"Label59", lead});
  out.push_back({"Label33", rowTitle});
  out.push_back({"Label50", rowTitle});
  const FieldSpec measurements[] = {Field::HeartRate,  Field::RrInterval, Field::PrInterval, Field::QrsDuration,
                                    Field::QrsAxis,    Field::QtInterval, Field::QtcInterval};
  for (std::size_t i = 0; i < std::size(kLabels51); ++i) out.push_back({kLabels51[i], text(measurements[i])});
  out.push_back({"Label39", RecordingDateText(image)});
  out.push_back({"Label40", RecordingTimeText(image)});
  out.push_back({"Label73", text(Field::Height)});
  out.push_back({"Label74", text(Field::Weight)});
  out.push_back({"Label75", text(Field::BloodPressure)});
  const FieldSpec codes[] = {Field::AffiliationCode1, Field::AffiliationCode2, Field::Symptoms,
                             Field::Medication,       Field::LoadInfo,         Field::RecordingYearHigh};
  for (std::size_t i = 0; i < std::size(kLabels81); ++i) out.push_back({kLabels81[i], text(codes[i])});
  out.push_back({"Label90", ProcessingResultText(byte(Field::ProcessingResult))});
  out.push_back({"Label91", text(Field::DataType)});
  for (std::size_t i = 0; i < std::size(kLabels101); ++i)
    out.push_back({kLabels101[i], FieldText(image, Field::FindingCodes, static_cast<int>(i))});
  for (std::size_t i = 0; i < std::size(kLabels124); ++i)
    out.push_back({kLabels124[i], FieldText(image, Field::MinnesotaCodes, static_cast<int>(i))});
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
