// Open, export and drop in the window, with the file dialogs replaced: foreign
// records shown as the formats layer reads them, each export format read
// back, "delete ID", refusals, and drops of directories, files and nothing.
#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>

#include "WindowFixture.h"
#include "app/CommandLine.h"
#include "app/RecordFiles.h"
#include "app/Settings.h"
#include "formats/CsvFormat.h"
#include "formats/Formats.h"
#include "record/NativePath.h"
#include "record/RecordName.h"

using namespace corvale;
using namespace corvale::test;

namespace {

// A record with every lead moving and the identification filled in.
RecordBuilder Patient(int n) {
  RecordBuilder b = Numbered(n);
  b.Set(Field::PatientName, "DOE JOHN").Set(Field::Age, "047").Set(Field::AgeUnit, "0");
  b.Set(Field::RecordingYearHigh, "20").Set(Field::RecordingDate, "030514").Set(Field::RecordingTime, "094107");
  for (int lead = 1; lead < LeadCount; ++lead)
    b.Lead(lead, [lead, n](int s) { return static_cast<std::int16_t>((s % 250) * (lead + n) - 700); });
  return b;
}

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<RecordImage> ReadBack(const QString& path) {
  auto read = formats::ReadAnyRecord(path);
  if (auto* error = std::get_if<FileError>(&read)) {
    qWarning("%s", qPrintable(error->Describe()));
    return nullptr;
  }
  return std::move(std::get<formats::OpenedRecord>(read).image);
}

QByteArray FieldBytes(const RecordImage& image, const FieldLayout& field) {
  return QByteArray(reinterpret_cast<const char*>(image.bytes.data() + field.offset),
                    static_cast<qsizetype>(field.length));
}

bool AllZero(const RecordImage& image) {
  return std::all_of(image.bytes.begin(), image.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

}  // namespace

class RecordFilesTest : public WindowFixture {
  Q_OBJECT

  int exportDialogs = 0;
  std::optional<ExportTarget> exportTo;  // what the save dialog answers

  int CurrentTab() const { return Get<QTabWidget>("PageControl1")->currentIndex(); }
  void OpenWithDialog(const QStringList& paths) {
    w->Files().chooseOpenFiles = [paths](const QString&) { return paths; };
    Get<QAction>("FileOpen1")->trigger();
  }
  void Export(const QString& path, formats::FormatKind format) {
    exportTo = ExportTarget{path, format};
    Get<QAction>("FileExport1")->trigger();
  }
  /// The drag enters, then drops; the window opens the paths once the drop is done.
  void Drop(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    DropUrls(urls);
  }
  void DropUrls(const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(600, 400), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(600, 400), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &drop);
    QVERIFY(drop.isAccepted());
    QTest::qWait(20);
  }
  /// The shown record and its lead arrays are those the formats layer reads from `path`.
  void ExpectShownAsRead(const QString& path) {
    const auto expected = ReadBack(path);
    QVERIFY(expected);
    QVERIFY(w->State().record.bytes == expected->bytes);
    auto leads = std::make_unique<LeadArrays>();
    DeriveLeadArrays(*expected, *leads);
    QVERIFY(w->State().leads.LeadSamples == leads->LeadSamples);
    const QString name = QFileInfo(path).fileName();
    QCOMPARE(Text("LabelFile"), name);
    QCOMPARE(w->windowTitle(), QFileInfo(path).absolutePath() + "/" + name);
  }

 private Q_SLOTS:
  void init() {
    Open();
    exportDialogs = 0;
    exportTo.reset();
    w->Files().chooseExportTarget = [this](const QString&) {
      ++exportDialogs;
      return exportTo;
    };
  }
  void cleanup() { Close(); }

  void openForeignRecords_data() {
    QTest::addColumn<QString>("file");  // "@" stands for the scratch directory
    QTest::newRow("WFDB from the shared data") << EcgDataPath("ptb-xl/00018_hr.hea");
    QTest::newRow("WFDB by its signal file") << EcgDataPath("ptb-xl/00079_hr.dat");
    QTest::newRow("WFDB .mat form") << EcgDataPath("georgia/E07514.hea");
    QTest::newRow("EDF+ written here") << "@/p.edf";
    QTest::newRow("DICOM written here") << "@/p.dcm";
  }
  void openForeignRecords() {
    QFETCH(QString, file);
    file.replace("@", tmp->path());
    const auto format = formats::ExportFormatNamed(file.endsWith(".edf") ? "edf" : "dicom")->kind;
    if (file.startsWith(tmp->path())) QVERIFY(!formats::WriteRecordAs(Patient(2).Image(), format, file));
    OpenWithDialog({file});
    const QString opened = file.endsWith(".dat") ? file.chopped(4) + ".hea" : file;
    QCOMPARE(w->State().study.work, QStringList{QFileInfo(opened).fileName()});
    QCOMPARE(CurrentTab(), 1);
    ExpectShownAsRead(opened);
    QVERIFY(messages.isEmpty());
    // The File tab lists only the directory's record files.
    for (const QString& found : w->State().study.found) QVERIFY(found.endsWith(".nrm") || found.endsWith(".msd"));
  }

  void openMixedAndStep() {
    Patient(3).Write(tmp->filePath("r3.nrm"));
    const QString edf = tmp->filePath("e.edf");
    QVERIFY(!formats::WriteRecordAs(Patient(5).Image(), formats::FormatKind::Edf, edf));
    OpenWithDialog({edf, tmp->filePath("r3.nrm")});
    QCOMPARE(w->State().study.work, QStringList({"e.edf", "r3.nrm"}));
    ExpectShownAsRead(edf);
    QCOMPARE(Text("Label12"), QStringLiteral("00000005"));
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QVERIFY(w->State().record.bytes == Patient(3).Image().bytes);
    QCOMPARE(Text("Label12"), QStringLiteral("00000003"));
  }

  void unreadableForeignFileLeavesNothingOfAnother_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("EDF header cut short") << "bad.edf" << QByteArray("0       ").append(300, 'x');
    QTest::newRow("WFDB header without its signal file") << "lost.hea" << QByteArray("lost 12 500 5000\n");
    QTest::newRow("DICOM without a waveform") << "empty.dcm" << QByteArray(128, '\0').append("DICM").append(40, '\0');
  }
  void unreadableForeignFileLeavesNothingOfAnother() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    AnalyseNumbered(3);
    QCOMPARE(Text("Label12"), QStringLiteral("00000001"));
    const QString path = tmp->filePath(file);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    OpenWithDialog({path});
    QTRY_COMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains("cannot be read") && notices[0].contains(file), qPrintable(notices[0]));
    QCOMPARE(Text("LabelFile"), file);
    QVERIFY(Text("Label12") != QStringLiteral("00000001"));
    QVERIFY(AllZero(w->State().record));
    const auto& samples = w->State().leads.LeadSamples;
    QVERIFY(std::all_of(samples.begin(), samples.end(), [](double v) { return v == 0; }));
    // Nor can it be exported under that name.
    Export(tmp->filePath("out.csv"), formats::FormatKind::Csv);
    QCOMPARE(exportDialogs, 0);
    QVERIFY(!QFile::exists(tmp->filePath("out.csv")));
  }

  void exportEachFormat_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("deleteId");
    for (bool deleteId : {false, true}) {
      const char* id = deleteId ? " with delete ID" : "";
      QTest::addRow("WFDB%s", id) << int(formats::FormatKind::Wfdb) << "p.hea" << deleteId;
      QTest::addRow("EDF+%s", id) << int(formats::FormatKind::Edf) << "p.edf" << deleteId;
      QTest::addRow("DICOM%s", id) << int(formats::FormatKind::Dicom) << "p.dcm" << deleteId;
    }
    QTest::newRow("CSV") << int(formats::FormatKind::Csv) << "p.csv" << false;
    QTest::newRow("PNG") << int(formats::FormatKind::Png) << "p.png" << false;
    QTest::newRow("PDF") << int(formats::FormatKind::Pdf) << "p.pdf" << true;
  }
  void exportEachFormat() {
    QFETCH(int, format);
    QFETCH(QString, name);
    QFETCH(bool, deleteId);
    Patient(4).Write(tmp->filePath("p4.nrm"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    Get<QCheckBox>("CheckBoxID")->setChecked(deleteId);  // disabled in the layout; its state counts
    QVERIFY(QDir(tmp->path()).mkdir("out"));
    const QString path = tmp->filePath("out/" + name);
    Export(path, formats::FormatKind(format));
    QCOMPARE(exportDialogs, 1);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains("was exported"), qPrintable(messages[0]));
    // The record on the screen keeps its identification whatever was exported.
    QVERIFY(w->State().record.bytes == Patient(4).Image().bytes);

    switch (formats::FormatKind(format)) {
      case formats::FormatKind::Png: {
        QImage png(path);
        QVERIFY(!png.isNull());
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), w->TraceImage().Qt());
        break;
      }
      case formats::FormatKind::Pdf: {
        const QByteArray pdf = FileBytes(path);
        QVERIFY(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF"));
        QVERIFY(pdf.contains("/MediaBox [0 0 595.000000 842.0"));  // A4 portrait until a paper is chosen
        break;
      }
      case formats::FormatKind::Csv: QCOMPARE(FileBytes(path), formats::CsvText(Patient(4).Image())); break;
      default: {
        const auto back = ReadBack(path);
        QVERIFY(back);
        const RecordBuilder patient = Patient(4);
        const RecordImage& original = patient.Image();
        for (int lead = 0; lead < LeadCount; ++lead)
          for (int n = 0; n < SamplesPerLead; ++n) QCOMPARE(back->Sample(lead, n), original.Sample(lead, n));
        QCOMPARE(FieldBytes(*back, Field::PatientId),
                 deleteId ? QByteArray("00000000") : FieldBytes(original, Field::PatientId));
        QCOMPARE(FieldBytes(*back, Field::PatientName).startsWith("DOE JOHN"), !deleteId);
        QCOMPARE(FieldBytes(*back, Field::Age), QByteArray("047"));
      }
    }
    // Nothing but the export itself is left in the directory.
    QStringList expected{name};
    if (name.endsWith(".hea")) expected << "p.dat";
    QStringList left = QDir(tmp->filePath("out")).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
  }

  void exportPdfOnTheChosenPaper() {
    Patient(4).Write(tmp->filePath("p4.nrm"));
    OpenDirectory(tmp->path());
    AnalyseAll();
    ViewerSettings s = w->CurrentSettings();
    s.paper = QPageSize::Letter;
    s.orientation = QPageLayout::Landscape;
    w->ApplySettings(s);
    Export(tmp->filePath("page.pdf"), formats::FormatKind::Pdf);
    QVERIFY(FileBytes(tmp->filePath("page.pdf")).contains("/MediaBox [0 0 792.000000 612.0"));  // Letter, turned
  }

  void exportRefused_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("messageHas");
    QTest::newRow("nothing analysed") << "none"
                                      << "no record to export";
    QTest::newRow("unreadable record") << "unreadable"
                                       << "could not be read";
    QTest::newRow("work list changed") << "changed"
                                       << "has changed since";
  }
  void exportRefused() {
    QFETCH(QString, situation);
    QFETCH(QString, messageHas);
    if (situation == "unreadable") {
      Numbered(1).Write(tmp->filePath("short.nrm"), 100);
      OpenDirectory(tmp->path());
      AnalyseAll();
    } else if (situation == "changed") {
      AnalyseNumbered(2);
      Select(List(2), {0});
      Click("ButtonDelete");  // the record on the screen leaves the work list
    }
    messages.clear();
    notices.clear();
    Export(tmp->filePath("x.csv"), formats::FormatKind::Csv);
    QCOMPARE(exportDialogs, 0);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(messageHas), qPrintable(messages[0]));
    QVERIFY(!QFile::exists(tmp->filePath("x.csv")));
  }

  // The record's own files are never written over, nor a signal file the dialog did not name.
  void exportNeverOverwritesUnasked() {
    const QString source = tmp->filePath("rec.hea"), data = tmp->filePath("rec.dat");
    QVERIFY(!formats::WriteRecordAs(Patient(6).Image(), formats::FormatKind::Wfdb, source));
    const QByteArray sourceBytes = FileBytes(source), dataBytes = FileBytes(data);
    OpenWithDialog({source});
    QCOMPARE(Text("Label12"), QStringLiteral("00000006"));
    Get<QCheckBox>("CheckBoxID")->setChecked(true);

    Export(source, formats::FormatKind::Wfdb);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains("not exported"), qPrintable(messages[0]));
    QCOMPARE(FileBytes(source), sourceBytes);
    QCOMPARE(FileBytes(data), dataBytes);

    // other.dat exists, other.hea does not: the dialog asked about neither.
    const QByteArray stranger("someone else's signals");
    QFile f(tmp->filePath("other.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(stranger) == stranger.size());
    f.close();
    Export(tmp->filePath("other.hea"), formats::FormatKind::Wfdb);
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[1].contains("other.dat") && messages[1].contains("exists already"), qPrintable(messages[1]));
    QCOMPARE(FileBytes(tmp->filePath("other.dat")), stranger);
    QVERIFY(!QFile::exists(tmp->filePath("other.hea")));

    // With the header there too, the dialog's confirmation covers the pair.
    QVERIFY(QFile::copy(source, tmp->filePath("other.hea")));
    Export(tmp->filePath("other.hea"), formats::FormatKind::Wfdb);
    QVERIFY2(messages[2].contains("was exported"), qPrintable(messages[2]));
    const auto back = ReadBack(tmp->filePath("other.hea"));
    QVERIFY(back);
    QCOMPARE(FieldBytes(*back, Field::PatientId), QByteArray("00000000"));
    QCOMPARE(back->Sample(7, 321), Patient(6).Image().Sample(7, 321));
  }

  void dropDirectory() {
    QVERIFY(QDir(tmp->path()).mkdir("d"));
    Numbered(1).Write(tmp->filePath("d/b.nrm"));
    Numbered(2).Write(tmp->filePath("d/a.msd"));
    QVERIFY(!formats::WriteRecordAs(Patient(3).Image(), formats::FormatKind::Edf, tmp->filePath("d/c.edf")));
    Drop({tmp->filePath("d")});
    QTRY_COMPARE(w->State().study.directory, tmp->filePath("d"));
    QCOMPARE(w->State().study.found, QStringList({"b.nrm", "a.msd"}));
    QVERIFY(w->State().study.work.isEmpty());
    QCOMPARE(CurrentTab(), 0);
    QVERIFY(messages.isEmpty());
  }

  void dropFiles() {
    const QString hea = tmp->filePath("w.hea"), dat = tmp->filePath("w.dat");
    QVERIFY(!formats::WriteRecordAs(Patient(8).Image(), formats::FormatKind::Wfdb, hea));
    Numbered(2).Write(tmp->filePath("r2.nrm"));
    QFile notes(tmp->filePath("notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("hello\n") == 6);
    notes.close();
    Drop({dat, tmp->filePath("r2.nrm"), hea, tmp->filePath("notes.txt")});
    QTRY_COMPARE(w->State().study.work, QStringList({"w.hea", "r2.nrm"}));
    QCOMPARE(CurrentTab(), 1);
    ExpectShownAsRead(hea);
    QTRY_COMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains("notes.txt") && !notices[0].contains("w.dat"), qPrintable(notices[0]));
  }

  // Names in Shift-JIS bytes (a Windows medium on a UTF-8 system) open from
  // the command line and from a drop as they do from the File tab.
  void shiftJisNamesFromEveryDoor_data() {
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("edf");
    QTest::newRow("command line, record file") << false << QByteArray("\x90\x53\x93\x64.nrm") << false;
    QTest::newRow("command line, EDF+") << false << QByteArray("\x83\x5f.edf") << true;
    QTest::newRow("drop, record file") << true << QByteArray("\x90\x53\x93\x64.nrm") << false;
    QTest::newRow("drop, EDF+") << true << QByteArray("\x83\x5f.edf") << true;
  }
  void shiftJisNamesFromEveryDoor() {
    QFETCH(bool, dropped);
    QFETCH(QByteArray, name);
    QFETCH(bool, edf);
    QByteArray contents = Numbered(5).Bytes();
    if (edf) {
      QVERIFY(!formats::WriteRecordAs(Numbered(5).Image(), formats::FormatKind::Edf, tmp->filePath("x.edf")));
      QFile written(tmp->filePath("x.edf"));
      QVERIFY(written.open(QIODevice::ReadOnly));
      contents = written.readAll();
    }
    const QByteArray path = QFile::encodeName(tmp->path()) + '/' + name;
    const test::NativeFile file(path, contents);
    QVERIFY(file.Made());
    if (dropped) {
      // A file manager gives the name's bytes, percent-encoded.
      DropUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
    } else {
      const char* argv[] = {"corvale", path.constData()};
      const QStringList arguments = ShownArguments(2, argv, {"corvale", QFile::decodeName(path)});
      w->OpenAtStart(ResolveStartPaths(ParseCommandLine(arguments).paths, tmp->path()), {});
    }
    QTRY_COMPARE(w->State().study.work.size(), 1);
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
    QVERIFY(w->State().shown && !w->State().shown->error);
    QCOMPARE(Text("Label12"), QStringLiteral("00000005"));
    QCOMPARE(Text("LabelFile"), ShownFileName(name));
  }

  void dropOfNothingReadable() {
    AnalyseNumbered(2);
    const QString title = w->windowTitle();
    const QImage before = w->TraceImage().Qt().copy();
    QFile notes(tmp->filePath("notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("hello\n") == 6);
    notes.close();
    Drop({tmp->filePath("notes.txt")});
    QTRY_COMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains("does not read this kind of file"), qPrintable(notices[0]));
    QCOMPARE(w->State().study.work, QStringList({"r1.nrm", "r2.nrm"}));
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->TraceImage().Qt(), before);

    // A drag without files is not taken at all.
    QMimeData text;
    text.setText("r1.nrm");
    QDragEnterEvent enter(QPoint(600, 400), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &enter);
    QVERIFY(!enter.isAccepted());
  }
};

QTEST_MAIN(RecordFilesTest)
#include "RecordFilesTest.moc"
