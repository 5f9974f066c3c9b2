// The viewer's entry point. --help and --version are answered before any
// window exists, so they work without a display; then the window starts with
// the remembered settings and opens what the command line names.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "ProgramInfo.h"
#include "app/CommandLine.h"
#include "app/Language.h"
#include "app/RecordFiles.h"
#include "app/SdiAppForm.h"
#include "gfx/Fonts.h"
#include "record/NativePath.h"

namespace {

// The exit status when the command line asks only for help or the version.
// Everything else (the toolkit's own options such as -platform, and the
// paths to open) is left for the window.
std::optional<int> AnswerInformationOptions(int argc, char** argv) {
  QCoreApplication core(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("corvale"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(corvale::ProgramVersion));
  QCommandLineParser parser;
  // "-reverse" or "-style" are the toolkit's, not clusters of -v and -h.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(
      QStringLiteral("View, measure and print resting 12-lead ECG records (.nrm, .msd).\n\n"
                     "With a directory, its records are listed as if it were chosen on the File tab.\n"
                     "With record files, they go to the work list and the ECG tab shows the first.\n"
                     "With neither, the directory read last time is listed (the installed sample\n"
                     "records on the first start). Settings are remembered between runs."));
  // Not addHelpOption(): its --help-all would promise the toolkit's options too.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  parser.addOption({QStringLiteral("lang"),
                    QStringLiteral("The interface's language: ja (Japanese) or en (English). Without it "
                                   "the locale chooses: Japanese for a Japanese locale, English otherwise."),
                    QStringLiteral("ja|en")});
  parser.addPositionalArgument(QStringLiteral("DIR | FILE..."),
                               QStringLiteral("A directory of records, or record files to view."),
                               QStringLiteral("[DIR | FILE...]"));
  parser.parse(QCoreApplication::arguments());  // unknown options are not ours to refuse here
  if (parser.isSet(help)) {
    std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("corvale %s\n", corvale::ProgramVersion);
    return 0;
  }
  return std::nullopt;
}

// The sample records an installation carries, if any.
QString InstalledSamples() {
  return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("corvale/samples"),
                                QStandardPaths::LocateDirectory);
}

// CORVALE_EXIT_AFTER_FIRST_PAINT=1 ends the program right after the main view
// was first painted with a record on it, so that a benchmark can time the
// start to the first ECG on the screen from outside. It ends at once, with
// status 0: no teardown, and no settings written.
class ExitAfterFirstPaint : public QObject {
 public:
  explicit ExitAfterFirstPaint(corvale::TSDIAppForm& window) : QObject(&window), window_(window) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The filter sees the paint before the view handles it; the exit is
    // queued behind it and behind the picture's way to the screen.
    if (event->type() == QEvent::Paint && window_.State().shown) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, qApp, [] {
        std::fflush(stdout);
        std::_Exit(0);
      });
    }
    return false;
  }

 private:
  corvale::TSDIAppForm& window_;
};

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> status = AnswerInformationOptions(argc, argv)) return *status;
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("corvale"));
  QApplication::setApplicationName(QStringLiteral("CORVALE"));
  QApplication::setApplicationVersion(QString::fromLatin1(corvale::ProgramVersion));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(corvale::ProgramDesktopId));
  // The toolkit has taken its own options out of the arguments by now.
  // A file name the system's encoding cannot spell keeps its bytes.
  const QStringList arguments = corvale::ShownArguments(argc, argv, QCoreApplication::arguments());
  corvale::ParsedCommandLine command = corvale::ParseCommandLine(arguments);
  corvale::InterfaceLanguage language;
  if (!language.Use(corvale::ChooseLanguage(command.language, corvale::SystemLanguageName())))
    std::fputs("corvale: the interface's translation is missing from this build\n", stderr);
  if (!command.error.isEmpty()) {
    // Read again, to tell the refusal in the language just chosen.
    command = corvale::ParseCommandLine(arguments);
    std::fprintf(stderr, "corvale: %s\n", command.error.toLocal8Bit().constData());
    return 2;
  }
  corvale::InstallFontSubstitutions();
  // Outlives the window, which writes to it when it closes.
  QString refusedSettings;
  const std::unique_ptr<QSettings> settings = corvale::OpenSettingsStore(&refusedSettings);
  if (!settings)
    std::fprintf(stderr, "corvale: %s is not a regular file; the settings are neither read nor saved\n",
                 QFile::encodeName(refusedSettings).constData());
  corvale::TSDIAppForm window;
  const corvale::ViewerSettings remembered = settings ? window.UseSettings(*settings) : corvale::ViewerSettings{};
  const QString startDirectory = corvale::DefaultStartDirectory(remembered.directory, InstalledSamples());
  // Named files are opened as File > Open opens them: a header and its signal
  // file are one record, and a file no format reads is told, not listed.
  const corvale::StartRequest request = corvale::OpenRequest(command.paths, QDir::currentPath());
  if (qEnvironmentVariableIntValue("CORVALE_EXIT_AFTER_FIRST_PAINT") == 1) {
    if (QWidget* view = window.findChild<QWidget*>(QStringLiteral("PaintBox1")))
      view->installEventFilter(new ExitAfterFirstPaint(window));
  }
  // Opened before the window shows, so that its first picture is the record.
  window.OpenAtStart(request, startDirectory);
  window.show();
  return app.exec();
}
