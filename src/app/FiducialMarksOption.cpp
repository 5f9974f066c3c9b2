// The "Fiducial marks" check box and the marks it shows.
#include "app/FiducialMarksOption.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>

#include "app/Controls.h"
#include "app/ViewerState.h"
#include "formats/ReferenceMarks.h"

namespace corvale {

FiducialMarksOption::FiducialMarksOption(ViewerState& state, QGroupBox* colourGroup)
    : QObject(colourGroup), state_(state) {
  // In the colour group's title row, right of its title, as "lead names" sits
  // in the display group's: it moves no other control. It is shown with the
  // group, which steps aside while a print job shows its status there.
  QWidget* page = colourGroup->parentWidget();
  const QPoint at = colourGroup->geometry().topLeft();
  CheckBoxFiducials = Make<QCheckBox>(page, "CheckBoxFiducials", at.x() + 36, at.y() - 1, 117, 17);
  colourGroup->installEventFilter(this);
  CheckBoxFiducials->setText(tr("fiducial marks"));
  CheckBoxFiducials->setToolTip(
      tr("Marks the onsets and offsets of the waves that the measurement found (blue, above each trace) and those "
         "of the record's annotation files (orange, below)"));
  CheckBoxFiducials->setChecked(state_.analysis.showMarks);
  connect(CheckBoxFiducials, &QCheckBox::clicked, this, &FiducialMarksOption::CheckBoxFiducialsClick);
}

bool FiducialMarksOption::eventFilter(QObject* watched, QEvent* event) {
  // Only the group's own showing and hiding, not its tab's.
  if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
    CheckBoxFiducials->setVisible(event->type() == QEvent::ShowToParent);
  return QObject::eventFilter(watched, event);
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
