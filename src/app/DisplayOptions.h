// The display options of the "ECG" tab: the colour scheme, the calibration
// panel (per-lead factor 1, 1/2, 1/4), the 5 s / 10 s span and the hidden
// limb-lead layout. Each group's handler writes one field of the display
// state and asks for a redraw.
#pragma once

#include <QObject>

class QGroupBox;
class QWidget;

namespace corvale {

struct DisplayState;

class DisplayOptions : public QObject {
  Q_OBJECT
 public:
  /// Builds the groups on `page` at their design places, checked as `state` says.
  DisplayOptions(DisplayState& state, QWidget* page);

  // Handlers, keyed by the clicked button's Tag.
  void RadioButton1Click(int tag);
  void RadioButtonCol1Click(int tag);
  void RadioButtonR1Click(int tag);
  void RadioButtonD1Click(int tag);

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
};

}  // namespace corvale
