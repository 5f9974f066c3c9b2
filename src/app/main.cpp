// The viewer's entry point: no saved state. --help and --version are answered
// before any window exists, so they work without a display.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <optional>

#include "ProgramInfo.h"
#include "app/SdiAppForm.h"
#include "gfx/Fonts.h"

namespace {

// The exit status when the command line asks only for help or the version.
// Everything else (the toolkit's own options such as -platform, and what later
// versions take) is left for the window.
std::optional<int> AnswerInformationOptions(int argc, char** argv) {
  QCoreApplication core(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("corvale"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(corvale::ProgramVersion));
  QCommandLineParser parser;
  // "-reverse" or "-style" are the toolkit's, not clusters of -v and -h.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(QStringLiteral("View, measure and print resting 12-lead ECG records (.nrm, .msd)."));
  // Not addHelpOption(): its --help-all would promise the toolkit's options too.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  parser.parse(QCoreApplication::arguments());  // unknown options are not ours to refuse
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

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> status = AnswerInformationOptions(argc, argv)) return *status;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("CORVALE"));
  QApplication::setApplicationVersion(QString::fromLatin1(corvale::ProgramVersion));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(corvale::ProgramDesktopId));
  corvale::InstallFontSubstitutions();
  corvale::TSDIAppForm window;
  window.show();
  return app.exec();
}
