// Every way a file or an option is refused, with the message the user reads.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "formats/Formats.h"
#include "formats/InputFile.h"
#include "formats/WfdbFormat.h"
#include "support/RecordBuilder.h"

namespace corvale::formats {
namespace {

class Scratch : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString Path(const QString& name) const { return dir.filePath(name); }
  void Write(const QString& name, const QByteArray& bytes) {
    QFile::remove(Path(name));
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  void Fifo(const QString& name) { ASSERT_EQ(::mkfifo(QFile::encodeName(Path(name)).constData(), 0600), 0); }
  // The reason a read was refused; "" when it succeeded.
  static QString Refusal(const QString& path, const HeaderOptions& options = {}) {
    auto r = ReadAnyRecord(path, options);
    return std::holds_alternative<FileError>(r) ? std::get<FileError>(r).reason : QString();
  }
};

// A 12-lead WFDB header; `line` replaces the gain field of lead I, `first` the record line.
QByteArray WfdbHeader(const QByteArray& first = "rec 12 500 5000", const QByteArray& gainI = "1000(0)/mV",
                      const QByteArray& formatI = "16", const QByteArray& fileI = "rec.dat") {
  QByteArray h = first + "\n";
  const char* names[] = {"I", "II", "III", "aVR", "aVL", "aVF", "V1", "V2", "V3", "V4", "V5", "V6"};
  for (const char* n : names) {
    const bool isI = QByteArray(n) == "I";
    h += (isI ? fileI : QByteArray("rec.dat")) + " " + (isI ? formatI : QByteArray("16")) + " " +
         (isI ? gainI : QByteArray("1000(0)/mV")) + " 16 0 0 0 0 " + n + "\n";
  }
  return h;
}

TEST_F(Scratch, WfdbHeadersThatAreRefused) {
  struct Row {
    const char* what;
    QByteArray header;
    const char* message;
  };
  const Row rows[] = {
      {"denormal gain", WfdbHeader("rec 12 500 5000", "1e-320/mV"), "gain 1e-320 per mV gives no finite voltages"},
      {"negative gain", WfdbHeader("rec 12 500 5000", "-200/mV"), "gain -200 is negative"},
      {"overflowing gain", WfdbHeader("rec 12 500 5000", "1e999/mV"), "gain 1e999 is not a finite number"},
      {"tiny rate", WfdbHeader("rec 12 1e-300 5000"), "sampling frequency 1e-300 Hz is outside the 50 Hz to 20 kHz"},
      {"rate too high", WfdbHeader("rec 12 30000 5000"), "sampling frequency 30000 Hz is outside"},
      {"rate not a number", WfdbHeader("rec 12 fast 5000"), "sampling frequency fast is not a finite number"},
      {"overflowing format", WfdbHeader("rec 12 500 5000", "1000(0)/mV", "99999999999999999999"),
       "format 99999999999999999999 is not supported"},
      {"overflowing samples per frame", WfdbHeader("rec 12 500 5000", "1000(0)/mV", "16x99999999999"),
       "99999999999 samples per frame is not supported"},
      {"overflowing baseline", WfdbHeader("rec 12 500 5000", "1000(99999999999)/mV"),
       "baseline 99999999999 is not a whole number"},
      {"absurd baseline", WfdbHeader("rec 12 500 5000", "1000(2000000000)/mV"),
       "lead I lies wholly outside the record's range"},
      {"10^12 samples declared", WfdbHeader("rec 12 500 1000000000000"),
       "declares 1000000000000 samples per signal but rec.dat holds only 5000"},
      {"signal file elsewhere", WfdbHeader("rec 12 500 5000", "1000(0)/mV", "16", "../rec.dat"),
       "signal file \"../rec.dat\" is not a file beside the header"},
      {"signal file is a device", WfdbHeader("rec 12 500 5000", "1000(0)/mV", "16", "/dev/zero"),
       "is not a file beside the header"},
      {"overflowing signal count", QByteArray("rec 99999999999 500 5000\n"), "unreadable signal count \"99999999999\""},
  };
  Write("rec.dat", QByteArray(5000 * 24, '\0'));
  for (const Row& r : rows) {
    Write("rec.hea", r.header);
    const QString err = Refusal(Path("rec.hea"));
    EXPECT_TRUE(err.contains(QString::fromUtf8(r.message))) << r.what << ": " << err.toStdString();
  }
  // The same file with a sane header reads: the refusals above come from the values alone.
  Write("rec.hea", WfdbHeader());
  EXPECT_EQ(Refusal(Path("rec.hea")), QString());
}

// CSV in: our own export reads back exactly; common variants read; what is
// ambiguous is refused with the reason.
TEST_F(Scratch, CsvVariantsAndWhatIsAmbiguous) {
  auto owned = std::make_unique<RecordImage>(test::RecordBuilder().Image());
  for (int lead = 0; lead < LeadCount; ++lead)
    for (int n = 0; n < SamplesPerLead; ++n) owned->SetSample(lead, n, static_cast<std::int16_t>(lead * 100 + n % 50));
  const RecordImage& image = *owned;
  ASSERT_FALSE(WriteRecordAs(image, FormatKind::Csv, Path("ours.csv")));
  // Eight independent leads as many recorders store them, in mV, semicolons,
  // decimal commas, columns shuffled, no time column.
  const int eight[] = {11, 0, 1, 6, 7, 8, 9, 10};
  QByteArray text;
  for (int k : eight)
    text += QByteArray(text.isEmpty() ? "" : ";") + LeadNames[static_cast<std::size_t>(k)].data() + " (mV)";
  text += '\n';
  for (int n = 0; n < 6000; ++n) {
    QByteArray line;
    for (int k : eight)
      line +=
          (line.isEmpty() ? "" : ";") +
          QByteArray::number(image.Sample(k, n % SamplesPerLead) * MicrovoltsPerUnit / 1000, 'f', 6).replace('.', ',');
    text += line + '\n';
  }
  Write("eight.csv", text);
  struct Row {
    const char* what;
    QByteArray csv;  // empty: the file named by `file`
    const char* file;
    std::optional<double> rate;
    const char* message;  // "" when it reads
  };
  const Row rows[] = {
      {"our export", {}, "ours.csv", std::nullopt, ""},
      {"eight leads, --rate", {}, "eight.csv", 500.0, ""},
      {"eight leads without a rate", {}, "eight.csv", std::nullopt, "no time column: give the sampling rate"},
      {"no unit", "time_s,I,II\n0,1,2\n", "x.csv", std::nullopt, "the column \"I\" does not say its unit"},
      {"a lead twice", "time_s,I_uV,I_mV\n0,1,2\n", "x.csv", std::nullopt, "lead I has two columns"},
      {"uneven time", "time_s,I_uV\n0,1\n0.002,1\n0.005,1\n", "x.csv", std::nullopt, "does not step evenly"},
      {"rate given twice", "time_ms,I_uV\n0,1\n2,1\n4,1\n", "x.csv", 250.0, "gives 500 Hz, but 250 Hz was given"},
      {"both separators", "time_s;I_uV,II_uV\n0;1,2\n", "x.csv", std::nullopt, "both commas and semicolons"},
      {"not a number", "time_s,I_uV\n0,1\n0.002,one\n", "x.csv", std::nullopt, "line 3, column 2: \"one\""},
      {"no leads", "time_s,pulse\n0,1\n", "x.csv", std::nullopt, "names no ECG lead"},
  };
  for (const Row& r : rows) {
    if (!r.csv.isEmpty()) Write(r.file, r.csv);
    HeaderOptions options;
    options.samplingRate = r.rate;
    auto read = ReadAnyRecord(Path(r.file), options);
    const QString err = std::holds_alternative<FileError>(read) ? std::get<FileError>(read).reason : QString();
    EXPECT_TRUE(*r.message ? err.contains(QString::fromUtf8(r.message)) : err.isEmpty())
        << r.what << ": " << err.toStdString();
    if (!err.isEmpty()) continue;
    const OpenedRecord& opened = std::get<OpenedRecord>(read);
    EXPECT_EQ(opened.format, FormatKind::Csv) << r.what;
    // Every lead within a unit of the original: III, aVR, aVL, aVF derived from I and II when absent.
    const bool derived = QByteArray(r.file) == "eight.csv";
    EXPECT_EQ(opened.notes.join(' ').contains("derived from I and II"), derived) << r.what;
    int worst = 0;
    for (int lead = 0; lead < LeadCount; ++lead) {
      const bool made = derived && lead >= 2 && lead <= 5;
      for (int n = 0; n < SamplesPerLead; ++n) {
        const int i = image.Sample(0, n), ii = image.Sample(1, n);
        const double want = !made       ? image.Sample(lead, n)
                            : lead == 2 ? ii - i
                            : lead == 3 ? -(i + ii) / 2.0
                            : lead == 4 ? i - ii / 2.0
                                        : ii - i / 2.0;
        worst = std::max(worst, static_cast<int>(std::ceil(std::fabs(opened.image->Sample(lead, n) - want))));
      }
    }
    EXPECT_LE(worst, derived ? 1 : 0) << r.what;
  }
}

TEST_F(Scratch, SpecialFilesAreNeverOpenedForReading) {
  // A FIFO would block a plain open for ever; a link to one is no better.
  Write("rec.dat", QByteArray(5000 * 24, '\0'));
  Fifo("fifo.hea");
  ASSERT_TRUE(QFile::link(Path("fifo.hea"), Path("link.hea")));
  Fifo("sig.dat");
  Write("sig.hea", WfdbHeader("sig 12 500 5000", "1000(0)/mV", "16", "sig.dat").replace("rec.dat", "sig.dat"));
  Fifo("x.nrm");
  Fifo("y.edf");
  QDir(dir.path()).mkdir("d.nrm");
  struct Row {
    const char* name;
    const char* message;
  };
  const Row rows[] = {{"fifo.hea", "is a FIFO; only regular files are read"},
                      {"link.hea", "is a FIFO; only regular files are read"},
                      {"sig.hea", "is a FIFO; only regular files are read"},
                      {"x.nrm", "is a FIFO"},
                      {"y.edf", "is a FIFO"},
                      {"d.nrm", "is a directory"}};
  for (const Row& r : rows) {
    const QString err = Refusal(Path(QString::fromLatin1(r.name)));
    EXPECT_TRUE(err.contains(QString::fromLatin1(r.message))) << r.name << ": " << err.toStdString();
  }
}

TEST_F(Scratch, InputFileReadsOnlyWhatIsAskedAndWhatIsThere) {
  Write("f", QByteArray("0123456789"));
  auto opened = InputFile::Open(Path("f"));
  ASSERT_TRUE(std::holds_alternative<InputFile>(opened));
  const InputFile& f = std::get<InputFile>(opened);
  EXPECT_EQ(f.Size(), 10);
  EXPECT_EQ(std::get<QByteArray>(f.Read(3, 4)), QByteArray("3456"));
  // Asking for a terabyte past the end allocates nothing beyond the file.
  EXPECT_EQ(std::get<QByteArray>(f.Read(8, 1LL << 40)), QByteArray("89"));
  EXPECT_EQ(std::get<QByteArray>(f.Read(20, 5)), QByteArray());
  EXPECT_TRUE(std::holds_alternative<FileError>(f.Read(-1, 5)));
  EXPECT_EQ(std::get<QByteArray>(f.ReadAll(10)), QByteArray("0123456789"));
  const auto tooBig = f.ReadAll(9);
  ASSERT_TRUE(std::holds_alternative<FileError>(tooBig));
  EXPECT_EQ(std::get<FileError>(tooBig).reason,
            QStringLiteral("has 10 bytes, more than the 9 bytes such a file may have"));
  EXPECT_TRUE(std::holds_alternative<FileError>(InputFile::Open(Path("missing"))));
}

TEST_F(Scratch, OversizedHeaderIsRefusedUnread) {
  Write("rec.dat", QByteArray(5000 * 24, '\0'));
  Write("rec.hea", WfdbHeader() + QByteArray(300 * 1024, '#'));
  EXPECT_TRUE(Refusal(Path("rec.hea")).contains(QStringLiteral("more than the 256 KiB such a file may have")));
}

TEST_F(Scratch, HeaderOptionsThatAreRefused) {
  Write("rec.dat", QByteArray(5000 * 24, '\0'));
  Write("rec.hea", WfdbHeader());
  struct Row {
    const char* what;
    std::optional<QString> HeaderOptions::*member;
    const char* value;
    const char* message;
  };
  const Row rows[] = {
      {"month 13", &HeaderOptions::date, "2023-13-45", "date \"2023-13-45\" is not a calendar date"},
      {"29 February of a common year", &HeaderOptions::date, "2023-02-29",
       "date \"2023-02-29\" is not a calendar date"},
      {"date form", &HeaderOptions::date, "14/05/2003", "date \"14/05/2003\" must be YYYY-MM-DD"},
      {"hour 25", &HeaderOptions::time, "25:61:99", "time \"25:61:99\" is not a time of day"},
      {"second 60", &HeaderOptions::time, "23:59:60", "time \"23:59:60\" is not a time of day"},
      {"unit without age", &HeaderOptions::ageUnit, "m", "--age-unit m was given without --age"},
      {"sex", &HeaderOptions::sex, "X", "sex \"X\" must be M or F"},
      {"age", &HeaderOptions::age, "4x", "age \"4x\" must be a whole number"},
      {"long ID", &HeaderOptions::id, "123456789", "ID \"123456789\" must be at most 8 ASCII characters"},
      {"control character", &HeaderOptions::id, "a\x1b]0;x", "must be at most 8 ASCII characters"},
      {"name outside Shift-JIS", &HeaderOptions::name, "M\u00fcller", "has characters that Shift-JIS cannot hold"},
      {"line breaks in the name", &HeaderOptions::name, "X\n# HR: 180\n# QT: 999", "has control characters"},
      {"escape in the name", &HeaderOptions::name, "X\x1b[2J", "has control characters"},
  };
  for (const Row& r : rows) {
    HeaderOptions o;
    o.*(r.member) = QString::fromUtf8(r.value);
    const QString err = Refusal(Path("rec.hea"), o);
    EXPECT_TRUE(err.contains(QString::fromUtf8(r.message))) << r.what << ": " << err.toStdString();
  }
  // Valid boundary values are taken.
  HeaderOptions ok;
  ok.date = "2024-02-29";
  ok.time = "23:59:59";
  ok.age = "5";
  ok.ageUnit = "d";
  EXPECT_EQ(Refusal(Path("rec.hea"), ok), QString());
}

TEST_F(Scratch, FilesOfNoKnownFormat) {
  Write("notes.txt", "hello");
  Write("short.nrm", QByteArray(10, 'x'));
  struct Row {
    const char* name;
    const char* message;
  };
  const Row rows[] = {{"notes.txt", "is not in a format CORVALE reads"},
                      {"short.nrm", "the file has 10 bytes; a record needs 120424 bytes"},
                      {"absent.edf", "No such file or directory"}};
  for (const Row& r : rows) {
    const QString err = Refusal(Path(QString::fromLatin1(r.name)));
    EXPECT_TRUE(err.contains(QString::fromLatin1(r.message))) << r.name << ": " << err.toStdString();
  }
}

TEST_F(Scratch, WritersRefuseWithoutLeavingFiles) {
  const test::RecordBuilder b;  // no recording date: a DICOM object cannot be made
  const auto dicom = WriteRecordAs(b.Image(), FormatKind::Dicom, Path("x.dcm"));
  ASSERT_TRUE(dicom);
  EXPECT_TRUE(dicom->reason.contains(QStringLiteral("no valid recording date and time")));
  // A WFDB record name must be one WFDB can name.
  const auto wfdb = WriteRecordAs(b.Image(), FormatKind::Wfdb, Path("a b.hea"));
  ASSERT_TRUE(wfdb);
  EXPECT_TRUE(wfdb->reason.contains(QStringLiteral("not a WFDB record name")));
  // Existing files are kept when overwriting is off, for every format.
  for (auto [format, name] :
       {std::pair{FormatKind::Edf, "e.edf"}, {FormatKind::Csv, "c.csv"}, {FormatKind::Wfdb, "w.hea"}}) {
    const QString path = Path(QString::fromLatin1(name));
    Write(QString::fromLatin1(name), "keep");
    OutputPolicy keep;
    keep.overwrite = false;
    const auto err = WriteRecordAs(b.Image(), format, path, keep);
    ASSERT_TRUE(err) << name;
    EXPECT_TRUE(err->reason.contains(QStringLiteral("already exists"))) << name;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep")) << name;
  }
  // A WFDB .hea target that is a FIFO: refused, and the .dat is not left behind.
  Fifo("p.hea");
  ASSERT_TRUE(WriteRecordAs(b.Image(), FormatKind::Wfdb, Path("p.hea")));
  EXPECT_FALSE(QFile::exists(Path("p.dat")));
  // Nothing but what the test made is in the directory: no temporary files.
  const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
  EXPECT_EQ(left, (QStringList{"c.csv", "e.edf", "p.hea", "w.hea"}));
}

}  // namespace
}  // namespace corvale::formats
