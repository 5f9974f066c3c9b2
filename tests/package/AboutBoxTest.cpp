// The About dialog: the designed panel stays as drawn, the version comes from
// the project, and the details name the licence and every sample record's
// source and licence.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "app/AboutBox.h"
#include "support/RecordBuilder.h"

using namespace corvale;

namespace {

QString ReadSource(const QString& relative) {
  QFile f(test::SourcePath(relative));
  if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(f.fileName()));
  return QString::fromUtf8(f.readAll());
}

// The licence column of the sample records' table, by file name.
QMap<QString, QString> SampleLicences() {
  QMap<QString, QString> licences;
  static const QRegularExpression row(QStringLiteral(R"(^\| *(\S+\.(?:nrm|msd)) *\|.*\| *([^|]+?) *\|$)"),
                                      QRegularExpression::MultilineOption);
  auto it = row.globalMatch(ReadSource(QStringLiteral("samples/README.md")));
  while (it.hasNext()) {
    const auto m = it.next();
    licences.insert(m.captured(1), m.captured(2));
  }
  return licences;
}

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TAboutBox> about;

  template <class T>
  T* Get(const char* name) {
    T* child = about->findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no control %s", name);
    return child;
  }
  QString DetailsPlainText() { return Get<QTextBrowser>("Details")->toPlainText(); }

 private Q_SLOTS:
  void init() {
    about = std::make_unique<TAboutBox>();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
  }
  void cleanup() { about.reset(); }

  void designedControlsStayWithDetails_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("details");
    const std::pair<const char*, QRect> designed[] = {
        {"Panel1", QRect(8, 8, 281, 161)},
        {"ProgramIcon", QRect(24, 16, 97, 89)},
        {"OKButton", QRect(120, 178, 65, 33)},
    };
    for (bool details : {false, true})
      for (const auto& [name, rect] : designed)
        QTest::addRow("%s%s", name, details ? " with details" : "") << QByteArray(name) << rect << details;
  }
  void designedControlsStayWithDetails() {
    QFETCH(QByteArray, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, details);
    if (details) QTest::mouseClick(Get<QPushButton>("DetailsButton"), Qt::LeftButton);
    QCOMPARE(about->DetailsShown(), details);
    QCOMPARE(Get<QWidget>(name.constData())->geometry(), geometry);
    QCOMPARE(Get<QLabel>("ProductName")->pos(), QPoint(136, 16));
    QCOMPARE(Get<QLabel>("Version")->pos(), QPoint(136, 40));
    QCOMPARE(Get<QLabel>("ProductName")->text(), QStringLiteral("CORVALE"));
    if (details) {
      QVERIFY(about->width() > 298 && about->height() > 218);
      const QRect shown = Get<QTextBrowser>("Details")->geometry();
      QVERIFY(shown.top() >= 218 && about->rect().contains(shown));
    } else {
      QCOMPARE(about->size(), QSize(298, 218));
    }
  }

  void versionAndLicenceFromTheProject() {
    auto* version = Get<QLabel>("Version");
    QCOMPARE(version->text(), QStringLiteral("Version : " CORVALE_VERSION));
    // The whole text shows inside the panel's frame, however wide the face.
    const QRect room = version->parentWidget()->contentsRect();
    QVERIFY2(version->geometry().right() <= room.right(), qPrintable(QString::number(version->geometry().right())));
    QVERIFY(version->fontMetrics().horizontalAdvance(version->text()) <= version->width());
    QCOMPARE(Get<QLabel>("Licence")->text(), QStringLiteral("Licence : " CORVALE_LICENSE));
  }

  void detailsToggleAndReopenDesigned() {
    auto* button = Get<QPushButton>("DetailsButton");
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(Get<QTextBrowser>("Details")->isVisible());
    const QSize open = about->size();
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!Get<QTextBrowser>("Details")->isVisible());
    QCOMPARE(about->size(), QSize(298, 218));
    // Closed with the details open, the next opening is the designed dialog again.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(about->size(), open);
    about->hide();
    about->show();
    QVERIFY(!about->DetailsShown());
    QCOMPARE(about->size(), QSize(298, 218));
  }

  void okStaysTheDefaultWithDetailsOpen() {
    QTest::mouseClick(Get<QPushButton>("DetailsButton"), Qt::LeftButton);
    QTimer::singleShot(0, about.get(), [this] { QTest::keyClick(about.get(), Qt::Key_Return); });
    QCOMPARE(about->exec(), int(QDialog::Accepted));
  }

  void detailsNameEverySampleWithItsLicence_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("licence");
    const QMap<QString, QString> licences = SampleLicences();
    const QStringList files = QDir(test::SourcePath(QStringLiteral("samples")))
                                  .entryList({QStringLiteral("*.nrm"), QStringLiteral("*.msd")}, QDir::Files);
    QVERIFY(!files.isEmpty());
    // Every record shipped has a row in the notes, with a licence.
    for (const QString& f : files) QTest::newRow(qPrintable(f)) << f << licences.value(f);
  }
  void detailsNameEverySampleWithItsLicence() {
    QFETCH(QString, file);
    QFETCH(QString, licence);
    QVERIFY2(!licence.isEmpty(), "no row with a licence in samples/README.md");
    const QString text = DetailsPlainText();
    QVERIFY(text.contains(file));
    QVERIFY(text.contains(licence));
  }

  void detailsCarryLicenceAndAttribution() {
    const QString text = DetailsPlainText();
    QVERIFY(text.contains(QStringLiteral(CORVALE_VERSION)));
    QVERIFY(text.contains(QStringLiteral(CORVALE_LICENSE)));
    QFile licence(QStringLiteral(CORVALE_LICENSE_FILE));
    QVERIFY(licence.open(QIODevice::ReadOnly));
    const QString firstLine = QString::fromUtf8(licence.readLine()).trimmed();
    QVERIFY(!firstLine.isEmpty());
    QVERIFY(text.contains(firstLine));
    // Every source the notes cite can be followed from the dialog.
    static const QRegularExpression url(QStringLiteral(R"(https://[^\s)]+[^\s).,])"));
    auto it = url.globalMatch(ReadSource(QStringLiteral("samples/README.md")));
    int urls = 0;
    for (; it.hasNext(); ++urls) {
      const QString u = it.next().captured(0);
      QVERIFY2(text.contains(u), qPrintable(u));
    }
    QVERIFY(urls >= 4);
  }

  void detailsAreRenderedNotMarkup() {
    const QString text = DetailsPlainText();
    for (const char* markup : {"|---|", "###", "**", "](http"}) QVERIFY2(!text.contains(QLatin1String(markup)), markup);
  }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
