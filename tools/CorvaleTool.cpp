// corvale-tool: the viewer's core from the command line. Each subcommand lives
// in its own file; this one only picks it.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ProgramInfo.h"
#include "cli/Cli.h"
#include "record/NativePath.h"

namespace {

using corvale::cli::Command;

const Command* const kCommands[] = {&corvale::cli::InfoCommand, &corvale::cli::ImportCommand,
                                    &corvale::cli::RenderCommand, &corvale::cli::PrintCommand,
                                    &corvale::cli::ExportCommand};

void PrintUsage(std::FILE* to) {
  std::fputs("usage:\n", to);
  for (const Command* c : kCommands) std::fputs(c->usage, to);
  for (const Command* c : kCommands) {
    std::fputs("\n", to);
    std::fputs(c->about, to);
  }
}

// `help NAME`: that subcommand's usage and what it does.
int PrintCommandHelp(const QString& name) {
  for (const Command* c : kCommands)
    if (name == QLatin1String(c->name)) {
      std::fputs("usage:\n", stdout);
      std::fputs(c->usage, stdout);
      std::fputs("\n", stdout);
      std::fputs(c->about, stdout);
      return 0;
    }
  corvale::cli::Err(QStringLiteral("unknown command %1").arg(name));
  PrintUsage(stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  corvale::cli::PrepareProcess();
  // Drawing needs a GUI application; it never opens a window.
  const bool draws = argc > 1 && (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "print") == 0 ||
                                  std::strcmp(argv[1], "export") == 0);
  if (draws && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app =
      draws ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  // A file name the system's encoding cannot spell keeps its bytes.
  QStringList args = corvale::ShownArguments(argc, argv, QCoreApplication::arguments()).mid(1);
  if (args.isEmpty()) {
    PrintUsage(stderr);
    return 2;
  }
  const QString name = args.takeFirst();
  for (const Command* c : kCommands)
    if (name == QLatin1String(c->name)) return c->run(args);
  if (name == u"help" && args.size() == 1) return PrintCommandHelp(args.first());
  if (name == u"--help" || name == u"-h" || name == u"help") {
    PrintUsage(stdout);
    return 0;
  }
  if (name == u"--version") {
    std::printf("corvale-tool %s\n", corvale::ProgramVersion);
    return 0;
  }
  corvale::cli::Err(QStringLiteral("unknown command %1").arg(name));
  PrintUsage(stderr);
  return 2;
}
