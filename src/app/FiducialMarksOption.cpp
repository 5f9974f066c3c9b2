// The "Fiducial marks" check box and the marks it shows.
#include "app/FiducialMarksOption.h"

#include <QCheckBox>

#include "app/Controls.h"
#include "app/ViewerState.h"
#include "formats/ReferenceMarks.h"

namespace corvale {

FiducialMarksOption::FiducialMarksOption(ViewerState& state, QWidget* page) : QObject(page), state_(state) {
  CheckBoxFiducials = Make<QCheckBox>(page, "CheckBoxFiducials", 8, 448, 145, 17);
  CheckBoxFiducials->setText(tr("fiducial marks"));
  CheckBoxFiducials->setToolTip(
      tr("Marks the onsets and offsets of the waves that the measurement found (blue, above each trace) and those "
         "of the record's annotation files (orange, below)"));
  CheckBoxFiducials->setChecked(state_.analysis.showMarks);
  connect(CheckBoxFiducials, &QCheckBox::clicked, this, &FiducialMarksOption::CheckBoxFiducialsClick);
}

void FiducialMarksOption::CheckBoxFiducialsClick(bool checked) {
  state_.analysis.showMarks = checked;
  Q_EMIT changed();
}

void FiducialMarksOption::Choose(bool on) {
  if (on == state_.analysis.showMarks) return;
  CheckBoxFiducials->setChecked(on);
  CheckBoxFiducialsClick(on);
}

FiducialMarkSet MarksToShow(ViewerState& state) {
  FiducialMarkSet marks;
  for (const BeatFiducials& beat : state.analysis.measured.fiducials)
    for (const std::optional<int>& at : {beat.pOnset, beat.pOffset, beat.qrsOnset, beat.qrsOffset, beat.tEnd})
      if (at) marks.measured.push_back(*at);
  if (!state.analysis.reference)
    state.analysis.reference =
        state.shown && !state.shown->error ? wfdb::ReferenceMarksOf(state.shown->path) : std::vector<int>();
  marks.reference = *state.analysis.reference;
  return marks;
}

}  // namespace corvale
