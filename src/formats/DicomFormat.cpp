#include "formats/DicomFormat.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcostrmb.h>
#include <dcmtk/dcmdata/dctk.h>
#include <dcmtk/oflog/oflog.h>

#include <QDate>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cmath>
#include <mutex>
#include <utility>

#include "formats/InputFile.h"
#include "formats/Wfdb.h"

namespace corvale::formats {
namespace {

// DCMTK's own log would print parser warnings on the tool's standard error;
// every problem reaches the user as our error instead.
void InitDcmtk() {
  static std::once_flag once;
  std::call_once(once, [] { OFLog::configure(OFLogger::OFF_LOG_LEVEL); });
}

// SCPECG lead codes 5.6.3-9-N and MDC 2:N share the numbers N.
struct LeadCode {
  int number;
  const char* meaning;
};
const LeadCode kLeadCodes[LeadCount] = {{1, "Lead I"},    {2, "Lead II"},   {61, "Lead III"}, {62, "Lead aVR"},
                                        {63, "Lead aVL"}, {64, "Lead aVF"}, {3, "Lead V1"},   {4, "Lead V2"},
                                        {5, "Lead V3"},   {6, "Lead V4"},   {7, "Lead V5"},   {8, "Lead V6"}};

struct MeasurementCode {
  std::optional<QString> HeaderOptions::*member;
  const char* code;
  const char* scheme;
  const char* meaning;
  const char* unit;
  const char* unitMeaning;
  int decimals;
};
const MeasurementCode kMeasurementCodes[] = {
    {&HeaderOptions::heartRate, "2:16770", "MDC", "ECG Heart Rate", "/min", "per minute", 0},
    {&HeaderOptions::rrInterval, "2:16168", "MDC", "RR Interval", "ms", "millisecond", 0},
    {&HeaderOptions::prInterval, "2:15872", "MDC", "PR Interval", "ms", "millisecond", 0},
    {&HeaderOptions::qrsDuration, "2:16156", "MDC", "QRS Duration", "ms", "millisecond", 0},
    {&HeaderOptions::qtInterval, "2:16160", "MDC", "QT Interval", "ms", "millisecond", 0},
    {&HeaderOptions::qtcInterval, "2:15880", "MDC", "QTc Interval", "ms", "millisecond", 0},
    {&HeaderOptions::qrsAxis, "2:16132", "MDC", "QRS Axis", "deg", "degree", 0},
    {&HeaderOptions::sv1Amplitude, "SV1", "99CORVALE", "S amplitude in V1", "mV", "millivolt", 2},
};

// The items of a sequence in order. Asking for item i by its number walks the
// list from its start, so a loop over numbers takes time quadratic in the
// count; stepping from one item to the next does not.
template <typename F>
void ForEachItem(DcmSequenceOfItems* sequence, F&& visit) {
  if (!sequence) return;
  for (DcmObject* o = sequence->nextInContainer(nullptr); o; o = sequence->nextInContainer(o))
    if (!visit(dynamic_cast<DcmItem*>(o))) return;
}

QString Str(DcmItem* item, const DcmTagKey& tag) {
  OFString value;
  if (item && item->findAndGetOFStringArray(tag, value).good()) return QString::fromUtf8(value.c_str()).trimmed();
  return {};
}

std::optional<double> Number(DcmItem* item, const DcmTagKey& tag) {
  bool ok = false;
  const double v = Str(item, tag).section(u'\\', 0, 0).toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

// "Family^Given^Middle^Prefix^Suffix", in up to three groups (alphabetic,
// ideographic, phonetic); the ideographic group is the name as written in
// Japanese, so it wins where present.
QString PersonName(const QString& pn) {
  const QStringList groups = pn.split(u'=');
  const bool ideographic = groups.size() > 1 && !groups[1].trimmed().isEmpty();
  const QString group = ideographic ? groups[1] : groups[0];
  QStringList parts;
  for (const QString& p : group.split(u'^'))
    if (!p.trimmed().isEmpty()) parts << p.trimmed();
  return parts.join(ideographic ? QStringLiteral("\u3000") : QStringLiteral(" "));
}

// The reverse: a name written as family and given name, the Japanese form
// (an ideographic space between them) in the ideographic group, so that it
// reads back exactly as it was.
QString PersonNameValue(const QString& name) {
  const QChar ideographicSpace(0x3000);
  if (name.count(ideographicSpace) == 1 && !name.contains(u' ')) {
    const qsizetype at = name.indexOf(ideographicSpace);
    return QStringLiteral("=%1^%2").arg(name.left(at), name.mid(at + 1));
  }
  // The family name first, as the record writes it, and the rest as given
  // names: a name without a component delimiter is the retired ACR-NEMA form.
  if (name.isEmpty()) return name;
  const qsizetype space = name.indexOf(u' ');
  return space < 0 ? name + u'^' : name.left(space) + u'^' + name.mid(space + 1);
}

int LeadFromCode(DcmItem* channel) {
  DcmItem* source = nullptr;
  if (channel->findAndGetSequenceItem(DCM_ChannelSourceSequence, source, 0).bad() || !source) return -1;
  const QString value = Str(source, DCM_CodeValue);
  static const QRegularExpression numbered(QStringLiteral(R"(^(?:5\.6\.3-9-|2:)(\d+)$)"));
  if (const auto m = numbered.match(value); m.hasMatch())
    for (int lead = 0; lead < LeadCount; ++lead)
      if (kLeadCodes[lead].number == m.captured(1).toInt()) return lead;
  std::vector<QString> names{Str(source, DCM_CodeMeaning)};
  if (value.startsWith(u"MDC_ECG_LEAD_")) names.push_back(value.mid(13));
  for (int lead = 0; lead < LeadCount; ++lead)
    if (FindLead(names, lead) >= 0) return lead;
  return -1;
}

struct Group {
  int index = 0;
  QString label;
  double fs = 0;
  qint64 samples = 0;
  QString fsText;                        // as written, for messages
  std::array<int, LeadCount> channel{};  // channel of each lead, -1 when absent
  int channels = 0;
  DcmItem* item = nullptr;
  std::vector<DcmItem*> definitions;  // channel definition items, in channel order
};

std::variant<Group, QString> DescribeGroup(DcmItem* item, int index) {
  Group g;
  g.index = index;
  g.item = item;
  g.label = Str(item, DCM_MultiplexGroupLabel);
  Uint16 channels = 0;
  Uint32 samples = 0;
  item->findAndGetUint16(DCM_NumberOfWaveformChannels, channels);
  item->findAndGetUint32(DCM_NumberOfWaveformSamples, samples);
  g.channels = channels;
  g.samples = samples;
  g.fsText = Str(item, DCM_SamplingFrequency);
  g.fs = Number(item, DCM_SamplingFrequency).value_or(0.0);
  g.channel.fill(-1);
  DcmSequenceOfItems* defs = nullptr;
  if (item->findAndGetSequence(DCM_ChannelDefinitionSequence, defs).bad() || !defs)
    return QStringLiteral("multiplex group %1 has no channel definitions").arg(index + 1);
  if (static_cast<int>(defs->card()) != g.channels)
    return QStringLiteral("multiplex group %1 declares %2 channels but defines %3")
        .arg(index + 1)
        .arg(g.channels)
        .arg(defs->card());
  g.definitions.reserve(static_cast<std::size_t>(g.channels));
  ForEachItem(defs, [&](DcmItem* def) {
    const int c = static_cast<int>(g.definitions.size());
    g.definitions.push_back(def);
    int lead = def ? LeadFromCode(def) : -1;
    if (lead < 0 && def) {
      const std::vector<QString> label{Str(def, DCM_ChannelLabel)};
      for (int l = 0; l < LeadCount && lead < 0; ++l)
        if (FindLead(label, l) >= 0) lead = l;
    }
    if (lead >= 0 && g.channel[static_cast<std::size_t>(lead)] < 0) g.channel[static_cast<std::size_t>(lead)] = c;
    return true;
  });
  return g;
}

std::optional<double> MicrovoltsOfUnits(DcmItem* def) {
  DcmItem* units = nullptr;
  if (def->findAndGetSequenceItem(DCM_ChannelSensitivityUnitsSequence, units, 0).bad() || !units) return std::nullopt;
  return wfdb::MicrovoltsPerUnit(Str(units, DCM_CodeValue));
}

// The group's Waveform Padding Value as stored bits (16 or 8 of them), when given.
std::optional<unsigned> PaddingValue(DcmItem* group, bool sixteen) {
  DcmElement* element = nullptr;
  if (group->findAndGetElement(DCM_WaveformPaddingValue, element).bad() || !element || element->getLength() == 0)
    return std::nullopt;
  Uint16 word = 0;
  Sint16 signedWord = 0;
  Uint8* bytes = nullptr;
  unsigned value = 0;
  if (element->getUint16(word).good()) value = word;
  else if (element->getSint16(signedWord).good()) value = static_cast<Uint16>(signedWord);
  else if (element->getUint8Array(bytes).good() && bytes)
    value = element->getLength() >= 2 ? bytes[0] | (bytes[1] << 8) : bytes[0];
  else return std::nullopt;
  return sixteen ? value & 0xFFFFu : value & 0xFFu;
}

std::variant<SignalSet, QString> ReadGroup(const Group& g) {
  Uint16 bitsAllocated = 0;
  g.item->findAndGetUint16(DCM_WaveformBitsAllocated, bitsAllocated);
  const QString interpretation = Str(g.item, DCM_WaveformSampleInterpretation);
  const bool sixteen = bitsAllocated == 16 && (interpretation == u"SS" || interpretation == u"US");
  const bool eight = bitsAllocated == 8 && (interpretation == u"SB" || interpretation == u"UB");
  if (!sixteen && !eight)
    return QStringLiteral("waveform samples of %1 bits as \"%2\" are not supported (16-bit SS/US or 8-bit SB/UB)")
        .arg(bitsAllocated)
        .arg(interpretation);
  const bool isSigned = interpretation.startsWith(u'S');
  const qint64 bytesPerSample = sixteen ? 2 : 1;
  const qint64 declared = static_cast<qint64>(g.channels) * g.samples * bytesPerSample;
  // Samples come as OW (words) or OB (bytes), whatever their own size: 8-bit
  // samples in OW are its bytes in little-endian order.
  const Uint8* bytes = nullptr;
  const Uint16* words = nullptr;
  unsigned long count = 0;
  qint64 have = 0;
  if (g.item->findAndGetUint16Array(DCM_WaveformData, words, &count).good()) have = static_cast<qint64>(count) * 2;
  else if (g.item->findAndGetUint8Array(DCM_WaveformData, bytes, &count).good()) have = static_cast<qint64>(count);
  else return QStringLiteral("multiplex group %1 has no waveform data").arg(g.index + 1);
  auto byteAt = [&](qint64 i) -> unsigned { return words ? (words[i / 2] >> (8 * (i % 2))) & 0xFFu : bytes[i]; };
  auto wordAt = [&](qint64 i) -> unsigned { return words ? words[i] : byteAt(2 * i) | (byteAt(2 * i + 1) << 8); };
  const auto padding = PaddingValue(g.item, sixteen);
  if (have < declared)
    return QStringLiteral("multiplex group %1 declares %2 channels of %3 samples (%4 bytes) but holds %5 bytes")
        .arg(g.index + 1)
        .arg(g.channels)
        .arg(g.samples)
        .arg(declared)
        .arg(have);

  SignalSet set;
  set.samplingFrequency = g.fs;
  const qint64 n = std::min<qint64>(g.samples, InputSamplesNeeded(g.fs, RecordSamplingRate, SamplesPerLead));
  for (int lead = 0; lead < LeadCount; ++lead) {
    const int c = g.channel[static_cast<std::size_t>(lead)];
    DcmItem* def = g.definitions[static_cast<std::size_t>(c)];
    const QString name = QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data());
    const auto sensitivity = Number(def, DCM_ChannelSensitivity);
    const auto perUnit = MicrovoltsOfUnits(def);
    if (!sensitivity || !perUnit)
      return QStringLiteral("channel %1 (%2) gives no sensitivity in volts, so its voltage is unknown")
          .arg(c + 1)
          .arg(name);
    const double correction = Number(def, DCM_ChannelSensitivityCorrectionFactor).value_or(1.0);
    const double baseline = Number(def, DCM_ChannelBaseline).value_or(0.0);
    const double k = *sensitivity * correction * *perUnit;
    if (!std::isfinite(k) || k == 0.0)
      return QStringLiteral("channel %1 (%2) has the sensitivity %3, which gives no voltages")
          .arg(c + 1)
          .arg(name)
          .arg(*sensitivity);
    std::vector<double> x(static_cast<std::size_t>(std::max<qint64>(0, n)));
    for (qint64 i = 0; i < n; ++i) {
      const qint64 at = i * g.channels + c;
      const unsigned stored = sixteen ? wordAt(at) : byteAt(at);
      double raw = 0;
      if (sixteen) raw = isSigned ? static_cast<std::int16_t>(stored) : static_cast<double>(stored);
      else raw = isSigned ? static_cast<std::int8_t>(stored) : static_cast<double>(stored);
      // A padding sample is no sample: 0 uV, as WFDB's reserved value reads.
      // The baseline is added to the stored value before scaling.
      x[static_cast<std::size_t>(i)] = padding == stored ? 0.0 : (raw + baseline) * k;
    }
    set.names.push_back(name);
    set.microvolts.push_back(std::move(x));
  }
  return set;
}

QString Digits(const QString& s) {
  QString out;
  for (QChar c : s)
    if (c.isDigit()) out += c;
  return out;
}

HeaderOptions FieldsFromDataset(DcmDataset* ds) {
  HeaderOptions h;
  if (const QString id = Str(ds, DCM_PatientID); !id.isEmpty()) h.id = id;
  if (const QString name = PersonName(Str(ds, DCM_PatientName)); !name.isEmpty()) h.name = name;
  const QString sex = Str(ds, DCM_PatientSex);
  if (sex == u"M" || sex == u"F") h.sex = sex;
  static const QRegularExpression age(QStringLiteral(R"(^(\d{3})([DWMY])$)"));
  if (const auto m = age.match(Str(ds, DCM_PatientAge)); m.hasMatch()) {
    const int n = m.captured(1).toInt();
    const QChar unit = m.captured(2)[0];
    h.age = QString::number(unit == u'W' ? n * 7 : n);
    h.ageUnit = unit == u'Y' ? QStringLiteral("y") : unit == u'M' ? QStringLiteral("m") : QStringLiteral("d");
  }
  if (const auto size = Number(ds, DCM_PatientSize); size && *size > 0)
    h.height = QString::number(std::lround(*size * 100));
  if (const auto weight = Number(ds, DCM_PatientWeight); weight && *weight > 0)
    h.weight = QString::number(std::lround(*weight));

  // The recording: acquisition date and time, else the study's, else the content's.
  QString date, time;
  const QString acquired = Digits(Str(ds, DCM_AcquisitionDateTime).section(u'+', 0, 0).section(u'-', 0, 0));
  if (acquired.size() >= 14) {
    date = acquired.left(8);
    time = acquired.mid(8, 6);
  }
  for (const auto& [d, t] : {std::pair{DCM_StudyDate, DCM_StudyTime}, std::pair{DCM_ContentDate, DCM_ContentTime}})
    if (date.isEmpty()) {
      const QString dd = Digits(Str(ds, d)), tt = Digits(Str(ds, t).section(u'.', 0, 0));
      if (dd.size() == 8 && tt.size() >= 6) {
        date = dd;
        time = tt.left(6);
      }
    }
  if (date.size() == 8) h.date = QStringLiteral("%1-%2-%3").arg(date.left(4), date.mid(4, 2), date.mid(6, 2));
  if (time.size() == 6) h.time = QStringLiteral("%1:%2:%3").arg(time.left(2), time.mid(2, 2), time.mid(4, 2));
  if (!h.age) {  // from the birth date, where the object gives one
    const QDate birth = QDate::fromString(Str(ds, DCM_PatientBirthDate), QStringLiteral("yyyyMMdd"));
    const QDate on = h.date ? QDate::fromString(*h.date, QStringLiteral("yyyy-MM-dd")) : QDate();
    if (birth.isValid() && on.isValid() && birth <= on) {
      int years = on.year() - birth.year();
      if (on.month() < birth.month() || (on.month() == birth.month() && on.day() < birth.day())) --years;
      h.age = QString::number(years);
      h.ageUnit = QStringLiteral("y");
    }
  }

  DcmSequenceOfItems* annotations = nullptr;
  if (ds->findAndGetSequence(DCM_WaveformAnnotationSequence, annotations).good())
    ForEachItem(annotations, [&](DcmItem* a) {
      DcmItem* conceptName = nullptr;
      if (!a || a->findAndGetSequenceItem(DCM_ConceptNameCodeSequence, conceptName, 0).bad() || !conceptName)
        return true;
      const auto value = Number(a, DCM_NumericValue);
      if (!value) return true;
      const QString code = Str(conceptName, DCM_CodeValue), meaning = Str(conceptName, DCM_CodeMeaning);
      for (const MeasurementCode& m : kMeasurementCodes)
        if (code == QLatin1String(m.code) || meaning.compare(QLatin1String(m.meaning), Qt::CaseInsensitive) == 0) {
          h.*(m.member) = m.decimals ? QString::number(*value, 'f', m.decimals) : QString::number(std::lround(*value));
        }
      if (code == u"RV5" || code == u"RV6") {
        h.rvAmplitude = QString::number(*value, 'f', 2);
        h.rvLead = code.right(1);
      }
      return true;
    });
  return h;
}

// Values longer than this are read when first asked for, from the same bytes.
// The parser then skips such a value instead of allocating it, so a length
// field beyond the end of the bytes is an error, not gigabytes reserved.
constexpr Uint32 LoadLaterLength = 4096;

// A second stream over the same bytes, at the offset where a value starts.
class BytesAtOffset final : public DcmInputStreamFactory {
 public:
  BytesAtOffset(QByteArray bytes, offile_off_t offset) : bytes_(std::move(bytes)), offset_(offset) {}
  DcmInputStream* create() const override;
  DcmInputStreamFactory* clone() const override { return new BytesAtOffset(*this); }
  DcmInputStreamFactoryType ident() const override { return DFT_DcmInputFileStreamFactory; }  // random access

 private:
  QByteArray bytes_;  // shared, not copied
  offile_off_t offset_;
};

// A memory stream that, like a file stream, can be read again later.
class BytesStream final : public DcmInputBufferStream {
 public:
  explicit BytesStream(QByteArray bytes) : bytes_(std::move(bytes)) {
    setBuffer(bytes_.constData(), bytes_.size());
    setEos();
  }
  DcmInputStreamFactory* newFactory() const override { return new BytesAtOffset(bytes_, tell()); }

 private:
  QByteArray bytes_;
};

DcmInputStream* BytesAtOffset::create() const {
  auto* stream = new BytesStream(bytes_);
  stream->skip(offset_);
  return stream;
}

}  // namespace

std::variant<ReadRecord, FileError> ReadDicom(const QString& path, const HeaderOptions& options) {
  InitDcmtk();
  auto opened = InputFile::Open(path);
  if (auto* err = std::get_if<FileError>(&opened)) return *err;
  auto bytes = std::get<InputFile>(opened).ReadAll(MaxDicomBytes);
  if (auto* err = std::get_if<FileError>(&bytes)) return *err;
  return ReadDicomBytes(std::get<QByteArray>(bytes), path, options);
}

std::variant<ReadRecord, FileError> ReadDicomBytes(const QByteArray& data, const QString& path,
                                                   const HeaderOptions& options) {
  InitDcmtk();

  // The parser spends microseconds and memory on every sequence item, and a
  // small file can hold millions of empty ones: count the item tags (either
  // byte order) first. A chance match inside sample data counts too, which
  // is harmless so far below the limit.
  qsizetype items = 0;
  for (const QByteArray& tag : {QByteArray("\xFE\xFF\x00\xE0", 4), QByteArray("\xFF\xFE\xE0\x00", 4)})
    for (qsizetype at = data.indexOf(tag); at >= 0 && items <= MaxDicomItems; at = data.indexOf(tag, at + 4)) ++items;
  if (items > MaxDicomItems)
    return FileError{
        path, QStringLiteral("holds more than %1 sequence items; an ECG object has a few hundred").arg(MaxDicomItems)};

  // Parsed from memory: DCMTK never reads past the bytes it is given, and an
  // element longer than what remains is an error, not an allocation.
  BytesStream stream(data);
  DcmFileFormat file;
  file.transferInit();
  const OFCondition read = file.read(stream, EXS_Unknown, EGL_noChange, LoadLaterLength);
  file.transferEnd();
  if (read.bad())
    return FileError{path, QStringLiteral("is not a readable DICOM file (%1)").arg(QString::fromLatin1(read.text()))};
  DcmDataset* ds = file.getDataset();
  ds->convertToUTF8();  // names in other character sets; where that fails the bytes stay as they are

  const QString sopClass = Str(ds, DCM_SOPClassUID);
  if (sopClass != QLatin1String(UID_TwelveLeadECGWaveformStorage) &&
      sopClass != QLatin1String(UID_GeneralECGWaveformStorage))
    return FileError{path,
                     QStringLiteral("is a DICOM object of another kind (SOP class %1), not a 12-lead or general ECG")
                         .arg(sopClass.isEmpty() ? QStringLiteral("not given") : sopClass)};
  DcmSequenceOfItems* waveforms = nullptr;
  if (ds->findAndGetSequence(DCM_WaveformSequence, waveforms).bad() || !waveforms || waveforms->card() == 0)
    return FileError{path, QStringLiteral("holds no waveform")};

  std::optional<Group> chosen;
  QString firstProblem;
  int index = 0;
  ForEachItem(waveforms, [&](DcmItem* item) {
    auto described = DescribeGroup(item, index++);
    if (auto* err = std::get_if<QString>(&described)) {
      if (firstProblem.isEmpty()) firstProblem = *err;
      return true;
    }
    const Group& g = std::get<Group>(described);
    if (std::any_of(g.channel.begin(), g.channel.end(), [](int c) { return c < 0; })) {
      if (firstProblem.isEmpty()) {
        QStringList missing;
        for (int lead = 0; lead < LeadCount; ++lead)
          if (g.channel[static_cast<std::size_t>(lead)] < 0)
            missing << QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()).toUpper();
        firstProblem =
            QStringLiteral("the record lacks the standard lead(s) %1").arg(missing.join(QStringLiteral(", ")));
      }
      return true;
    }
    const bool median = g.label.contains(QLatin1String("MEDIAN"), Qt::CaseInsensitive);
    const bool long_enough = g.fs > 0 && static_cast<double>(g.samples) >= RecordSeconds * g.fs;
    if (!chosen || (!median && long_enough)) chosen = g;
    return median || !long_enough;
  });
  if (!chosen) return FileError{path, firstProblem};
  if (!Number(chosen->item, DCM_SamplingFrequency))
    return FileError{path, QStringLiteral("sampling frequency \"%1\" is not a finite number of hertz")
                               .arg(chosen->fsText.isEmpty() ? QStringLiteral("(not given)") : chosen->fsText)};
  if (auto problem = SamplingRateProblem(chosen->fs)) return FileError{path, *problem};
  auto signalSet = ReadGroup(*chosen);
  if (auto* err = std::get_if<QString>(&signalSet)) return FileError{path, *err};
  ReadRecord result;
  auto built = BuildRecord(std::get<SignalSet>(signalSet), options, FieldsFromDataset(ds), &result.notes);
  if (auto* err = std::get_if<QString>(&built)) return FileError{path, *err};
  result.image = std::move(std::get<std::unique_ptr<RecordImage>>(built));
  result.sourceFiles << path;
  return result;
}

namespace {

OFCondition PutCode(DcmItem* item, const DcmTag& sequence, const char* value, const char* scheme, const char* meaning,
                    const char* version = nullptr) {
  DcmItem* code = nullptr;
  OFCondition c = item->findOrCreateSequenceItem(sequence, code, -2);
  if (c.bad()) return c;
  c = code->putAndInsertString(DCM_CodeValue, value);
  if (c.good()) c = code->putAndInsertString(DCM_CodingSchemeDesignator, scheme);
  if (c.good() && version) c = code->putAndInsertString(DCM_CodingSchemeVersion, version);
  if (c.good()) c = code->putAndInsertString(DCM_CodeMeaning, meaning);
  return c;
}

// A new UID under our root: ROOT.KIND.R, with R a random 17-digit number
// (64 characters at most, as UIDs must be).
QString NewUid(int kind) {
  const quint64 r = QRandomGenerator::system()->bounded(Q_UINT64_C(90000000000000000)) + Q_UINT64_C(10000000000000000);
  return QStringLiteral("%1.%2.%3").arg(QLatin1String(DicomUidRoot)).arg(kind).arg(r);
}

// The whole file (preamble, meta header as it is, data set) in memory, so
// that the write to disk is ours and a failure carries the system's reason.
std::variant<QByteArray, QString> Serialise(DcmFileFormat& file) {
  QByteArray out;
  std::vector<char> buffer(std::size_t{64} * 1024);
  DcmOutputBufferStream stream(buffer.data(), static_cast<offile_off_t>(buffer.size()));
  file.transferInit();
  OFCondition c = EC_Normal;
  do {
    c = file.write(stream, EXS_LittleEndianExplicit, EET_ExplicitLength, nullptr, EGL_recalcGL, EPD_noChange, 0, 0, 0,
                   EWM_dontUpdateMeta);
    void* data = nullptr;
    offile_off_t length = 0;
    stream.flushBuffer(data, length);
    out.append(static_cast<const char*>(data), static_cast<qsizetype>(length));
  } while (c == EC_StreamNotifyClient);
  file.transferEnd();
  if (c.bad()) return QString::fromLatin1(c.text());
  return out;
}

}  // namespace

Prepared PrepareDicom(const RecordImage& image, const QString& path, const OutputPolicy& policy,
                      const ExportFiltering& filtering) {
  InitDcmtk();
  const HeaderOptions f = HeaderFromRecord(image);
  if (!f.date || !f.time)
    return FileError{path,
                     QStringLiteral("the record has no valid recording date and time, which a DICOM ECG must carry")};
  const QString date = QString(*f.date).remove(u'-'), time = QString(*f.time).remove(u':');

  DcmFileFormat file;
  DcmDataset* ds = file.getDataset();
  OFCondition c = EC_Normal;
  auto put = [&](const DcmTag& tag, const QString& value) {
    if (c.good()) c = ds->putAndInsertString(tag, value.toUtf8().constData());
  };
  put(DCM_SpecificCharacterSet, QStringLiteral("ISO_IR 192"));
  put(DCM_SOPClassUID, QStringLiteral(UID_TwelveLeadECGWaveformStorage));
  put(DCM_SOPInstanceUID, NewUid(3));
  put(DCM_StudyDate, date);
  put(DCM_StudyTime, time);
  put(DCM_ContentDate, date);
  put(DCM_ContentTime, time);
  put(DCM_AcquisitionDateTime, date + time);
  put(DCM_AccessionNumber, {});
  put(DCM_Modality, QStringLiteral("ECG"));
  put(DCM_Manufacturer, {});
  put(DCM_ReferringPhysicianName, {});
  put(DCM_PatientName, PersonNameValue(f.name.value_or(QString())));
  // Archives file objects by patient ID, so a record without one gets the
  // record's own "no ID" value, the one "delete ID" gives.
  put(DCM_PatientID, f.id.value_or(QStringLiteral("00000000")));
  put(DCM_PatientBirthDate, {});
  put(DCM_PatientSex, f.sex.value_or(QString()));
  if (f.age) {
    const QString unit = f.ageUnit.value_or(QStringLiteral("y")).toUpper();
    if (f.age->toInt() <= 999)
      put(DCM_PatientAge, QStringLiteral("%1%2")
                              .arg(f.age->toInt(), 3, 10, QLatin1Char('0'))
                              .arg(unit == u"M" || unit == u"D" ? unit : QStringLiteral("Y")));
  }
  bool ok = false;
  if (f.height) {
    const double cm = f.height->toDouble(&ok);
    if (ok && cm > 0) put(DCM_PatientSize, QString::number(cm / 100.0, 'g', 6));
  }
  if (f.weight) {
    const double kg = f.weight->toDouble(&ok);
    if (ok && kg > 0) put(DCM_PatientWeight, QString::number(kg, 'g', 6));
  }
  put(DCM_StudyInstanceUID, NewUid(1));
  put(DCM_SeriesInstanceUID, NewUid(2));
  put(DCM_StudyID, QStringLiteral("1"));
  put(DCM_SeriesNumber, QStringLiteral("1"));
  put(DCM_InstanceNumber, QStringLiteral("1"));
  if (c.good()) c = ds->insertEmptyElement(DCM_AcquisitionContextSequence);

  DcmItem* group = nullptr;
  if (c.good()) c = ds->findOrCreateSequenceItem(DCM_WaveformSequence, group, -2);
  auto putIn = [&](DcmItem* item, const DcmTag& tag, const QString& value) {
    if (c.good()) c = item->putAndInsertString(tag, value.toLatin1().constData());
  };
  if (c.good()) {
    // Filtered samples are no longer the acquisition's own.
    putIn(group, DCM_WaveformOriginality, filtering.Any() ? QStringLiteral("DERIVED") : QStringLiteral("ORIGINAL"));
    if (c.good()) c = group->putAndInsertUint16(DCM_NumberOfWaveformChannels, LeadCount);
    if (c.good()) c = group->putAndInsertUint32(DCM_NumberOfWaveformSamples, SamplesPerLead);
    putIn(group, DCM_SamplingFrequency, QStringLiteral("500"));
    putIn(group, DCM_MultiplexGroupLabel, QStringLiteral("RHYTHM"));
    for (int lead = 0; lead < LeadCount && c.good(); ++lead) {
      DcmItem* channel = nullptr;
      c = group->findOrCreateSequenceItem(DCM_ChannelDefinitionSequence, channel, -2);
      if (c.bad()) break;
      const QByteArray code = "5.6.3-9-" + QByteArray::number(kLeadCodes[lead].number);
      c = PutCode(channel, DCM_ChannelSourceSequence, code.constData(), "SCPECG", kLeadCodes[lead].meaning, "1.3");
      putIn(channel, DCM_ChannelLabel, QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()));
      putIn(channel, DCM_ChannelSensitivity, QString::number(MicrovoltsPerUnit));
      if (c.good()) c = PutCode(channel, DCM_ChannelSensitivityUnitsSequence, "uV", "UCUM", "microvolt", "1.4");
      putIn(channel, DCM_ChannelSensitivityCorrectionFactor, QStringLiteral("1"));
      putIn(channel, DCM_ChannelBaseline, QStringLiteral("0"));
      putIn(channel, DCM_ChannelSampleSkew, QStringLiteral("0"));
      if (filtering.highPassHz > 0) putIn(channel, DCM_FilterLowFrequency, QString::number(filtering.highPassHz));
      if (filtering.lowPassHz > 0) putIn(channel, DCM_FilterHighFrequency, QString::number(filtering.lowPassHz));
      if (filtering.notchHz > 0) putIn(channel, DCM_NotchFilterFrequency, QString::number(filtering.notchHz));
      if (c.good()) c = channel->putAndInsertUint16(DCM_WaveformBitsStored, 16);
    }
    if (c.good()) c = group->putAndInsertUint16(DCM_WaveformBitsAllocated, 16);
    putIn(group, DCM_WaveformSampleInterpretation, QStringLiteral("SS"));
    std::vector<Uint16> samples(static_cast<std::size_t>(LeadCount * SamplesPerLead));
    for (int n = 0; n < SamplesPerLead; ++n)
      for (int lead = 0; lead < LeadCount; ++lead)
        samples[static_cast<std::size_t>(n) * LeadCount + static_cast<std::size_t>(lead)] =
            static_cast<Uint16>(image.Sample(lead, n));
    if (c.good())
      c = group->putAndInsertUint16Array(DCM_WaveformData, samples.data(), static_cast<unsigned long>(samples.size()));
  }

  // Global measurements that are numbers, for the whole multiplex group.
  auto annotate = [&](const char* code, const char* scheme, const char* meaning, double value, const char* unit,
                      const char* unitMeaning) {
    DcmItem* a = nullptr;
    if (c.good()) c = ds->findOrCreateSequenceItem(DCM_WaveformAnnotationSequence, a, -2);
    if (c.bad()) return;
    const Uint16 channels[2] = {1, 0};  // group 1, all of its channels
    c = a->putAndInsertUint16Array(DCM_ReferencedWaveformChannels, channels, 2);
    if (c.good()) c = PutCode(a, DCM_ConceptNameCodeSequence, code, scheme, meaning);
    if (c.good()) c = a->putAndInsertString(DCM_NumericValue, QString::number(value, 'g', 10).toLatin1().constData());
    if (c.good()) c = PutCode(a, DCM_MeasurementUnitsCodeSequence, unit, "UCUM", unitMeaning, "1.4");
  };
  for (const MeasurementCode& m : kMeasurementCodes)
    if (const auto& v = f.*(m.member)) {
      const double value = v->toDouble(&ok);
      if (ok && std::isfinite(value)) annotate(m.code, m.scheme, m.meaning, value, m.unit, m.unitMeaning);
    }
  if (f.rvAmplitude) {
    const double value = f.rvAmplitude->toDouble(&ok);
    const QByteArray code = "RV" + f.rvLead.value_or(QStringLiteral("6")).toLatin1();
    const QByteArray meaning = "R amplitude in V" + f.rvLead.value_or(QStringLiteral("6")).toLatin1();
    if (ok && std::isfinite(value))
      annotate(code.constData(), "99CORVALE", meaning.constData(), value, "mV", "millivolt");
  }
  if (c.bad())
    return FileError{path,
                     QStringLiteral("the DICOM object could not be built (%1)").arg(QString::fromLatin1(c.text()))};

  // The meta header as the library makes it, but naming our implementation
  // (ROOT.0) rather than the library's, which a write would put back.
  DcmMetaInfo* meta = file.getMetaInfo();
  c = file.validateMetaInfo(EXS_LittleEndianExplicit);
  if (c.good())
    c = meta->putAndInsertString(DCM_ImplementationClassUID,
                                 (QLatin1String(DicomUidRoot) + QStringLiteral(".0")).toLatin1().constData());
  if (c.good()) c = meta->putAndInsertString(DCM_ImplementationVersionName, "CORVALE");
  if (c.good()) c = meta->computeGroupLengthAndPadding(EGL_withGL, EPD_noChange, EXS_LittleEndianExplicit);
  if (c.bad())
    return FileError{
        path, QStringLiteral("the DICOM meta header could not be built (%1)").arg(QString::fromLatin1(c.text()))};
  auto bytes = Serialise(file);
  if (auto* err = std::get_if<QString>(&bytes))
    return FileError{path, QStringLiteral("the DICOM object could not be encoded (%1)").arg(*err)};
  auto begun = PendingOutput::Begin(path, policy);
  if (auto* err = std::get_if<FileError>(&begun)) return *err;
  PendingOutput& output = std::get<PendingOutput>(begun);
  if (auto err = output.Write(std::get<QByteArray>(bytes))) return *err;
  if (auto err = output.Close(std::get<QByteArray>(bytes).size())) return *err;
  PreparedOutputs outputs;
  outputs.push_back(std::move(output));
  return outputs;
}

std::optional<FileError> WriteDicom(const RecordImage& image, const QString& path, const OutputPolicy& policy) {
  return CommitPrepared(PrepareDicom(image, path, policy));
}

}  // namespace corvale::formats
