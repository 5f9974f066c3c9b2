// Turns a record's header into the texts the viewer's labels show, and names
// the files derived from a record. Qt::Core only: the window applies the texts.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "record/RecordFormat.h"

namespace corvale {

/// Text of a character or cp932 field: its bytes up to the first NUL or the
/// field's end, shown as stored. Element k of an array field.
QString FieldText(const RecordImage& image, const FieldSpec& field, int element = 0);

/// Value of an unsigned 16-bit little-endian field (its first two bytes).
unsigned FieldNumber(const RecordImage& image, const FieldSpec& field);

/// The text for one label, by the label's control name. An empty `text` means
/// the stored code has no text and the label keeps what it shows.
struct LabelText {
  const char* control;
  std::optional<QString> text;
};

/// Every header label of both tabs, in the order they are filled.
std::vector<LabelText> PresentHeader(const RecordImage& image);

/// "YYYY/MM/DD" from the year-high digits and the date digits.
QString RecordingDateText(const RecordImage& image);
/// "HH:MM:SS" from the time digits.
QString RecordingTimeText(const RecordImage& image);

/// Names derived from the work-list entry being loaded.
struct RecordNames {
  QString recordPath;  // directory + separator + name; the window caption
  QString labelFile;   // the bare name
  QString editOut;     // name of the record copy
  QString editBmp;     // the name with its last three characters replaced by "BMP"
  QString label147;    // "position+1/count"
};

/// The separator is always inserted, even after a directory that ends in one.
RecordNames DeriveRecordNames(const QString& directory, const QString& name, int position, int count);

}  // namespace corvale
