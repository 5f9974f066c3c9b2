// LoadRecord: the work list's current entry into the viewer state.
#include "app/ViewerState.h"

#include <QFile>

namespace corvale {

LoadResult LoadRecord(ViewerState& state) {
  const StudyList& study = state.study;
  const int count = static_cast<int>(study.work.size());
  if (study.current < 0 || study.current >= count) return {};
  const QString& entry = study.work[study.current];
  LoadResult result;
  result.names = DeriveRecordNames(study.directory, entry, study.current, count);
  state.output.copyName = result.names.editOut;
  state.output.bmpName = result.names.editBmp;
  result.error = ReadRecordFile(QFile::encodeName(study.directory) + '/' + study.nativeNames.value(entry, QFile::encodeName(entry)), state.record, result.names.recordPath);
  result.outcome = result.error ? LoadResult::Outcome::Unreadable : LoadResult::Outcome::Loaded;
  state.shown = ShownRecord{result.names.recordPath, entry, result.error};
  return result;
}

bool ShownRecordIsCurrent(const ViewerState& state) {
  const StudyList& study = state.study;
  const int count = static_cast<int>(study.work.size());
  if (!state.shown || study.current < 0 || study.current >= count) return false;
  const QString& entry = study.work[study.current];
  // The same name from another directory is another record.
  return entry == state.shown->entry &&
         DeriveRecordNames(study.directory, entry, study.current, count).recordPath == state.shown->path;
}

}  // namespace corvale
