#include "app/CommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace corvale {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("CommandLine", text); }

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
  ParsedCommandLine out;
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
      out.error = Tr("unknown option %1 (corvale --help lists the options)").arg(a);
      out.paths.clear();
      return out;
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
      request.problems << Tr("%1: the directory cannot be read.").arg(paths[0]);
      return request;
    }
    request.kind = StartRequest::Kind::Directory;
    request.directory = absolute(paths[0]);
    return request;
  }
  for (const QString& p : paths) {
    const QFileInfo info(absolute(p));
    if (!info.exists() && !info.isSymLink())
      request.problems << Tr("%1: no such file or directory.").arg(p);
    else if (!info.exists())
      request.problems << Tr("%1: the link points to nothing.").arg(p);
    else if (info.isDir())
      request.problems << Tr("%1 is a directory: name one directory alone, or record files.").arg(p);
    else if (!info.isFile())
      request.problems << Tr("%1 is not a regular file.").arg(p);
    else
      request.files << info.absoluteFilePath();
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
