#include "record/RecordName.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "record/Cp932.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace corvale {

bool IsRecordFileName(const QString& name, QLatin1String extension) {
  // Case is folded for ASCII letters only, as the record patterns are ASCII:
  // no Unicode folding makes "ſ" or "K" (Kelvin) stand for "s" or "k".
  if (name.size() < extension.size()) return false;
  const qsizetype start = name.size() - extension.size();
  for (qsizetype i = 0; i < extension.size(); ++i) {
    char16_t c = name[start + i].unicode();
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<unsigned char>(extension.data()[i])) return false;
  }
  return true;
}

bool IsRecordFileName(const QString& name) {
  for (const QLatin1String suffix : RecordFileSuffixes)
    if (name.size() > suffix.size() && name[name.size() - suffix.size() - 1] == u'.' && IsRecordFileName(name, suffix))
      return true;
  return false;
}

namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Case folding from the Unicode tables that Qt carries, never the locale's.
char32_t Folded(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'A' && u <= u'Z') return u - u'A' + u'a';
  if (u < 0x80) return u;
  return QChar::toCaseFolded(static_cast<char32_t>(u));
}

int Sign(qsizetype v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int NaturalCompare(QStringView a, QStringView b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      qsizetype endA = i, endB = j;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      // Leading zeros do not count: the longer run of significant digits is
      // the larger number, equal lengths compare digit by digit.
      qsizetype startA = i, startB = j;
      while (startA < endA - 1 && a[startA] == u'0') ++startA;
      while (startB < endB - 1 && b[startB] == u'0') ++startB;
      if (endA - startA != endB - startB) return Sign((endA - startA) - (endB - startB));
      for (qsizetype k = 0; k < endA - startA; ++k)
        if (a[startA + k] != b[startB + k]) return a[startA + k] < b[startB + k] ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    const char32_t ca = Folded(a[i]), cb = Folded(b[j]);
    if (ca != cb) return ca < cb ? -1 : 1;
    ++i;
    ++j;
  }
  return Sign((a.size() - i) - (b.size() - j));
}

}  // namespace

int CompareFileNames(QStringView a, QStringView b) {
  if (const int c = NaturalCompare(a, b)) return c;
  // "a01" and "a1", "A.nrm" and "a.nrm": a fixed order all the same.
  return Sign(QStringView(a).compare(b, Qt::CaseSensitive));
}

QString ShownFileName(const QByteArray& native) {
  QStringDecoder system(QStringDecoder::System, QStringDecoder::Flag::Stateless);
  QString inSystem = system(native);
  if (!system.hasError()) return inSystem;
  QString cp932 =
      DecodeCp932({reinterpret_cast<const std::uint8_t*>(native.constData()), static_cast<std::size_t>(native.size())});
  if (!cp932.contains(QChar(QChar::ReplacementCharacter))) return cp932;
  return inSystem;  // the system's decoding marks each invalid byte with U+FFFD
}

namespace {

// Which group a name belongs to: its suffix's place in RecordFileSuffixes, or -1.
// The extension is ASCII, so it is matched on the bytes: in Shift-JIS as in
// UTF-8 a '.' is never part of a multi-byte character.
int GroupOf(const char* name, std::size_t length) {
  if (length < 4 || name[length - 4] != '.') return -1;
  char ext[3];
  for (int k = 0; k < 3; ++k) {
    const char c = name[length - 3 + static_cast<std::size_t>(k)];
    ext[k] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  static_assert(std::size(RecordFileSuffixes) == 2);
  for (int group = 0; group < 2; ++group)
    if (RecordFileSuffixes[group].size() == 3 && std::memcmp(ext, RecordFileSuffixes[group].data(), 3) == 0)
      return group;
  return -1;
}

// Shown names must tell the files apart: names valid in the system's encoding
// are unique already and come first; a name decoded otherwise that shows like
// one taken is left out and counted.
void NameAndSort(std::vector<QByteArray> (&natives)[2], RecordDirectoryListing& out) {
  QSet<QString> taken;
  std::vector<RecordFileName> groups[2];
  std::vector<std::pair<int, QByteArray>> foreign;
  QStringDecoder system(QStringDecoder::System, QStringDecoder::Flag::Stateless);
  for (int g = 0; g < 2; ++g)
    for (QByteArray& native : natives[g]) {
      QString shown = system(native);
      if (system.hasError()) {
        system.resetState();
        foreign.emplace_back(g, std::move(native));
        continue;
      }
      taken.insert(shown);
      groups[g].push_back({std::move(shown), std::move(native)});
    }
  for (auto& [g, native] : foreign) {
    QString shown = ShownFileName(native);
    if (taken.contains(shown)) {
      ++out.skipped;
      continue;
    }
    taken.insert(shown);
    groups[g].push_back({std::move(shown), std::move(native)});
  }
  for (auto& group : groups)
    std::sort(group.begin(), group.end(),
              [](const RecordFileName& a, const RecordFileName& b) { return CompareFileNames(a.shown, b.shown) < 0; });
  out.nrm = std::move(groups[0]);
  out.msd = std::move(groups[1]);
}

constexpr int kEntriesBetweenCalls = 256;

}  // namespace

#ifdef Q_OS_UNIX

RecordDirectoryListing ListRecordFiles(const QByteArray& directory, const std::function<bool()>& carryOn) {
  RecordDirectoryListing out;
  DIR* dir = ::opendir(directory.constData());
  if (!dir) {
    out.error = QString::fromLocal8Bit(std::strerror(errno));
    return out;
  }
  std::vector<QByteArray> natives[2];
  int sinceCall = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      if (errno != 0) out.error = QString::fromLocal8Bit(std::strerror(errno));
      break;
    }
    if (carryOn && ++sinceCall == kEntriesBetweenCalls) {
      sinceCall = 0;
      if (!carryOn()) {
        out.complete = false;
        break;
      }
    }
    const std::size_t length = std::strlen(entry->d_name);
    const int group = GroupOf(entry->d_name, length);
    if (group < 0) continue;
    // The type from the directory where the file system gives it; a link, or
    // a file system that does not say, is asked (following the link).
    bool regular = false;
#ifdef _DIRENT_HAVE_D_TYPE
    if (entry->d_type == DT_REG) regular = true;
    else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
#endif
    {
      struct stat st {};
      regular = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) natives[group].emplace_back(entry->d_name, static_cast<qsizetype>(length));
  }
  ::closedir(dir);
  if (out.complete) NameAndSort(natives, out);
  return out;
}

#else

RecordDirectoryListing ListRecordFiles(const QByteArray& directory, const std::function<bool()>& carryOn) {
  RecordDirectoryListing out;
  const QString path = QFile::decodeName(directory);
  if (!QFileInfo(path).isDir()) {
    out.error = QStringLiteral("not a directory");
    return out;
  }
  std::vector<QByteArray> natives[2];
  int sinceCall = 0;
  QDirIterator it(path, QDir::Files | QDir::Hidden);
  while (it.hasNext()) {
    it.next();
    if (carryOn && ++sinceCall == kEntriesBetweenCalls) {
      sinceCall = 0;
      if (!carryOn()) {
        out.complete = false;
        return out;
      }
    }
    const QByteArray native = QFile::encodeName(it.fileName());
    const int group = GroupOf(native.constData(), static_cast<std::size_t>(native.size()));
    if (group >= 0 && it.fileInfo().isFile()) natives[group].push_back(native);
  }
  NameAndSort(natives, out);
  return out;
}

#endif

}  // namespace corvale
