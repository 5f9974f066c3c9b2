// LoadRecord: the work list's current entry into the viewer state.
#include "app/ViewerState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "formats/Formats.h"
#include "record/RecordName.h"

namespace corvale {

namespace {

/// Where a work-list entry lies: a bare name in the input directory, or a file
/// of another directory named by its absolute path.
struct EntryLocation {
  QString directory;
  QString entry;
};

EntryLocation LocateEntry(const StudyList& study, const QString& workEntry) {
  if (!QDir::isAbsolutePath(workEntry)) return {study.directory, workEntry};
  const QFileInfo file(workEntry);
  return {file.absolutePath(), file.fileName()};
}

/// Whether the entry is a file of another format, read through the formats
/// layer. Record files, names listed by their bytes, and anything no other
/// format claims keep the record reader, with its messages.
bool IsForeignRecord(const StudyList& study, const QString& workEntry, const EntryLocation& at) {
  if (IsRecordFileName(at.entry) || study.nativeNames.contains(workEntry)) return false;
  const auto detected = formats::DetectFormat(at.directory + u'/' + at.entry);
  const auto* format = std::get_if<formats::FormatKind>(&detected);
  return format && *format != formats::FormatKind::Record;
}

/// Reads a foreign file into `image`; on failure the image is all zero, as
/// the record reader leaves it.
std::optional<FileError> ReadForeignRecord(const QString& path, RecordImage& image, QStringList& sources,
                                           QStringList& notes) {
  auto read = formats::ReadAnyRecord(path);
  if (auto* error = std::get_if<FileError>(&read)) {
    image.Clear();
    return *error;
  }
  formats::OpenedRecord& opened = std::get<formats::OpenedRecord>(read);
  image = *opened.image;
  sources = opened.sourceFiles;
  notes = opened.notes;
  for (const QString& warning : opened.warnings) notes << QStringLiteral("warning: %1").arg(warning);
  return std::nullopt;
}

}  // namespace

LoadResult LoadRecord(ViewerState& state) {
  const StudyList& study = state.study;
  const int count = static_cast<int>(study.work.size());
  if (study.current < 0 || study.current >= count) return {};
  const QString& workEntry = study.work[study.current];
  const EntryLocation at = LocateEntry(study, workEntry);
  LoadResult result;
  result.names = DeriveRecordNames(at.directory, at.entry, study.current, count);
  state.output.copyName = result.names.editOut;
  state.output.bmpName = result.names.editBmp;
  QStringList sources;
  if (IsForeignRecord(study, workEntry, at)) {
    result.error = ReadForeignRecord(at.directory + u'/' + at.entry, state.record, sources, result.notes);
  } else {
    // Open by the bytes the directory listing gave: a name the system's encoding
    // cannot spell would not survive a round trip through QString.
    const QByteArray nativeName = study.nativeNames.value(workEntry, QFile::encodeName(at.entry));
    result.error =
        ReadRecordFile(QFile::encodeName(at.directory) + '/' + nativeName, state.record, result.names.recordPath);
    sources << result.names.recordPath;
  }
  result.outcome = result.error ? LoadResult::Outcome::Unreadable : LoadResult::Outcome::Loaded;
  state.shown = ShownRecord{result.names.recordPath, at.entry, result.error, result.error ? QStringList() : sources};
  return result;
}

bool ShownRecordIsCurrent(const ViewerState& state) {
  const StudyList& study = state.study;
  const int count = static_cast<int>(study.work.size());
  if (!state.shown || study.current < 0 || study.current >= count) return false;
  const EntryLocation at = LocateEntry(study, study.work[study.current]);
  // The same name from another directory is another record.
  return at.entry == state.shown->entry &&
         DeriveRecordNames(at.directory, at.entry, study.current, count).recordPath == state.shown->path;
}

OutputState OutputStateOf(const ViewerState& state) {
  OutputState out;
  out.analysed = state.study.analysed;
  if (state.shown) {
    out.shownEntry = state.shown->entry;
    out.readError = state.shown->error;
  }
  out.current = ShownRecordIsCurrent(state);
  out.position = state.study.current + 1;
  return out;
}

}  // namespace corvale
