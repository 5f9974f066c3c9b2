// What `corvale-tool info` reports about a record: fields, label texts, leads.
#pragma once

#include <QJsonObject>
#include <QString>

#include "record/LeadArrays.h"
#include "record/RecordFormat.h"

namespace corvale {

/// The report of one loaded record as a JSON object with the keys
/// file, fields, labels (null where a label keeps its text) and leads.
QJsonObject RecordInfoJson(const QString& file, const RecordImage& image, const LeadArrays& arrays);

/// The same report as plain "name: value" lines. Texts from the file (and the
/// file name) are quoted with backslash, quote and control characters escaped
/// as JSON does, so no byte of a record reaches a terminal as a command.
QString RecordInfoText(const QJsonObject& info);

/// `text` with every control character (U+0000 to U+001F, U+007F to U+009F)
/// except those in `keep` written as \uXXXX; everything else as it is.
QString EscapeControls(const QString& text, QStringView keep = {});

}  // namespace corvale
