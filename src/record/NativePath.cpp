#include "record/NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "record/RecordName.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace corvale {
namespace {

bool IsAscii(QStringView text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x80) return false;
  return true;
}

#ifdef Q_OS_UNIX
bool Stat(const QString& path, struct stat& st) { return ::stat(NativePath(path).constData(), &st) == 0; }

bool Exists(const QByteArray& native) {
  struct stat st {};
  return ::lstat(native.constData(), &st) == 0;
}

// The one entry of `directory` shown as `name`, or nothing.
QByteArray EntryShownAs(const QByteArray& directory, const QString& name) {
  DIR* dir = ::opendir(directory.isEmpty() ? "." : directory.constData());
  if (!dir) return {};
  QByteArray found;
  int matches = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray bytes(entry->d_name);
    // Only names the system's encoding cannot spell differ from their encoding.
    if (QFile::encodeName(QFile::decodeName(bytes)) == bytes) continue;
    if (ShownFileName(bytes) == name) {
      found = bytes;
      ++matches;
    }
  }
  ::closedir(dir);
  return matches == 1 ? found : QByteArray();
}
#endif

}  // namespace

QString ShownPath(const QByteArray& native) {
  const QList<QByteArray> names = native.split('/');
  QStringList shown;
  shown.reserve(names.size());
  for (const QByteArray& name : names) shown << ShownFileName(name);
  return shown.join(u'/');
}

QByteArray NativePath(const QString& path) {
  QByteArray encoded = QFile::encodeName(path);
#ifdef Q_OS_UNIX
  if (IsAscii(path) || Exists(encoded)) return encoded;
  // Name by name: a directory of the path may be the one spelled otherwise.
  const QStringList names = path.split(u'/');
  QByteArray native;
  for (qsizetype i = 0; i < names.size(); ++i) {
    const QString& name = names[i];
    const QByteArray directory = native;
    if (i > 0) native += '/';
    QByteArray bytes = QFile::encodeName(name);
    if (!name.isEmpty() && !IsAscii(name) && !Exists(native + bytes)) {
      const QByteArray found = EntryShownAs(directory.isEmpty() && i > 0 ? QByteArray("/") : directory, name);
      if (!found.isEmpty()) bytes = found;
    }
    native += bytes;
  }
  return native;
#else
  return encoded;
#endif
}

QByteArray NativeOutputPath(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  if (slash < 0) return QFile::encodeName(path);
  return NativePath(path.left(slash)) + QFile::encodeName(path.mid(slash));
}

#ifdef Q_OS_UNIX
bool PathExists(const QString& path) {
  struct stat st {};
  return Stat(path, st);
}
bool IsRegularFile(const QString& path) {
  struct stat st {};
  return Stat(path, st) && S_ISREG(st.st_mode);
}
bool IsDirectory(const QString& path) {
  struct stat st {};
  return Stat(path, st) && S_ISDIR(st.st_mode);
}
#else
bool PathExists(const QString& path) { return QFileInfo::exists(path); }
bool IsRegularFile(const QString& path) { return QFileInfo(path).isFile(); }
bool IsDirectory(const QString& path) { return QFileInfo(path).isDir(); }
#endif

QStringList ShownArguments(int argc, const char* const* argv, const QStringList& decoded) {
  // Decoded text -> the bytes it came from; empty when two byte strings share it.
  QHash<QString, QByteArray> spelled;
  for (int i = 1; i < argc; ++i) {
    const QByteArray bytes(argv[i]);
    const QString text = QFile::decodeName(bytes);
    if (QFile::encodeName(text) == bytes) continue;
    const auto known = spelled.constFind(text);
    if (known == spelled.cend()) spelled.insert(text, bytes);
    else if (*known != bytes) spelled[text] = QByteArray();
  }
  QStringList shown = decoded;
  for (QString& argument : shown) {
    const QByteArray bytes = spelled.value(argument);
    if (!bytes.isEmpty()) argument = ShownPath(bytes);
  }
  return shown;
}

}  // namespace corvale
