// The display options of the "ECG" tab: the colour scheme, the calibration
// panel (per-lead factor 1, 1/2, 1/4), the 5 s / 10 s span, the hidden
// limb-lead layout and the lead names. Each group's handler writes one field
// of the display state and asks for a redraw.
#pragma once

#include <QObject>

class QCheckBox;
class QGroupBox;
class QRadioButton;
class QWidget;

namespace corvale {

struct DisplayState;

class DisplayOptions : public QObject {
  Q_OBJECT
 public:
  /// Builds the groups on `page` at their design places, checked as `state` says.
  DisplayOptions(DisplayState& state, QWidget* page);

  // Handlers; each receives the number its clicked button was built with.
  void RadioButton1Click(int tag);
  void RadioButtonCol1Click(int tag);
  void RadioButtonR1Click(int tag);
  void RadioButtonD1Click(int tag);
  void CheckBoxLeadNamesClick(bool checked);

  /// Clicks what differs from the state, as a user would: colour scheme
  /// (1..3), span (1 = 5 s, 2 = 10 s), limb-lead layout (1..3), lead names.
  void Choose(int colorScheme, int span, int limbLeadMode, bool leadNames);
  /// The number of the colour scheme shown (1 when the colours are no scheme's).
  int ColorSchemeNumber() const;

  /// The colour group, which the print status replaces while a job runs.
  QGroupBox* ColourGroup() const { return GroupBox13; }

 Q_SIGNALS:
  /// The display state changed: redraw the traces, and the paper first when
  /// `paperToo` (gain, colours and span change what the paper images show).
  void changed(bool paperToo);
  /// The span changed; the time window's scroll bar is idle in 10 s mode.
  void spanChanged(bool tenSeconds);

 private:
  void BuildCalibrationPanel(QWidget* page);

  DisplayState& state_;
  QGroupBox *GroupBox13 = nullptr, *GroupBoxDisplay = nullptr, *GroupBoxLimb = nullptr;
  QRadioButton *colourButtons_[3] = {}, *spanButtons_[2] = {}, *limbButtons_[3] = {};
  QCheckBox* CheckBoxLeadNames = nullptr;
};

}  // namespace corvale
