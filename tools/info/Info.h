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

/// The same report as plain "name: value" lines.
QString RecordInfoText(const QJsonObject& info);

}  // namespace corvale
