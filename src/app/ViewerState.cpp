#include "app/ViewerState.h"

#include <QDir>
#include <QFileInfo>

namespace corvale {

LoadResult LoadRecord(ViewerState& state) {
  const StudyList& study = state.study;
  const int count = static_cast<int>(study.work.size());
  if (study.current < 0 || study.current >= count) return {};
  // A file of another directory is in the list by its absolute path.
  QString directory = study.directory, entry = study.work[study.current];
  if (QDir::isAbsolutePath(entry)) {
    const QFileInfo file(entry);
    directory = file.absolutePath();
    entry = file.fileName();
  }
  LoadResult result;
  result.names = DeriveRecordNames(directory, entry, study.current, count);
  state.output.copyName = result.names.editOut;
  state.output.bmpName = result.names.editBmp;
  result.error = ReadRecordFile(result.names.recordPath, state.record);
  result.outcome = result.error ? LoadResult::Outcome::Unreadable : LoadResult::Outcome::Loaded;
  state.shown = ShownRecord{result.names.recordPath, entry, result.error};
  return result;
}

}  // namespace corvale
