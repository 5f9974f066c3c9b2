// What the viewer is asked to open at start: `corvale [DIR | FILE...]`. Two
// pure steps, both without a window: the arguments into paths (or an error),
// then the paths, looked up in the file system, into a start request with a
// user-facing text for every path that cannot be opened.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/Language.h"

namespace corvale {

/// The viewer's arguments after the toolkit has taken its own options out.
struct ParsedCommandLine {
  QStringList paths;                 // in the order given
  std::optional<Language> language;  // --lang, when given (also when a later argument is refused)
  QString error;                     // not empty: the command line is refused with this text
};

/// Reads the arguments (the program's name first). "--" ends the options, so
/// a file whose name starts with "-" can be named after it; -h, --help, -v and
/// --version are answered before the window and are skipped here; --lang ja|en
/// (or --lang=ja|en) chooses the language, the last one given counting; any
/// other option, and --lang without one of those values, is an error.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

/// What the window opens at start.
struct StartRequest {
  enum class Kind {
    Default,    // the remembered directory, the installed samples, or the current directory
    Directory,  // one directory, read as if chosen in the tree
    Files,      // record files: the work list, analysed, the first one shown
  } kind = Kind::Default;
  QString directory;     // Directory: absolute and clean
  QStringList files;     // Files: absolute and clean, in the order given
  QStringList problems;  // one text per path that cannot be opened
};

/// Looks the paths up, relative ones from `workingDirectory`. One directory
/// alone is opened; otherwise every regular file is taken in order, and a
/// missing path, a directory among several paths or a special file is
/// reported and left out. With nothing left to open the request is Default.
StartRequest ResolveStartPaths(const QStringList& paths, const QString& workingDirectory);

/// The directory read when the command line names nothing: the one read last
/// time while it is still a directory, else the installed sample records when
/// there are any, else none (the current directory is shown, unread).
QString DefaultStartDirectory(const QString& remembered, const QString& installedSamples);

}  // namespace corvale
