#include "app/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "record/NativePath.h"

namespace corvale {
namespace {

// What a path names, looked up by its bytes (a Shift-JIS name included).
enum class Kind { Missing, DanglingLink, Directory, File, Other };
Kind KindOf(const QByteArray& native) {
  struct stat st {};
  if (::stat(native.constData(), &st) == 0)
    return S_ISDIR(st.st_mode) ? Kind::Directory : S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
  if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) return Kind::DanglingLink;
  return Kind::Missing;
}

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
  if (paths.size() == 1 && KindOf(NativePath(absolute(paths[0]))) == Kind::Directory) {
    // Listing needs read and search permission.
    if (::access(NativePath(absolute(paths[0])).constData(), R_OK | X_OK) != 0) {
      request.problems << Texts::tr("%1: the directory cannot be read.").arg(paths[0]);
      return request;
    }
    request.kind = StartRequest::Kind::Directory;
    request.directory = absolute(paths[0]);
    return request;
  }
  for (const QString& p : paths) {
    const QString path = absolute(p);
    switch (KindOf(NativePath(path))) {
      case Kind::Missing: request.problems << Texts::tr("%1: no such file or directory.").arg(p); break;
      case Kind::DanglingLink: request.problems << Texts::tr("%1: the link points to nothing.").arg(p); break;
      case Kind::Directory:
        request.problems << Texts::tr("%1 is a directory: name one directory alone, or record files.").arg(p);
        break;
      case Kind::Other: request.problems << Texts::tr("%1 is not a regular file.").arg(p); break;
      case Kind::File: request.files << path; break;
    }
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
