// EDF+ files with many annotations, made byte by byte for the readers' bounds.
#pragma once

#include <QByteArray>
#include <QList>
#include <optional>
#include <vector>

namespace corvale::test {

/// An EDF+C file of twelve flat leads ("ECG I" ... "ECG V6", 10 records of
/// 1 s at 500 Hz) whose annotation signal holds annotations[r] in record r,
/// each a TAL at r seconds, in `perRecord` bytes per record (even); none when
/// a record's annotations need more room than that.
std::optional<QByteArray> MakeEdfPlus(const std::vector<QList<QByteArray>>& annotations, int perRecord);

}  // namespace corvale::test
