// The filter controls of the ECG tab and their caption.
#include "app/FilterOptions.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRect>

#include "analysis/DisplayFilters.h"
#include "app/Controls.h"
#include "app/ViewerState.h"

namespace corvale {

FilterOptions::FilterOptions(ViewerState& state, QWidget* page, const QRect& row) : QObject(page), state_(state) {
  // Each item's index is its setting's value (off first). Placed from the
  // right, each as wide as its longest item in the window's language.
  constexpr int kGap = 4;
  const int y = row.y(), height = row.height();
  int right = row.x() + row.width();
  auto list = [&](const char* name, const QStringList& items, const QString& tip) {
    auto* c = new QComboBox(page);
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(items);
    c->setToolTip(tip);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const int w = c->sizeHint().width();
    right -= w;
    c->setGeometry(right, y, w, height);
    right -= kGap;
    connect(c, &QComboBox::activated, this, &FilterOptions::ComboBoxFilterChange);
    return c;
  };
  ComboBoxMuscle =
      list("ComboBoxMuscle", {tr("muscle off"), tr("muscle 25 Hz"), tr("muscle 35 Hz"), tr("muscle 40 Hz")},
           tr("Muscle noise filter (low-pass)"));
  ComboBoxMains =
      list("ComboBoxMains", {tr("mains off"), tr("mains 50 Hz"), tr("mains 60 Hz")}, tr("Mains hum filter (notch)"));
  ComboBoxBaseline = list("ComboBoxBaseline", {tr("baseline off"), tr("baseline 0.67 Hz"), tr("baseline 0.05 Hz")},
                          tr("Baseline wander filter (high-pass)"));
  // The caption as wide as its longest text: every filter on.
  const QFontMetrics metrics(page->font());
  const FilterSettings widest{BaselineFilter::HighPass067, MainsFilter::Notch50, MuscleFilter::LowPass25};
  const int captionWidth =
      metrics.horizontalAdvance(tr("filtered %1").arg(DescribeFrequencyResponse(widest, Words()))) + 8;
  left_ = right - captionWidth;
  LabelFilters = AddLabel(page, "LabelFilters", QString(), left_, y, captionWidth, height);
  LabelFilters->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Choose(state_.filters);
  ShowCaption();
}

FilterWords FilterOptions::Words() {
  return {tr("%1 Hz notch"), tr("baseline %1 Hz"), tr("mains %1 Hz"), tr("muscle %1 Hz")};
}

void FilterOptions::ComboBoxFilterChange() {
  state_.filters.baseline = static_cast<BaselineFilter>(ComboBoxBaseline->currentIndex());
  state_.filters.mains = static_cast<MainsFilter>(ComboBoxMains->currentIndex());
  state_.filters.muscle = static_cast<MuscleFilter>(ComboBoxMuscle->currentIndex());
  ShowCaption();
  Q_EMIT changed();
}

void FilterOptions::Choose(const FilterSettings& filters) {
  ComboBoxBaseline->setCurrentIndex(static_cast<int>(filters.baseline));
  ComboBoxMains->setCurrentIndex(static_cast<int>(filters.mains));
  ComboBoxMuscle->setCurrentIndex(static_cast<int>(filters.muscle));
  if (filters != state_.filters) ComboBoxFilterChange();
}

void FilterOptions::ShowCaption() {
  const FilterSettings& f = state_.filters;
  LabelFilters->setText(f.Any() ? tr("filtered %1").arg(DescribeFrequencyResponse(f, Words())) : tr("unfiltered"));
  LabelFilters->setToolTip(f.Any() ? DescribeActiveFilters(f, Words()) : QString());
}

}  // namespace corvale
