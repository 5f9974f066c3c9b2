// Which directory entries are record files, how their names are shown, and the
// order in which a directory's records are listed.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace corvale {

/// The record files' suffixes (without the dot, lower case), in the order a
/// directory's groups are listed. The formats registry takes them from here.
inline constexpr QLatin1String RecordFileSuffixes[] = {QLatin1String("nrm"), QLatin1String("msd")};

/// True when `name` ends in `extension` (".nrm" or ".msd", lower case), with
/// ASCII letters compared in any case.
bool IsRecordFileName(const QString& name, QLatin1String extension);

/// True when `name` ends in any of the record files' suffixes, in any case.
bool IsRecordFileName(const QString& name);

/// Name order as a user reads a directory: letters compared without case,
/// runs of digits by their value (A2 before A10). Equal names in that order
/// fall back to comparing the characters themselves, so the order is total.
/// Independent of the locale. Negative, zero or positive, as for strcmp.
int CompareFileNames(QStringView a, QStringView b);

/// How a file name's bytes are shown: in the system's encoding when they are
/// valid there, else as Shift-JIS (cp932, the usual encoding of names written
/// on Windows media) when they are valid as that, else in the system's
/// encoding with each invalid byte replaced by U+FFFD.
QString ShownFileName(const QByteArray& native);

/// A record file of a directory: its name as shown, and its name's exact
/// bytes, by which it is opened.
struct RecordFileName {
  QString shown;
  QByteArray native;
};

struct RecordDirectoryListing {
  std::vector<RecordFileName> nrm, msd;  // each group in name order
  /// Record files left out because their shown name is another's: two names
  /// that differ only in bytes that cannot be shown.
  int skipped = 0;
  /// Why the directory could not be read, if it could not.
  std::optional<QString> error;
  /// False when `carryOn` asked to stop; the lists are then incomplete.
  bool complete = true;
};

/// Lists the record files (*.nrm, *.msd, extension in any case) of the
/// directory with native path `directory`: regular files and links to regular
/// files only; directories, FIFOs, sockets, devices and dangling links are not
/// record files. Names are taken as bytes, so a name that is not valid in the
/// system's encoding is listed too. `carryOn`, when given, is called every few
/// hundred entries (to let a window's events run); returning false stops the
/// listing.
RecordDirectoryListing ListRecordFiles(const QByteArray& directory, const std::function<bool()>& carryOn = {});

}  // namespace corvale
