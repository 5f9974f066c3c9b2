#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvale {
namespace {

// The texts' context in the translations.
class Texts {
  Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
  ParsedCommandLine out;
  auto refuse = [&out](const QString& error) {
    out.error = error;
    out.paths.clear();
    return out;
  };
  bool options = true;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (options && a == QLatin1String("--")) {
      options = false;
      continue;
    }
    // "-" alone is a name, not an option.
    if (options && a.size() > 1 && a.startsWith(u'-')) {
      static const QStringList answered = {QStringLiteral("-h"), QStringLiteral("--help"), QStringLiteral("-v"),
                                           QStringLiteral("--version")};
      if (answered.contains(a)) continue;
      const QLatin1String lang("--lang"), langIs("--lang=");
      if (a == lang || a.startsWith(langIs)) {
        if (a == lang && i + 1 == arguments.size()) return refuse(Texts::tr("--lang needs a language: ja or en"));
        const QString value = a == lang ? arguments[++i] : a.sliced(langIs.size());
        out.language = LanguageFromName(value);
        if (!out.language) return refuse(Texts::tr("--lang takes ja or en, not \"%1\"").arg(value));
        continue;
      }
      return refuse(Texts::tr("unknown option %1 (corvale --help lists the options)").arg(a));
    }
    out.paths << a;
  }
  return out;
}

StartRequest ResolveStartPaths(const QStringList& paths, const QString& workingDirectory) {
  StartRequest request;
  const QDir base(workingDirectory);
  auto absolute = [&](const QString& p) { return QDir::cleanPath(base.absoluteFilePath(p)); };
  if (paths.size() == 1 && QFileInfo(absolute(paths[0])).isDir()) {
    const QFileInfo info(absolute(paths[0]));
    // Listing needs read and search permission.
    if (!info.isReadable() || !info.isExecutable()) {
      request.problems << Texts::tr("%1: the directory cannot be read.").arg(paths[0]);
      return request;
    }
    request.kind = StartRequest::Kind::Directory;
    request.directory = absolute(paths[0]);
    return request;
  }
  for (const QString& p : paths) {
    const QFileInfo info(absolute(p));
    if (!info.exists() && !info.isSymLink()) request.problems << Texts::tr("%1: no such file or directory.").arg(p);
    else if (!info.exists()) request.problems << Texts::tr("%1: the link points to nothing.").arg(p);
    else if (info.isDir())
      request.problems << Texts::tr("%1 is a directory: name one directory alone, or record files.").arg(p);
    else if (!info.isFile()) request.problems << Texts::tr("%1 is not a regular file.").arg(p);
    else request.files << info.absoluteFilePath();
  }
  if (!request.files.isEmpty()) request.kind = StartRequest::Kind::Files;
  return request;
}

QString DefaultStartDirectory(const QString& remembered, const QString& installedSamples) {
  for (const QString& candidate : {remembered, installedSamples})
    if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) return candidate;
  return {};
}

}  // namespace corvale
