// What both programs answer on their own: help and version, and the viewer
// doing so before any window exists (no display is reachable here).
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include <sys/stat.h>

namespace {

enum class Program { Viewer, Tool };

struct Case {
  const char* name;
  Program program;
  QStringList args;
  int exitCode;          // -1: the program must not end normally with status 0
  QString out;           // the whole standard output, when not empty
  QStringList outHas;    // pieces standard output must hold
  QStringList outLacks;  // pieces it must not hold
  QString errHas;        // a piece standard error must hold
};

// Test names in CTest and failure messages show the case, not its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

struct Outcome {
  QProcess::ExitStatus status;
  int exitCode;
  QString out, err;
};

Outcome Start(Program program, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // A window would need a display: none is reachable, and X is asked for.
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  p.setProcessEnvironment(env);
  p.start(QString::fromUtf8(program == Program::Viewer ? CORVALE_VIEWER_PATH : CORVALE_TOOL_PATH), args);
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << "did not finish";
  }
  return {p.exitStatus(), p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

const QString kVersion = QStringLiteral(CORVALE_VERSION);
const QString kViewerVersion = QStringLiteral("corvale %1\n").arg(kVersion);
const QString kToolVersion = QStringLiteral("corvale-tool %1\n").arg(kVersion);
const QStringList kToolUsages = {"corvale-tool info FILE", "corvale-tool import RECORD", "corvale-tool render FILE",
                                 "corvale-tool print FILE"};
// A toolkit that got as far as opening a window reports its platform plugin.
const QString kReachedWindow = QStringLiteral("platform plugin");

class CommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLine, Answers) {
  const Case& c = GetParam();
  const Outcome r = Start(c.program, c.args);
  if (c.exitCode >= 0) {
    EXPECT_EQ(r.status, QProcess::NormalExit) << r.err.toStdString();
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
  } else {
    EXPECT_FALSE(r.status == QProcess::NormalExit && r.exitCode == 0);
  }
  if (!c.out.isEmpty()) {
    EXPECT_EQ(r.out, c.out);
  }
  for (const QString& piece : c.outHas)
    EXPECT_TRUE(r.out.contains(piece)) << piece.toStdString() << " in\n" << r.out.toStdString();
  for (const QString& piece : c.outLacks) EXPECT_FALSE(r.out.contains(piece)) << piece.toStdString();
  if (!c.errHas.isEmpty()) {
    EXPECT_TRUE(r.err.contains(c.errHas)) << r.err.toStdString();
  }
}

// `help NAME` shows that subcommand's usage and paragraph, and no other's.
Case HelpFor(const char* name, int index, const char* about) {
  Case c{name, Program::Tool, {"help", QString::fromLatin1(name).section(u'_', 1)}, 0, {}, {}, kToolUsages, {}};
  c.outHas = {"usage:\n", c.outLacks.takeAt(index), about};
  return c;
}

// One row per case reads better than one field per line.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Programs, CommandLine,
    ::testing::Values(
        Case{"viewer_version", Program::Viewer, {"--version"}, 0, kViewerVersion, {}, {}, {}},
        Case{"viewer_v", Program::Viewer, {"-v"}, 0, kViewerVersion, {}, {}, {}},
        Case{"viewer_help", Program::Viewer, {"--help"}, 0, {}, {"Usage:", "-h, --help", "-v, --version", "12-lead",
             "[DIR | FILE...]"}, {"help-all"}, {}},
        Case{"viewer_h_beside_toolkit_option", Program::Viewer, {"-platform", "offscreen", "-h"}, 0, {}, {"Usage:"}, {},
             {}},
        Case{"viewer_help_before_version", Program::Viewer, {"--version", "--help"}, 0, {}, {"Usage:"}, {kViewerVersion},
             {}},
        // A toolkit option spelled with one dash is not a cluster holding -v.
        Case{"viewer_reverse_goes_to_toolkit", Program::Viewer, {"-reverse"}, -1, {}, {}, {"corvale "}, kReachedWindow},
        Case{"viewer_unknown_option_goes_to_toolkit", Program::Viewer, {"--no-such-option"}, -1, {}, {}, {},
             kReachedWindow},
        Case{"tool_version", Program::Tool, {"--version"}, 0, kToolVersion, {}, {}, {}},
        HelpFor("help_info", 0, "info prints"), HelpFor("help_import", 1, "import reads"),
        HelpFor("help_render", 2, "render writes"), HelpFor("help_print", 3, "print draws"),
        Case{"tool_help", Program::Tool, {"help"}, 0, {}, kToolUsages, {}, {}},
        Case{"tool_dash_dash_help", Program::Tool, {"--help"}, 0, {}, kToolUsages, {}, {}},
        Case{"tool_help_unknown", Program::Tool, {"help", "export-all"}, 2, {}, {}, {"usage:"},
             "unknown command export-all"},
        Case{"tool_nothing", Program::Tool, {}, 2, {}, {}, {"usage:"}, "usage:"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
// clang-format on

// The viewer itself on a display of its own (offscreen), with settings in a
// scratch place: a sample shown at once, and an option it does not know.
struct Started {
  int exitCode;
  QString err;
  bool settingsWritten;
};

Started StartViewer(const QStringList& args, bool exitAfterFirstPaint,
                    const std::function<void(const QString& config)>& prepareConfig = {}) {
  QTemporaryDir config;
  if (prepareConfig) prepareConfig(config.path());
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  if (exitAfterFirstPaint) env.insert(QStringLiteral("CORVALE_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
  p.setProcessEnvironment(env);
  p.start(QString::fromUtf8(CORVALE_VIEWER_PATH), args);
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    ADD_FAILURE() << "did not finish";
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError()),
          !QDir(config.path()).isEmpty()};
}

TEST(Viewer, ShowsARecordNamedOnTheCommandLineAndEnds) {
  const Started r = StartViewer({QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm")}, true);
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_FALSE(r.settingsWritten) << "the timing exit writes nothing";
}

TEST(Viewer, SettingsThatAreNoFileDoNotHoldTheStart) {
  // Each a place of a settings file; the viewer must reach its first picture,
  // not wait on the FIFO for a writer.
  const char* const places[] = {"corvale/CORVALE.conf", "corvale.conf"};
  for (const char* place : places) {
    for (const bool link : {false, true}) {
      const Started r =
          StartViewer({QStringLiteral(CORVALE_SOURCE_DIR "/samples/A0001.nrm")}, true, [&](const QString& config) {
            QDir().mkpath(config + "/corvale");
            const QString fifo = config + "/fifo";
            ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            const QString file = config + "/" + place;
            if (link) ASSERT_TRUE(QFile::link(fifo, file));
            else ASSERT_EQ(::rename(QFile::encodeName(fifo).constData(), QFile::encodeName(file).constData()), 0);
          });
      EXPECT_EQ(r.exitCode, 0) << place << link << r.err.toStdString();
      EXPECT_TRUE(r.err.contains(QStringLiteral("is not a regular file"))) << place << r.err.toStdString();
    }
  }
}

TEST(Viewer, RefusesAnOptionItDoesNotKnow) {
  const Started r = StartViewer({QStringLiteral("--bogus"), QStringLiteral(CORVALE_SOURCE_DIR "/samples")}, true);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("unknown option --bogus"))) << r.err.toStdString();
}

}  // namespace
