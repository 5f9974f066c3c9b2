// The "Header and Printer Setup" tab: header row captions and the printer settings.
#include "app/HeaderTab.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>

#include "app/Controls.h"
#include "output/PrintPage.h"

namespace corvale {

HeaderTab::HeaderTab(PrintSettings& settings, QWidget* parent) : QWidget(parent), settings_(settings) {
  setObjectName(QStringLiteral("TabSheet3"));
  BuildRowCaptions();
  BuildPrinterBlock();
}

void HeaderTab::BuildRowCaptions() {
  // Two columns of rows 24 px apart: captions at x 16 and 352, the values
  // beside them at x 192 and 536. The left column's RV5/RV6 row has a header
  // label (Label33) as its title, which the record names RV5 or RV6.
  const char* left[] = {QT_TR_NOOP("サンプリング間隔"),
                        QT_TR_NOOP("ＬＳＢの大きさ"),
                        QT_TR_NOOP("フィルタ情報"),
                        QT_TR_NOOP("低域周波数"),
                        QT_TR_NOOP("高域周波数"),
                        QT_TR_NOOP("格納誘導数"),
                        QT_TR_NOOP("サンプリング数"),
                        QT_TR_NOOP("SV1"),
                        QT_TR_NOOP("V5/V6"),
                        nullptr,
                        QT_TR_NOOP("所見コード１"),
                        QT_TR_NOOP("所見コード２"),
                        QT_TR_NOOP("所見コード３"),
                        QT_TR_NOOP("所見コード４"),
                        QT_TR_NOOP("所見コード５"),
                        QT_TR_NOOP("所見コード６"),
                        QT_TR_NOOP("所見コード７"),
                        QT_TR_NOOP("所見コード８"),
                        QT_TR_NOOP("所見コード９")};
  const char* right[] = {QT_TR_NOOP("身長"),
                         QT_TR_NOOP("体重"),
                         QT_TR_NOOP("血圧"),
                         QT_TR_NOOP("所属コード１"),
                         QT_TR_NOOP("所属コード２"),
                         QT_TR_NOOP("自覚症状"),
                         QT_TR_NOOP("投薬情報"),
                         QT_TR_NOOP("負荷情報"),
                         QT_TR_NOOP("収録年上２桁"),
                         QT_TR_NOOP("処理結果"),
                         QT_TR_NOOP("データ種別"),
                         QT_TR_NOOP("ミネソタコード１"),
                         QT_TR_NOOP("ミネソタコード２"),
                         QT_TR_NOOP("ミネソタコード３"),
                         QT_TR_NOOP("ミネソタコード４"),
                         QT_TR_NOOP("ミネソタコード５"),
                         QT_TR_NOOP("ミネソタコード６"),
                         QT_TR_NOOP("ミネソタコード７"),
                         QT_TR_NOOP("ミネソタコード８"),
                         QT_TR_NOOP("ミネソタコード９"),
                         QT_TR_NOOP("ミネソタコード１０"),
                         QT_TR_NOOP("ミネソタコード１１"),
                         QT_TR_NOOP("ミネソタコード１２"),
                         QT_TR_NOOP("ミネソタコード１３"),
                         QT_TR_NOOP("ミネソタコード１４")};
  for (int r = 0; r < static_cast<int>(std::size(left)); ++r)
    if (left[r]) AddLabel(this, "", tr(left[r]), 16, 16 + 24 * r, 168, 16);
  for (int r = 0; r < static_cast<int>(std::size(right)); ++r)
    AddLabel(this, "", tr(right[r]), 352, 16 + 24 * r, 168, 16);
}

void HeaderTab::BuildPrinterBlock() {
  AddLabel(this, "LabelPrinter", tr("PRINTER SETUP and STATUS"), 704, 16);
  AddLabel(this, "LabelPixX", tr("pix_X"), 704, 48, 72, 16);
  Label140 = AddLabel(this, "Label140", QStringLiteral("000"), 784, 48, 120, 16);
  AddLabel(this, "LabelPixY", tr("pix_Y"), 704, 72, 72, 16);
  Label141 = AddLabel(this, "Label141", QStringLiteral("000"), 784, 72, 120, 16);
  AddLabel(this, "LabelPenWidth", tr("Pen Width"), 704, 104, 72, 16);
  ScrollBarP = MakeScrollBar(this, "ScrollBarP", 784, 104, 121, 17, MinPenWidth, MaxPenWidth, settings_.PenWidth);
  Label142 = AddLabel(this, "Label142", QStringLiteral("5"), 912, 104, 40, 16);
  AddLabel(this, "LabelMargin", tr("Margin"), 704, 128, 72, 16);
  ScrollBarM = MakeScrollBar(this, "ScrollBarM", 784, 128, 121, 17, MinMargin, MaxMargin, settings_.Margin);
  Label144 = AddLabel(this, "Label144", QStringLiteral("5"), 912, 128, 40, 16);
  connect(ScrollBarP, &QScrollBar::valueChanged, this, &HeaderTab::ScrollBarPChange);
  connect(ScrollBarM, &QScrollBar::valueChanged, this, &HeaderTab::ScrollBarMChange);

  // Pen and grid pattern: A passes 1 to its handler, B passes 2.
  auto pattern = [this](const char* group, const QString& title, int x, const char* a, const char* b, int value,
                        void (HeaderTab::*handler)(int), QRadioButton*(&buttons)[2]) {
    auto* box = Make<QGroupBox>(this, group, x, 160, 97, 41);
    box->setTitle(title);
    auto* ra = AddRadio(box, a, tr("A"), 1, 8, 16, 33, 17);
    auto* rb = AddRadio(box, b, tr("B"), 2, 48, 16, 33, 17);
    (value == 1 ? ra : rb)->setChecked(true);
    buttons[0] = ra;
    buttons[1] = rb;
    connect(ra, &QRadioButton::clicked, this, [this, handler] { (this->*handler)(1); });
    connect(rb, &QRadioButton::clicked, this, [this, handler] { (this->*handler)(2); });
  };
  pattern("GroupBox15", tr("Pen"), 704, "RadioButton37", "RadioButton38", settings_.PenPattern,
          &HeaderTab::RadioButton37Click, penButtons_);
  pattern("GroupBox17", tr("Grid Pattern"), 808, "RadioButtonG1", "RadioButtonG2", settings_.GridPattern,
          &HeaderTab::RadioButtonG1Click, gridButtons_);

  // Below the pattern groups, where the block has room.
  CheckBoxAnnotations = Make<QCheckBox>(this, "CheckBoxAnnotations", 704, 208, 201, 17);
  CheckBoxAnnotations->setText(tr("annotations"));
  CheckBoxAnnotations->setToolTip(tr("Print the patient, the recording, the file and the scale in the page's margin"));
  CheckBoxAnnotations->setChecked(settings_.Annotations);
  connect(CheckBoxAnnotations, &QCheckBox::clicked, this, &HeaderTab::CheckBoxAnnotationsClick);
}

void HeaderTab::ShowPrintSettings() {
  ScrollBarP->setValue(settings_.PenWidth);
  ScrollBarM->setValue(settings_.Margin);
  Label142->setText(QString::number(settings_.PenWidth));
  Label144->setText(QString::number(settings_.Margin));
}

void HeaderTab::ShowPageGeometry(const PageGeometry& g) {
  Label140->setText(GeneralFormat(g.UsableHeight));
  Label141->setText(GeneralFormat(g.UsableWidth));
}

void HeaderTab::ScrollBarPChange() {
  settings_.PenWidth = ScrollBarP->value();
  Label142->setText(QString::number(settings_.PenWidth));
}

void HeaderTab::ScrollBarMChange() {
  settings_.Margin = ScrollBarM->value();
  Label144->setText(QString::number(settings_.Margin));
}

void HeaderTab::RadioButton37Click(int tag) { settings_.PenPattern = tag; }
void HeaderTab::RadioButtonG1Click(int tag) { settings_.GridPattern = tag; }

void HeaderTab::CheckBoxAnnotationsClick(bool checked) { settings_.Annotations = checked; }

void HeaderTab::Choose(int penWidth, int margin, int penPattern, int gridPattern, bool annotations) {
  // As a click would, also while the tab is still disabled: the control set,
  // then its handler. The scroll bars keep a value within their range and
  // run their handlers on a change.
  ScrollBarP->setValue(penWidth);
  ScrollBarM->setValue(margin);
  if ((penPattern == 1 || penPattern == 2) && penPattern != settings_.PenPattern) {
    penButtons_[penPattern - 1]->setChecked(true);
    RadioButton37Click(penPattern);
  }
  if ((gridPattern == 1 || gridPattern == 2) && gridPattern != settings_.GridPattern) {
    gridButtons_[gridPattern - 1]->setChecked(true);
    RadioButtonG1Click(gridPattern);
  }
  if (annotations != settings_.Annotations) {
    CheckBoxAnnotations->setChecked(annotations);
    CheckBoxAnnotationsClick(annotations);
  }
}

}  // namespace corvale
