// corvale-tool measure: many records read and measured on several threads,
// one row per record in the order given, as a table, CSV or JSON lines.
#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "analysis/Measurement.h"
#include "export/Batch.h"
#include "record/RecordFile.h"

namespace corvale::measure {

enum class Format { Text, Csv, Json };

/// "text", "csv" or "json".
std::optional<Format> ParseFormat(const QString& name);

/// One record's row: the file as it was given and what was measured.
struct Row {
  QString file;
  Measurements measured;
};

/// The line before the rows (CSV's column names, the table's heading), with
/// its line end; empty for JSON lines.
QString HeaderLine(Format format);

/// One row with its line end. Values are rounded as the window shows them:
/// whole bpm, ms and degrees, mV with two decimals; an absent value is null
/// in JSON, empty in CSV and "-" in the table; beats are sample indices at
/// 500 Hz.
QString RowLine(const Row& row, Format format);

/// Paths from a list, one per line (a CR before the line end is dropped,
/// empty lines are skipped).
QStringList ReadPathList(QIODevice& device);

/// Reads and measures every input on `threads` threads (at least 1) and hands
/// each result to `row`, or its error to `error`, on the calling thread in the
/// order of `inputs`, each as soon as it and those before it are done.
/// Returns the number of inputs that failed.
int MeasureAll(const std::vector<batch::Input>& inputs, int threads, const std::function<void(const Row&)>& row,
               const std::function<void(const FileError&)>& error);

}  // namespace corvale::measure
