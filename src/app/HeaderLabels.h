// The header labels of the window: one QLabel per row of the header label
// table (record/HeaderPresentation), made from that row on its tab, so every
// text PresentHeaderTexts gives has its label by construction.
#pragma once

#include <array>

#include "record/HeaderPresentation.h"

class QLabel;
class QWidget;

namespace corvale {

class HeaderLabelSet {
 public:
  /// Creates every label of the table on `ecgPage` or `headerPage`.
  HeaderLabelSet(QWidget* ecgPage, QWidget* headerPage);

  /// Sets each label to its text, or empties it where the record's code has
  /// none: nothing of an earlier record stays. The patient name's
  /// tool tip shows the whole name, which can be wider than its label.
  void Show(const HeaderTexts& texts);
  /// Back to the design captions, as before the first record.
  void ShowDesignCaptions();
  /// The label of row `row` of the header label table.
  QLabel* Label(std::size_t row) const { return labels_[row]; }

 private:
  std::array<QLabel*, HeaderLabelCount> labels_{};
};

}  // namespace corvale
