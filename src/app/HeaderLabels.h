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

  /// Sets each label that has a text; the others keep theirs. The patient
  /// name's tool tip shows the whole name, which can be wider than its label.
  void Show(const HeaderTexts& texts);
  /// Back to the design captions, as before the first record.
  void ShowDesignCaptions();

 private:
  std::array<QLabel*, HeaderLabelCount> labels_{};
};

}  // namespace corvale
