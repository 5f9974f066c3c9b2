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
  const QByteArray name = study.nativeNames.value(entry, QFile::encodeName(entry));  // opened by its exact bytes
  result.error = ReadRecordFile(QFile::encodeName(study.directory) + '/' + name, state.record, result.names.recordPath);
  result.outcome = result.error ? LoadResult::Outcome::Unreadable : LoadResult::Outcome::Loaded;
  state.shown = ShownRecord{result.names.recordPath, entry, result.error};
  return result;
}

}  // namespace corvale
