// The display options of the "ECG" tab: colour, calibration panel, span, limb layout.
#include "app/DisplayOptions.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "app/Controls.h"
#include "display/DisplayState.h"

namespace corvale {

DisplayOptions::DisplayOptions(DisplayState& state, QWidget* page) : QObject(page), state_(state) {
  GroupBox13 = Make<QGroupBox>(page, "GroupBox13", 8, 456, 145, 41);
  GroupBox13->setTitle(tr("color"));
  const char* colourNames[] = {"RadioButtonCol1", "RadioButtonCol2", "RadioButtonCol3"};
  for (int i = 0; i < 3; ++i) {
    auto* r = AddRadio(GroupBox13, colourNames[i], QString::number(i + 1), i + 1, 16 + 40 * i, 16, 33, 17);
    r->setChecked(SchemeColors(i + 1) == state_.Colors);
    colourButtons_[i] = r;
    connect(r, &QRadioButton::clicked, this, [this, i] { RadioButtonCol1Click(i + 1); });
  }

  BuildCalibrationPanel(page);

  GroupBoxDisplay = Make<QGroupBox>(page, "GroupBoxDisplay", 8, 816, 145, 41);
  GroupBoxDisplay->setTitle(tr("display"));
  auto* d1 = AddRadio(GroupBoxDisplay, "RadioButtonD1", tr("5sec"), 1, 16, 16, 57, 17);
  auto* d2 = AddRadio(GroupBoxDisplay, "RadioButtonD2", tr("10sec"), 2, 72, 16, 65, 17);
  (state_.DisplaySpan == 2 ? d2 : d1)->setChecked(true);
  spanButtons_[0] = d1;
  spanButtons_[1] = d2;
  connect(d1, &QRadioButton::clicked, this, [this] { RadioButtonD1Click(1); });
  connect(d2, &QRadioButton::clicked, this, [this] { RadioButtonD1Click(2); });

  // The limb-lead layout shares the display group's place and stays hidden.
  GroupBoxLimb = Make<QGroupBox>(page, "GroupBoxLimb", 8, 816, 145, 41);
  GroupBoxLimb->setTitle(tr("limb leads"));
  const char* limbNames[] = {"RadioButtonR1", "RadioButtonR2", "RadioButtonR3"};
  for (int i = 0; i < 3; ++i) {
    auto* r = AddRadio(GroupBoxLimb, limbNames[i], QString::number(i + 1), i + 1, 16 + 40 * i, 16, 41, 17);
    r->setChecked(state_.LimbLeadMode == i + 1);
    limbButtons_[i] = r;
    connect(r, &QRadioButton::clicked, this, [this, i] { RadioButtonR1Click(i + 1); });
  }
  GroupBoxLimb->hide();

  // In the display group's title row, right of its title: free space that
  // moves no other control.
  CheckBoxLeadNames = Make<QCheckBox>(page, "CheckBoxLeadNames", 58, 815, 100, 17);
  CheckBoxLeadNames->setText(tr("lead names"));
  CheckBoxLeadNames->setChecked(state_.LeadNames);
  connect(CheckBoxLeadNames, &QCheckBox::clicked, this, &DisplayOptions::CheckBoxLeadNamesClick);
}

void DisplayOptions::BuildCalibrationPanel(QWidget* page) {
  // One group per lead, limb leads left and chest leads right; the buttons'
  // handler receives lead * 10 + factor.
  auto* panel = Make<QWidget>(page, "PanelCalibration", 0, 496, 153, 321);
  AddLabel(panel, "LabelCalibration", tr("ECG caliblation"), 8, 8);
  for (int lead = 0; lead < LeadCount; ++lead) {
    const int column = lead / 6, row = lead % 6;
    const QByteArray groupName = "GroupBoxLead" + QByteArray::number(lead);
    auto* group = Make<QGroupBox>(panel, groupName.constData(), 8 + 80 * column, 24 + 48 * row, 65, 41);
    group->setTitle(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()));
    const int factors[] = {1, 2, 4};
    for (int f = 0; f < 3; ++f) {
      const QByteArray rbName = "RadioButton" + QByteArray::number(lead * 3 + f + 1);
      const int tag = lead * 10 + factors[f];
      auto* r = AddRadio(group, rbName.constData(), QString(), tag, 8 + 16 * f, 16, 17, 17);
      r->setChecked(state_.LeadGain[static_cast<std::size_t>(lead)] == factors[f]);
      connect(r, &QRadioButton::clicked, this, [this, tag] { RadioButton1Click(tag); });
    }
  }
  // The factor captions stand 12 and 20 px apart: a small face keeps them apart.
  QFont factorFont = page->font();
  factorFont.setPixelSize(10);
  for (int column = 0; column < 2; ++column) {
    AddLabel(panel, "", QStringLiteral("1"), 16 + 80 * column, 304)->setFont(factorFont);
    AddLabel(panel, "", QStringLiteral("1/2"), 28 + 80 * column, 304)->setFont(factorFont);
    AddLabel(panel, "", QStringLiteral("1/4"), 48 + 80 * column, 304)->setFont(factorFont);
  }
}

void DisplayOptions::RadioButton1Click(int tag) {
  state_.LeadGain[static_cast<std::size_t>(tag / 10)] = tag % 10;
  Q_EMIT changed(true);
}

void DisplayOptions::RadioButtonCol1Click(int tag) {
  state_.Colors = SchemeColors(tag);
  Q_EMIT changed(true);
}

void DisplayOptions::RadioButtonR1Click(int tag) {
  state_.LimbLeadMode = tag;
  Q_EMIT changed(false);
}

void DisplayOptions::RadioButtonD1Click(int tag) {
  state_.DisplaySpan = tag;
  Q_EMIT changed(true);
  Q_EMIT spanChanged(state_.DisplaySpan == 2);
}

void DisplayOptions::CheckBoxLeadNamesClick(bool checked) {
  state_.LeadNames = checked;
  // The names are drawn with the traces; the paper stays.
  Q_EMIT changed(false);
}

void DisplayOptions::Choose(int colorScheme, int span, int limbLeadMode, bool leadNames) {
  // What a click does, also while the tab is still disabled (a disabled
  // button ignores click()): the button checked, then its handler.
  if (colorScheme >= 1 && colorScheme <= 3 && colorScheme != ColorSchemeNumber()) {
    colourButtons_[colorScheme - 1]->setChecked(true);
    RadioButtonCol1Click(colorScheme);
  }
  if (span >= 1 && span <= 2 && span != state_.DisplaySpan) {
    spanButtons_[span - 1]->setChecked(true);
    RadioButtonD1Click(span);
  }
  if (limbLeadMode >= 1 && limbLeadMode <= 3 && limbLeadMode != state_.LimbLeadMode) {
    limbButtons_[limbLeadMode - 1]->setChecked(true);
    RadioButtonR1Click(limbLeadMode);
  }
  if (leadNames != state_.LeadNames) {
    CheckBoxLeadNames->setChecked(leadNames);
    CheckBoxLeadNamesClick(leadNames);
  }
}

int DisplayOptions::ColorSchemeNumber() const {
  for (int scheme = 1; scheme <= 3; ++scheme)
    if (SchemeColors(scheme) == state_.Colors) return scheme;
  return 1;
}

}  // namespace corvale
