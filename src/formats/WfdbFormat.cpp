#include "formats/WfdbFormat.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>
#include <array>

#include "formats/InputFile.h"
#include "formats/Wfdb.h"

namespace corvale::formats {
namespace {

// Comment keys for the record's own fields; public archives write "Age" and "Sex".
struct CommentKey {
  const char* key;
  std::optional<QString> HeaderOptions::*member;
};
const CommentKey kCommentKeys[] = {
    {"Patient ID", &HeaderOptions::id},
    {"Name", &HeaderOptions::name},
    {"Height", &HeaderOptions::height},
    {"Weight", &HeaderOptions::weight},
    {"Blood pressure", &HeaderOptions::bloodPressure},
    {"HR", &HeaderOptions::heartRate},
    {"RR", &HeaderOptions::rrInterval},
    {"PR", &HeaderOptions::prInterval},
    {"QRS", &HeaderOptions::qrsDuration},
    {"QRS axis", &HeaderOptions::qrsAxis},
    {"QT", &HeaderOptions::qtInterval},
    {"QTc", &HeaderOptions::qtcInterval},
    {"SV1", &HeaderOptions::sv1Amplitude},
};

// "47", "47 y", "5 months", "12 d".
void ParseAgeComment(const QString& text, HeaderOptions& out) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d+)\s*(y|years?|m|months?|d|days?)?$)"),
                                     QRegularExpression::CaseInsensitiveOption);
  const auto m = re.match(text);
  if (!m.hasMatch()) return;
  out.age = m.captured(1);
  out.ageUnit = m.captured(2).isEmpty() ? QStringLiteral("y") : m.captured(2).left(1).toLower();
}

std::variant<HeaderOptions, QString> FieldsFromHeader(const wfdb::Header& header) {
  HeaderOptions h;
  if (auto a = wfdb::CommentValue(header, QStringLiteral("Age"))) ParseAgeComment(*a, h);
  if (auto s = wfdb::CommentValue(header, QStringLiteral("Sex"))) h.sex = *s;
  for (const CommentKey& k : kCommentKeys)
    if (auto v = wfdb::CommentValue(header, QString::fromLatin1(k.key))) h.*(k.member) = *v;
  for (const char* rv : {"RV5", "RV6"})
    if (auto v = wfdb::CommentValue(header, QString::fromLatin1(rv))) {
      h.rvAmplitude = *v;
      h.rvLead = QString(QLatin1Char(rv[2]));
    }
  // Base time "HH:MM:SS[.sss]" and date "DD/MM/YYYY" of the record line.
  static const QRegularExpression time(QStringLiteral(R"(^(\d{1,2}):(\d\d):(\d\d)(?:\.\d*)?$)"));
  static const QRegularExpression date(QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{4})$)"));
  if (const auto m = time.match(header.baseTime); m.hasMatch()) {
    if (!QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid())
      return QStringLiteral("the base time \"%1\" on the record line is not a time of day").arg(header.baseTime);
    h.time = QStringLiteral("%1:%2:%3")
                 .arg(m.captured(1).toInt(), 2, 10, QLatin1Char('0'))
                 .arg(m.captured(2), m.captured(3));
  }
  if (const auto m = date.match(header.baseDate); m.hasMatch()) {
    if (!QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt()).isValid())
      return QStringLiteral("the base date \"%1\" on the record line is not a calendar date").arg(header.baseDate);
    h.date = QStringLiteral("%1-%2-%3")
                 .arg(m.captured(3))
                 .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0'))
                 .arg(m.captured(1).toInt(), 2, 10, QLatin1Char('0'));
  }
  return h;
}

QString ChopSuffix(const QString& path, const QString& suffix) {
  return path.endsWith(suffix, Qt::CaseInsensitive) ? path.left(path.size() - suffix.size()) : path;
}

}  // namespace

QString WfdbHeaderPath(const QString& path) {
  for (const char* ext : {".hea", ".dat", ".mat"}) {
    const QString chopped = ChopSuffix(path, QString::fromLatin1(ext));
    if (chopped != path) return chopped + QStringLiteral(".hea");
  }
  return path + QStringLiteral(".hea");
}

QStringList WfdbFilesRead(const QString& path) {
  const QString headerPath = WfdbHeaderPath(path);
  auto opened = InputFile::Open(headerPath);
  if (std::holds_alternative<FileError>(opened)) return {};
  QStringList files{headerPath};
  auto text = std::get<InputFile>(opened).ReadAll(MaxWfdbHeaderBytes);
  if (std::holds_alternative<FileError>(text)) return files;
  auto parsed = wfdb::ParseHeader(std::get<QByteArray>(text));
  if (std::holds_alternative<QString>(parsed)) return files;
  auto grouped = wfdb::GroupByFile(std::get<wfdb::Header>(parsed));
  if (std::holds_alternative<QString>(grouped)) return files;
  const QDir dir = QFileInfo(headerPath).dir();
  for (const wfdb::FileSignals& group : std::get<std::vector<wfdb::FileSignals>>(grouped))
    files << dir.filePath(group.name);
  return files;
}

std::variant<ReadRecord, FileError> ReadWfdb(const QString& path, const HeaderOptions& options) {
  const QString headerPath = WfdbHeaderPath(path);
  auto opened = InputFile::Open(headerPath);
  if (auto* err = std::get_if<FileError>(&opened)) return *err;
  const InputFile& headerFile = std::get<InputFile>(opened);
  auto text = headerFile.ReadAll(MaxWfdbHeaderBytes);
  if (auto* err = std::get_if<FileError>(&text)) return *err;
  auto parsed = wfdb::ParseHeader(std::get<QByteArray>(text));
  if (auto* err = std::get_if<QString>(&parsed)) return FileError{headerPath, *err};
  const wfdb::Header& header = std::get<wfdb::Header>(parsed);
  auto grouped = wfdb::GroupByFile(header);
  if (auto* err = std::get_if<QString>(&grouped)) return FileError{headerPath, *err};
  const auto& groups = std::get<std::vector<wfdb::FileSignals>>(grouped);
  auto fields = FieldsFromHeader(header);
  if (auto* err = std::get_if<QString>(&fields)) return FileError{headerPath, *err};

  ReadRecord result;
  result.sourceFiles << headerPath;
  // Enough frames for 10 s at 500 Hz and the resampling filter's reach; no
  // more, unless the checksums can be checked over the whole record.
  const qint64 needed = InputSamplesNeeded(header.samplingFrequency, RecordSamplingRate, SamplesPerLead);
  qint64 frames = needed;
  // (A frame takes at least a byte: a larger count is over the limit, and is
  // not multiplied out.)
  if (header.samplesPerSignal > needed && header.samplesPerSignal <= MaxChecksummedWfdbBytes &&
      std::any_of(header.channels.begin(), header.channels.end(), [](const auto& c) { return c.checksum; })) {
    qint64 total = 0;
    for (const wfdb::FileSignals& group : groups)
      total += wfdb::BytesForFrames(header.channels[static_cast<std::size_t>(group.signalIndices.front())],
                                    static_cast<int>(group.signalIndices.size()), header.samplesPerSignal);
    if (total <= MaxChecksummedWfdbBytes) frames = header.samplesPerSignal;
  }
  const QDir dir = QFileInfo(headerPath).dir();
  std::vector<wfdb::SignalFile> files;
  for (const wfdb::FileSignals& group : groups) {
    if (group.name.contains(u'/') || group.name.contains(u'\\') || group.name == u"." || group.name == u"..")
      return FileError{headerPath,
                       QStringLiteral("signal file \"%1\" is not a file beside the header").arg(group.name)};
    const QString dataPath = dir.filePath(group.name);
    auto data = InputFile::Open(dataPath);
    if (auto* err = std::get_if<FileError>(&data)) return *err;
    const InputFile& file = std::get<InputFile>(data);
    const wfdb::SignalInfo& first = header.channels[static_cast<std::size_t>(group.signalIndices.front())];
    const qint64 start = std::min(first.byteOffset, file.Size());
    const qint64 end =
        std::min(file.Size(), wfdb::BytesForFrames(first, static_cast<int>(group.signalIndices.size()), frames));
    auto bytes = file.Read(start, std::max<qint64>(0, end - start));
    if (auto* err = std::get_if<FileError>(&bytes)) return *err;
    files.push_back({group.name, std::move(std::get<QByteArray>(bytes)), start, file.Size()});
    result.sourceFiles << dataPath;
  }
  for (const QString& mismatch : wfdb::ChecksumMismatches(header, files))
    result.warnings << mismatch + QStringLiteral(": the file may be damaged");
  auto decoded = wfdb::DecodeSignals(header, files, needed);
  if (auto* err = std::get_if<QString>(&decoded)) return FileError{headerPath, *err};
  wfdb::Samples& samples = std::get<wfdb::Samples>(decoded);

  SignalSet signalSet;
  signalSet.samplingFrequency = header.samplingFrequency;
  for (const wfdb::SignalInfo& s : header.channels) signalSet.names.push_back(s.description);
  signalSet.microvolts = std::move(samples.microvolts);
  auto built = BuildRecord(signalSet, options, std::get<HeaderOptions>(fields), &result.notes);
  if (auto* err = std::get_if<QString>(&built)) return FileError{headerPath, *err};
  result.image = std::move(std::get<std::unique_ptr<RecordImage>>(built));
  return result;
}

Prepared PrepareWfdb(const RecordImage& image, const QString& path, const OutputPolicy& policy,
                     const ExportFiltering& filtering) {
  const QString headerPath = WfdbHeaderPath(path);
  const QFileInfo info(headerPath);
  const QString name = info.completeBaseName();
  static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9_]+$"));
  if (!valid.match(name).hasMatch())
    return FileError{
        headerPath,
        QStringLiteral("\"%1\" is not a WFDB record name (letters, digits and underscores only)").arg(name)};
  const QString dataName = name + QStringLiteral(".dat");
  const QString dataPath = info.dir().filePath(dataName);

  // Signal file: frames of twelve int16 samples, little-endian.
  QByteArray data(qsizetype{LeadCount} * SamplesPerLead * 2, Qt::Uninitialized);
  std::array<int, LeadCount> checksum{};
  char* frame = data.data();  // one detach, not one per byte
  for (int n = 0; n < SamplesPerLead; ++n)
    for (int lead = 0; lead < LeadCount; ++lead) {
      // WFDB reserves -32768 for "no sample": the lowest value moves up one unit.
      const std::int16_t v = std::max<std::int16_t>(image.Sample(lead, n), -32767);
      *frame++ = static_cast<char>(static_cast<std::uint16_t>(v) & 0xFF);
      *frame++ = static_cast<char>(static_cast<std::uint16_t>(v) >> 8);
      checksum[static_cast<std::size_t>(lead)] += v;
    }

  const HeaderOptions h = HeaderFromRecord(image);
  QString text = QStringLiteral("%1 %2 %3 %4").arg(name).arg(LeadCount).arg(RecordSamplingRate).arg(SamplesPerLead);
  if (h.time) {
    text += u' ' + *h.time;
    if (h.date) text += QStringLiteral(" %1/%2/%3").arg(h.date->mid(8, 2), h.date->mid(5, 2), h.date->left(4));
  }
  text += u'\n';
  const QString gain = QString::number(1000.0 / MicrovoltsPerRecordUnit, 'g', 17);
  for (int lead = 0; lead < LeadCount; ++lead) {
    // Checksum: the 16-bit sum of the samples, as a signed number.
    const auto sum =
        static_cast<std::int16_t>(static_cast<std::uint16_t>(checksum[static_cast<std::size_t>(lead)] & 0xFFFF));
    text += QStringLiteral("%1 16 %2(0)/mV 16 0 %3 %4 0 %5\n")
                .arg(dataName, gain)
                .arg(std::max<std::int16_t>(image.Sample(lead, 0), -32767))
                .arg(sum)
                .arg(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()));
  }
  if (h.age) {
    const QString unit = h.ageUnit.value_or(QStringLiteral("y"));
    text += QStringLiteral("# Age: %1%2\n")
                .arg(*h.age, unit == u"y"   ? QString()
                             : unit == u"m" ? QStringLiteral(" months")
                                            : QStringLiteral(" days"));
  }
  if (h.sex)
    text += QStringLiteral("# Sex: %1\n").arg(*h.sex == u"M" ? QStringLiteral("Male") : QStringLiteral("Female"));
  for (const CommentKey& k : kCommentKeys)
    if (const auto& v = h.*(k.member)) text += QStringLiteral("# %1: %2\n").arg(QString::fromLatin1(k.key), *v);
  if (h.rvAmplitude) text += QStringLiteral("# RV%1: %2\n").arg(h.rvLead.value_or(QStringLiteral("6")), *h.rvAmplitude);
  if (filtering.Any()) text += QStringLiteral("# Filtered: %1\n").arg(filtering.description);
  const QByteArray headerBytes = text.toUtf8();

  // Both files are checked before either is written, and the header is put in
  // place last, so a failure never leaves a header without its signal file.
  PreparedOutputs outputs;
  for (const auto& [target, bytes] : {std::pair{dataPath, data}, std::pair{headerPath, headerBytes}}) {
    auto begun = PendingOutput::Begin(target, policy);
    if (auto* err = std::get_if<FileError>(&begun)) return *err;
    outputs.push_back(std::move(std::get<PendingOutput>(begun)));
  }
  if (auto err = outputs[0].Write(data)) return *err;
  if (auto err = outputs[0].Close(data.size())) return *err;
  if (auto err = outputs[1].Write(headerBytes)) return *err;
  if (auto err = outputs[1].Close(headerBytes.size())) return *err;
  return outputs;
}

std::optional<FileError> WriteWfdb(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  return CommitPrepared(PrepareWfdb(image, path, policy));
}

}  // namespace corvale::formats
