// The ECG tab's "Fiducial marks" check box: off by default and remembered. On,
// the traces and the rhythm strip show ticks where the measurement found the
// waves' onsets and offsets, and, in another colour, those of the record's
// WFDB annotation files when its folder holds any.
#pragma once

#include <QObject>

#include "display/FiducialMarks.h"

class QCheckBox;
class QGroupBox;

namespace corvale {

struct ViewerState;

class FiducialMarksOption : public QObject {
  Q_OBJECT
 public:
  /// Builds the check box in the ECG tab's colour group, checked as `state` says.
  FiducialMarksOption(ViewerState& state, QGroupBox* colourGroup);

  void CheckBoxFiducialsClick(bool checked);
  /// Clicks the box when it differs from `on`, as a user would.
  void Choose(bool on);

 Q_SIGNALS:
  /// Redraw the traces.
  void changed();

 protected:
  /// The box is shown and hidden with the colour group.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ViewerState& state_;
  QCheckBox* CheckBoxFiducials = nullptr;
};

/// The marks to draw over the record on the screen: the measured onsets and
/// offsets of every beat (P, QRS, T end), and the reference marks of its
/// annotation files, read once per record when first asked for.
FiducialMarkSet MarksToShow(ViewerState& state);

}  // namespace corvale
