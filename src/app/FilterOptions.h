// The ECG tab's filter controls: baseline wander, mains hum and muscle noise,
// each a drop-down list, and a caption that names the frequency response the
// views show. Remembered with the settings. Every filter off shows the
// samples as recorded.
#pragma once

#include <QObject>

#include "analysis/DisplayFilters.h"

class QComboBox;
class QLabel;
class QRect;
class QWidget;

namespace corvale {

struct FilterSettings;
struct ViewerState;

class FilterOptions : public QObject {
  Q_OBJECT
 public:
  /// Builds the three lists and the caption on `page`, right-aligned in the
  /// row `row` (each list as tall as the row), set as `state.filters` says.
  FilterOptions(ViewerState& state, QWidget* page, const QRect& row);

  /// The left edge of the caption, the first control of the row.
  int Left() const { return left_; }

  /// A list was set: the filter it stands for takes that item's value.
  void ComboBoxFilterChange();
  /// Sets the lists as a user would, for remembered settings.
  void Choose(const FilterSettings& filters);

 Q_SIGNALS:
  /// The shown signal must be derived again.
  void changed();

 private:
  void ShowCaption();
  /// The descriptions' words in the window's language.
  static FilterWords Words();

  ViewerState& state_;
  int left_ = 0;
  QComboBox *ComboBoxBaseline = nullptr, *ComboBoxMains = nullptr, *ComboBoxMuscle = nullptr;
  QLabel* LabelFilters = nullptr;
};

}  // namespace corvale
