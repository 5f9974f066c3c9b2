// Turns a record's header into the texts the viewer's labels show, and names
// the files derived from a record. The one table of header labels lives here:
// each label's control name, design caption and place, and the field and rule
// its text comes from. The window creates its labels from that table and
// PresentHeaderTexts gives one text per row, so the two cannot disagree.
// Qt::Core only: the window applies the texts.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "record/RecordFormat.h"

namespace corvale {

/// Text of a character or cp932 field: its bytes up to the first NUL or the
/// field's end, shown as stored. Element k of an array field.
QString FieldText(const RecordImage& image, const FieldLayout& field, int element = 0);

/// Value of an unsigned 16-bit little-endian field (its first two bytes).
unsigned FieldNumber(const RecordImage& image, const FieldLayout& field);

/// "YYYY/MM/DD" from the year-high digits and the date digits.
QString RecordingDateText(const RecordImage& image);
/// "HH:MM:SS" from the time digits.
QString RecordingTimeText(const RecordImage& image);

/// The tab a header label sits on.
enum class HeaderPage { Ecg, Header };

/// How a label's text comes from its field. The coded rules have no text for
/// other codes: the label then keeps what it shows.
enum class HeaderRule {
  Text,              // the field's text as stored (element `element` of an array field)
  Number,            // an unsigned 16-bit field as a decimal number
  Sex,               // "M" for male, else "F"
  AgeUnit,           // "y.o.", "m.o.", "d.o." for "0", "1", "2"
  ProcessingResult,  // "正常終了", "デコードエラー", "データエラー" for " ", "1", "2"
  LateralLead,       // "V5" for "5", else "V6"
  LateralRowTitle,   // "RV5" for "5", else "RV6" (the row's own title)
  Date,              // RecordingDateText
  Time,              // RecordingTimeText
};

/// How the window draws a label besides its place.
enum class HeaderLook { Plain, RightAligned, PatientName };

/// One header label of the window.
struct HeaderLabel {
  std::string_view control;  // object name of the label
  std::string_view caption;  // design-time text (UTF-8), shown until a record is loaded
  HeaderPage page;
  int x, y, width, height;  // place on its page
  FieldLayout field;
  HeaderRule rule;
  int element = 0;  // of an array field
  HeaderLook look = HeaderLook::Plain;
};

inline constexpr std::size_t HeaderLabelCount = 63;

/// Every header label of both tabs, in the order they are filled.
extern const std::array<HeaderLabel, HeaderLabelCount> HeaderLabels;

/// One text per row of HeaderLabels; an empty one means the stored code has
/// no text and the label keeps what it shows.
using HeaderTexts = std::array<std::optional<QString>, HeaderLabelCount>;
HeaderTexts PresentHeaderTexts(const RecordImage& image);

/// The text for one label, by the label's control name.
struct LabelText {
  const char* control;
  std::optional<QString> text;
};

/// PresentHeaderTexts with each text beside its label's name, in fill order.
std::vector<LabelText> PresentHeader(const RecordImage& image);

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
