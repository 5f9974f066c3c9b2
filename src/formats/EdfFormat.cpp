#include "formats/EdfFormat.h"

#include <edflib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDate>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>

#include "formats/InputFile.h"
#include "formats/Wfdb.h"

namespace corvale::formats {
namespace {

// EDFlib keeps its open files in a global table that opening and closing
// change without a lock; reading and writing touch only the file's own entry.
std::mutex& EdfLibMutex() {
  static std::mutex m;
  return m;
}

QString OpenErrorText(int code) {
  switch (code) {
    case EDFLIB_MALLOC_ERROR: return QStringLiteral("not enough memory to open it");
    case EDFLIB_NO_SUCH_FILE_OR_DIRECTORY: return QStringLiteral("cannot be opened");
    case EDFLIB_FILE_CONTAINS_FORMAT_ERRORS:
      return QStringLiteral("is not a valid EDF, EDF+, BDF or BDF+ file (its header or size is wrong)");
    case EDFLIB_MAXFILES_REACHED: return QStringLiteral("cannot be opened: too many EDF files are open at once");
    case EDFLIB_FILE_READ_ERROR: return QStringLiteral("could not be read");
    case EDFLIB_FILE_ALREADY_OPENED: return QStringLiteral("is already open");
    case EDFLIB_FILETYPE_ERROR: return QStringLiteral("is not an EDF, EDF+, BDF or BDF+ file");
    case EDFLIB_FILE_IS_DISCONTINUOUS:
      return QStringLiteral("is a discontinuous EDF+D/BDF+D file, which cannot become a record");
    default: return QStringLiteral("is not a readable EDF file (error %1)").arg(code);
  }
}

// One open EDF file, closed under the lock whatever happens.
class EdfHandle {
 public:
  explicit EdfHandle(int handle) : handle_(handle) {}
  EdfHandle(const EdfHandle&) = delete;
  EdfHandle& operator=(const EdfHandle&) = delete;
  ~EdfHandle() { Close(); }
  int Get() const { return handle_; }
  int Close() {
    if (handle_ < 0) return 0;
    std::lock_guard lock(EdfLibMutex());
    const int rc = edfclose_file(handle_);
    handle_ = -1;
    return rc;
  }

 private:
  int handle_;
};

// " (reason)" for an errno that EDFlib's failed write left, else nothing:
// a file-size limit reaches even a file in memory.
QString SystemReason(int error) {
  return error ? QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(error))) : QString();
}

// An anonymous file in memory that a library can open by name.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("corvale-edf", MFD_CLOEXEC)) {}
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Valid() const { return fd_ >= 0; }
  QByteArray Path() const { return "/proc/self/fd/" + QByteArray::number(fd_); }
  std::variant<QByteArray, QString> ReadAll() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return QString::fromLocal8Bit(std::strerror(errno));
    QByteArray bytes(static_cast<qsizetype>(st.st_size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::pread(fd_, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done), done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return n < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("it ended early");
      done += n;
    }
    return bytes;
  }

 private:
  int fd_;
};

struct Measurement {
  std::optional<QString> HeaderOptions::*member;
  const char* key;
  const char* unit;
};
const Measurement kMeasurements[] = {
    {&HeaderOptions::heartRate, "HR", "bpm"},     {&HeaderOptions::rrInterval, "RR", "ms"},
    {&HeaderOptions::prInterval, "PR", "ms"},     {&HeaderOptions::qrsDuration, "QRS", "ms"},
    {&HeaderOptions::qrsAxis, "QRS axis", "deg"}, {&HeaderOptions::qtInterval, "QT", "ms"},
    {&HeaderOptions::qtcInterval, "QTc", "ms"},   {&HeaderOptions::sv1Amplitude, "SV1", "mV"},
};
// EDFlib keeps at most 40 bytes of an annotation's text: a longer name goes in
// parts, each "Name: " and whole UTF-8 characters, joined again in file order.
const char kNameAnnotation[] = "Name";
constexpr int kMaxAnnotationBytes = 40;

QStringList NameAnnotations(const QString& name) {
  const QString prefix = QStringLiteral("%1: ").arg(QLatin1String(kNameAnnotation));
  QStringList parts;
  QString part;
  for (QChar c : name) {
    if ((prefix + part + c).toUtf8().size() > kMaxAnnotationBytes) {
      parts << prefix + part;
      part.clear();
    }
    part += c;
  }
  if (!part.isEmpty()) parts << prefix + part;
  return parts;
}

QString Subfield(const char* text) {
  QString s = QString::fromLatin1(text).trimmed();
  s.replace(u'_', u' ');
  return s == u"X" ? QString() : s;
}

// "Age:47y Height:172 Weight:65 BP:120/80", in any order.
void ParseAdditional(const QString& text, HeaderOptions& h) {
  static const QRegularExpression age(QStringLiteral(R"((?:^|\s)Age:(\d+)([ymd]?)(?=\s|$))"));
  static const QRegularExpression kv(QStringLiteral(R"((?:^|\s)(Height|Weight|BP):(\S+))"));
  if (const auto m = age.match(text); m.hasMatch()) {
    h.age = m.captured(1);
    h.ageUnit = m.captured(2).isEmpty() ? QStringLiteral("y") : m.captured(2);
  }
  for (auto it = kv.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    (m.captured(1) == u"Height" ? h.height : m.captured(1) == u"Weight" ? h.weight : h.bloodPressure) = m.captured(2);
  }
}

void ParseAnnotation(const QString& text, HeaderOptions& h) {
  const qsizetype colon = text.indexOf(u':');
  if (colon <= 0) return;
  const QString key = text.left(colon).trimmed();
  QString value = text.mid(colon + 1).trimmed();
  if (key.compare(QLatin1String(kNameAnnotation), Qt::CaseInsensitive) == 0) {
    // The parts of one name; a space that ended a part was trimmed with it, so take the raw text.
    const QString raw = text.mid(colon + 1);
    h.name = h.name.value_or(QString()) + (raw.startsWith(u' ') ? raw.mid(1) : raw);
    return;
  }
  for (const Measurement& m : kMeasurements)
    if (key.compare(QLatin1String(m.key), Qt::CaseInsensitive) == 0) {
      const QString unit = QString::fromLatin1(m.unit);
      if (value.endsWith(unit, Qt::CaseInsensitive)) value = value.left(value.size() - unit.size()).trimmed();
      if (!value.isEmpty()) h.*(m.member) = value;
    }
  for (const char* rv : {"RV5", "RV6"})
    if (key.compare(QLatin1String(rv), Qt::CaseInsensitive) == 0) {
      if (value.endsWith(u"mV", Qt::CaseInsensitive)) value.chop(2);
      h.rvAmplitude = value.trimmed();
      h.rvLead = QString(QLatin1Char(rv[2]));
    }
}

// The annotation texts of an EDF+ or BDF+ file, read from its annotation
// signals record by record, within MaxEdfAnnotationBytes and MaxEdfAnnotations.
// A TAL is "+onset[\x15duration]\x14text\x14...\x14\0"; the first of each
// record keeps time only.
QStringList AnnotationTexts(const InputFile& file, const edf_hdr_struct& hdr) {
  QStringList texts;
  const bool bdf = hdr.filetype == EDFLIB_FILETYPE_BDFPLUS;
  auto head = file.Read(0, 256);
  if (!std::holds_alternative<QByteArray>(head)) return texts;
  const int ns = std::get<QByteArray>(head).mid(252, 4).trimmed().toInt();
  if (ns <= 0 || ns > 4096) return texts;
  auto columns = file.Read(256, qint64{ns} * 256);
  if (!std::holds_alternative<QByteArray>(columns)) return texts;
  const QByteArray& h = std::get<QByteArray>(columns);
  if (h.size() < qint64{ns} * 256) return texts;
  const int width = bdf ? 3 : 2;
  qint64 recordBytes = 0;
  std::vector<std::pair<qint64, qint64>> signalsAt;  // offset in the record, bytes
  const QByteArray label = bdf ? QByteArray("BDF Annotations") : QByteArray("EDF Annotations");
  for (int s = 0; s < ns; ++s) {
    const qint64 bytes = h.mid(qsizetype{ns} * 216 + qsizetype{s} * 8, 8).trimmed().toLongLong() * width;
    if (h.mid(qsizetype{s} * 16, 16).trimmed() == label) signalsAt.emplace_back(recordBytes, bytes);
    recordBytes += bytes;
  }
  qint64 budget = MaxEdfAnnotationBytes;
  const qint64 dataStart = 256 * (qint64{ns} + 1);
  for (long long r = 0; r < hdr.datarecords_in_file; ++r)
    for (const auto& [offset, bytes] : signalsAt) {
      if (budget <= 0 || texts.size() >= MaxEdfAnnotations) return texts;
      auto read = file.Read(dataStart + r * recordBytes + offset, std::min(bytes, budget));
      if (!std::holds_alternative<QByteArray>(read)) return texts;
      const QByteArray& tals = std::get<QByteArray>(read);
      budget -= tals.size();
      for (const QByteArray& tal : tals.split('\0')) {
        const QList<QByteArray> parts = tal.split('\x14');
        for (qsizetype i = 1; i < parts.size() && texts.size() < MaxEdfAnnotations; ++i)
          if (!parts[i].isEmpty()) texts << QString::fromUtf8(parts[i]);
      }
    }
  return texts;
}

HeaderOptions FieldsFromEdf(const edf_hdr_struct& hdr, const InputFile& file) {
  HeaderOptions h;
  const bool plus = hdr.filetype == EDFLIB_FILETYPE_EDFPLUS || hdr.filetype == EDFLIB_FILETYPE_BDFPLUS;
  // 1985-01-01 00:00:00 is EDF's way of saying "not known".
  const bool unknownStart = hdr.startdate_year == 1985 && hdr.startdate_month == 1 && hdr.startdate_day == 1 &&
                            hdr.starttime_hour == 0 && hdr.starttime_minute == 0 && hdr.starttime_second == 0;
  const QDate start(hdr.startdate_year, hdr.startdate_month, hdr.startdate_day);
  if (!unknownStart && start.isValid()) {
    h.date = start.toString(QStringLiteral("yyyy-MM-dd"));
    h.time = QStringLiteral("%1:%2:%3")
                 .arg(hdr.starttime_hour, 2, 10, QLatin1Char('0'))
                 .arg(hdr.starttime_minute, 2, 10, QLatin1Char('0'))
                 .arg(hdr.starttime_second, 2, 10, QLatin1Char('0'));
  }
  if (!plus) return h;
  if (const QString id = Subfield(hdr.patientcode); !id.isEmpty()) h.id = id;
  if (const QString name = Subfield(hdr.patient_name); !name.isEmpty()) h.name = name;
  const QString gender = QString::fromLatin1(hdr.gender).trimmed();
  if (gender.startsWith(u'M', Qt::CaseInsensitive)) h.sex = QStringLiteral("M");
  if (gender.startsWith(u'F', Qt::CaseInsensitive)) h.sex = QStringLiteral("F");
  ParseAdditional(QString::fromLatin1(hdr.patient_additional), h);
  const QDate birth(hdr.birthdate_year, hdr.birthdate_month, hdr.birthdate_day);
  if (!h.age && birth.isValid() && h.date) {
    const QDate on = QDate::fromString(*h.date, QStringLiteral("yyyy-MM-dd"));
    int years = on.year() - birth.year();
    if (on.month() < birth.month() || (on.month() == birth.month() && on.day() < birth.day())) --years;
    if (years >= 0) {
      h.age = QString::number(years);
      h.ageUnit = QStringLiteral("y");
    }
  }
  HeaderOptions annotated;
  for (const QString& text : AnnotationTexts(file, hdr)) ParseAnnotation(text, annotated);
  if (annotated.name) h.name = annotated.name;  // the header holds "X" or an ASCII form
  annotated.name.reset();
  for (const Measurement& m : kMeasurements)
    if (annotated.*(m.member)) h.*(m.member) = annotated.*(m.member);
  if (annotated.rvAmplitude) {
    h.rvAmplitude = annotated.rvAmplitude;
    h.rvLead = annotated.rvLead;
  }
  return h;
}

QString MeasurementValue(const QString& v) {
  bool digits = !v.isEmpty() && std::all_of(v.begin(), v.end(), [](QChar c) { return c.isDigit(); });
  return digits ? QString::number(v.toLongLong()) : v;
}

bool IsAscii(const QString& s) {
  return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

}  // namespace

std::variant<ReadRecord, FileError> ReadEdf(const QString& path, const HeaderOptions& options) {
  auto opened = InputFile::Open(path);
  if (auto* err = std::get_if<FileError>(&opened)) return *err;
  const InputFile& file = std::get<InputFile>(opened);
  auto hdr = std::make_unique<edf_hdr_struct>();
  int rc = 0;
  {
    std::lock_guard lock(EdfLibMutex());
    // Through the descriptor already checked: the name could have been swapped for a FIFO since.
    // EDFlib would read every annotation of the file into memory: we read
    // the few that matter ourselves.
    rc = edfopen_file_readonly(QFile::encodeName(file.DescriptorPath()).constData(), hdr.get(),
                               EDFLIB_DO_NOT_READ_ANNOTATIONS);
  }
  if (rc != 0) return FileError{path, OpenErrorText(hdr->filetype)};
  EdfHandle handle(hdr->handle);

  std::vector<QString> labels;
  for (int s = 0; s < hdr->edfsignals && s < EDFLIB_MAXSIGNALS; ++s)
    labels.push_back(QString::fromLatin1(hdr->signalparam[s].label).trimmed());
  SignalSet signalSet;
  std::vector<int> chosen;
  for (int lead = 0; lead < LeadCount; ++lead) {
    const int s = FindLead(labels, lead);
    if (s < 0) continue;  // BuildRecord names what is missing
    chosen.push_back(s);
  }
  double fs = 0;
  for (int s : chosen) {
    const edf_param_struct& p = hdr->signalparam[s];
    const double rate = hdr->datarecord_duration > 0
                            ? static_cast<double>(p.smp_in_datarecord) * EDFLIB_TIME_DIMENSION /
                                  static_cast<double>(hdr->datarecord_duration)
                            : 0.0;
    if (fs == 0) fs = rate;
    if (rate != fs)
      return FileError{
          path, QStringLiteral("lead %1 is sampled at %2 Hz and another at %3 Hz; the twelve leads need one rate")
                    .arg(labels[static_cast<std::size_t>(s)])
                    .arg(rate)
                    .arg(fs)};
  }
  signalSet.samplingFrequency = fs;
  if (auto problem = SamplingRateProblem(fs); !chosen.empty() && problem) return FileError{path, *problem};
  const qint64 needed = chosen.empty() ? 0 : InputSamplesNeeded(fs, RecordSamplingRate, SamplesPerLead);
  for (int s : chosen) {
    const edf_param_struct& p = hdr->signalparam[s];
    const QString label = labels[static_cast<std::size_t>(s)];
    const auto perUnit = wfdb::MicrovoltsPerUnit(QString::fromLatin1(p.physdimension).trimmed());
    if (!perUnit)
      return FileError{path, QStringLiteral("signal %1 has the dimension \"%2\", not a voltage")
                                 .arg(label, QString::fromLatin1(p.physdimension).trimmed())};
    const qint64 n = std::min<qint64>(p.smp_in_file, needed);
    std::vector<double> x(static_cast<std::size_t>(std::max<qint64>(0, n)));
    if (n > 0) {
      const int got = edfread_physical_samples(handle.Get(), s, static_cast<int>(n), x.data());
      if (got != n) return FileError{path, QStringLiteral("the samples of %1 could not be read").arg(label)};
    }
    for (double& v : x) v *= *perUnit;
    signalSet.names.push_back(label);
    signalSet.microvolts.push_back(std::move(x));
  }
  // Leads of different lengths: the shortest decides.
  qint64 shortest = signalSet.microvolts.empty() ? 0 : INT64_MAX;
  for (const auto& x : signalSet.microvolts) shortest = std::min<qint64>(shortest, static_cast<qint64>(x.size()));
  for (auto& x : signalSet.microvolts) x.resize(static_cast<std::size_t>(shortest));

  const HeaderOptions fields = FieldsFromEdf(*hdr, file);
  handle.Close();
  ReadRecord result;
  auto built = BuildRecord(signalSet, options, fields, &result.notes);
  if (auto* err = std::get_if<QString>(&built)) return FileError{path, *err};
  result.image = std::move(std::get<std::unique_ptr<RecordImage>>(built));
  result.sourceFiles << path;
  return result;
}

namespace {

// The prefiltering field as EDF writes it: "HP:0.67Hz LP:40Hz N:50Hz".
QByteArray EdfPrefilter(const ExportFiltering& f) {
  QStringList parts;
  if (f.highPassHz > 0) parts << QStringLiteral("HP:%1Hz").arg(f.highPassHz);
  if (f.lowPassHz > 0) parts << QStringLiteral("LP:%1Hz").arg(f.lowPassHz);
  if (f.notchHz > 0) parts << QStringLiteral("N:%1Hz").arg(f.notchHz);
  return parts.join(u' ').toLatin1();
}

}  // namespace

Prepared PrepareEdf(const RecordImage& image, const QString& path, const OutputPolicy& policy,
                    const ExportFiltering& filtering) {
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  // EDFlib writes into memory and we put the bytes on the disk: its own
  // errors carry no reason, ours carry the system's (a full disk).
  MemoryFile memory;
  if (!memory.Valid())
    return FileError{
        path, QStringLiteral("no memory file for EDFlib (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)))};
  int h = 0;
  {
    std::lock_guard lock(EdfLibMutex());
    h = edfopen_file_writeonly(memory.Path().constData(), EDFLIB_FILETYPE_EDFPLUS, LeadCount);
  }
  if (h < 0) return FileError{path, QStringLiteral("EDFlib could not create the file (error %1)").arg(h)};
  EdfHandle handle(h);
  auto fail = [&](const QString& what) { return FileError{path, QStringLiteral("EDFlib refused %1").arg(what)}; };

  // The header holds the physical range as 8-character text: the ends of the
  // 16-bit range at 4.88 uV per unit, as exact as they can be written
  // (-159907.84 would be cut to -159907.), chosen so that every reader finds
  // 4.88 uV per unit (within 1e-5) and 0 uV at 0 (within 0.05 uV).
  const double physicalMin = -std::round(32768 * MicrovoltsPerRecordUnit);            // -159908
  const double physicalMax = std::round(-physicalMin * 32767.0 / 32768.0 * 10) / 10;  // 159903.1
  for (int lead = 0; lead < LeadCount; ++lead) {
    const QByteArray label = QByteArray("ECG ") + LeadNames[static_cast<std::size_t>(lead)].data();
    if (edf_set_samplefrequency(h, lead, static_cast<int>(RecordSamplingRate)) != 0 ||
        edf_set_physical_maximum(h, lead, physicalMax) != 0 || edf_set_physical_minimum(h, lead, physicalMin) != 0 ||
        edf_set_digital_maximum(h, lead, 32767) != 0 || edf_set_digital_minimum(h, lead, -32768) != 0 ||
        edf_set_label(h, lead, label.constData()) != 0 || edf_set_physical_dimension(h, lead, "uV") != 0)
      return fail(QStringLiteral("the parameters of lead %1").arg(QString::fromLatin1(label)));
    if (filtering.Any() && edf_set_prefilter(h, lead, EdfPrefilter(filtering).constData()) != 0)
      return fail(QStringLiteral("the prefiltering of lead %1").arg(QString::fromLatin1(label)));
  }

  const HeaderOptions f = HeaderFromRecord(image);
  QDate date(1985, 1, 1);
  int hh = 0, mm = 0, ss = 0;
  if (f.date && f.time) {
    const QDate d = QDate::fromString(*f.date, QStringLiteral("yyyy-MM-dd"));
    if (d.year() >= 1985 && d.year() <= 2084) {
      date = d;
      hh = f.time->left(2).toInt();
      mm = f.time->mid(3, 2).toInt();
      ss = f.time->mid(6, 2).toInt();
    }
  }
  if (edf_set_startdatetime(h, date.year(), date.month(), date.day(), hh, mm, ss) != 0)
    return fail(QStringLiteral("the start date"));
  if (f.id && edf_set_patientcode(h, f.id->toLatin1().constData()) != 0)
    return fail(QStringLiteral("the patient code"));
  if (f.sex && edf_set_gender(h, *f.sex == u"M" ? 1 : 0) != 0) return fail(QStringLiteral("the sex"));
  // The header holds ASCII only; a name in another script travels as a UTF-8 annotation.
  const bool asciiName = f.name && IsAscii(*f.name);
  if (asciiName && edf_set_patientname(h, f.name->toLatin1().constData()) != 0)
    return fail(QStringLiteral("the patient name"));
  QStringList additional;
  if (f.age) additional << QStringLiteral("Age:%1%2").arg(*f.age, f.ageUnit.value_or(QStringLiteral("y")));
  if (f.height) additional << QStringLiteral("Height:%1").arg(*f.height);
  if (f.weight) additional << QStringLiteral("Weight:%1").arg(*f.weight);
  if (f.bloodPressure) additional << QStringLiteral("BP:%1").arg(*f.bloodPressure);
  for (QString& a : additional) a.replace(u' ', u'_');
  if (!additional.isEmpty() && edf_set_patient_additional(h, additional.join(u' ').toLatin1().constData()) != 0)
    return fail(QStringLiteral("the patient's additional field"));
  if (edf_set_equipment(h, "CORVALE") != 0) return fail(QStringLiteral("the equipment"));

  QStringList annotations;
  if (f.name && !asciiName) annotations << NameAnnotations(*f.name);
  for (const Measurement& m : kMeasurements)
    if (const auto& v = f.*(m.member))
      annotations << QStringLiteral("%1: %2 %3").arg(QLatin1String(m.key), MeasurementValue(*v), QLatin1String(m.unit));
  if (f.rvAmplitude)
    annotations << QStringLiteral("RV%1: %2 mV").arg(f.rvLead.value_or(QStringLiteral("6")), *f.rvAmplitude);
  for (const QString& a : annotations)
    if (edfwrite_annotation_utf8(h, 0, -1, a.toUtf8().constData()) != 0) return fail(QStringLiteral("an annotation"));

  std::array<short, 500> block{};
  for (int second = 0; second < static_cast<int>(RecordSeconds); ++second)
    for (int lead = 0; lead < LeadCount; ++lead) {
      for (int i = 0; i < 500; ++i) block[static_cast<std::size_t>(i)] = image.Sample(lead, second * 500 + i);
      errno = 0;
      if (edfwrite_digital_short_samples(h, block.data()) != 0)
        return FileError{path, QStringLiteral("the samples could not be written%1").arg(SystemReason(errno))};
    }
  errno = 0;
  if (handle.Close() != 0)
    return FileError{path, QStringLiteral("the file could not be completed%1").arg(SystemReason(errno))};
  auto bytes = memory.ReadAll();
  if (auto* reason = std::get_if<QString>(&bytes))
    return FileError{path, QStringLiteral("EDFlib's output could not be read back (%1)").arg(*reason)};
  if (auto err = output.Write(std::get<QByteArray>(bytes))) return *err;
  if (auto err = output.Close(std::get<QByteArray>(bytes).size())) return *err;
  PreparedOutputs outputs;
  outputs.push_back(std::move(output));
  return outputs;
}

std::optional<FileError> WriteEdf(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  return CommitPrepared(PrepareEdf(image, path, policy));
}

}  // namespace corvale::formats
