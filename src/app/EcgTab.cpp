// The "ECG" tab: its controls, the views, the caliper and output handlers.
#include "app/EcgTab.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <algorithm>

#include "app/Controls.h"
#include "app/DisplayOptions.h"
#include "app/FilterOptions.h"
#include "app/ViewerState.h"
#include "app/Widgets.h"
#include "display/ViewGeometry.h"
#include "output/Export.h"

namespace corvale {
namespace {
constexpr int kLabelFileTop = 4, kLabelFileHeight = 13;
}  // namespace

using G = ViewGeometry;

EcgTab::EcgTab(ViewerState& state, ScreenImages& images, QWidget* parent)
    : QWidget(parent), state_(state), images_(images) {
  setObjectName(QStringLiteral("TabSheet2"));
  BuildLeftColumn();
  options_ = new DisplayOptions(state_.display, this);
  connect(options_, &DisplayOptions::changed, this,
          [this](bool paperToo) { Q_EMIT redrawRequested(paperToo ? Redraw::PaperAndTraces : Redraw::Traces); });

  CheckBoxID = Make<QCheckBox>(this, "CheckBoxID", 8, 864, 81, 17);
  CheckBoxID->setText(tr("delete ID"));
  CheckBoxID->setChecked(state_.output.blankIdentification);
  CheckBoxID->setEnabled(false);
  connect(CheckBoxID, &QCheckBox::toggled, this, [this](bool on) { state_.output.blankIdentification = on; });
  Label147 = AddLabel(this, "Label147", QStringLiteral("0000/0000"), 94, 864, 59, 13);
  Label147->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  BuildViews();
  connect(options_, &DisplayOptions::spanChanged, ScrollBar1,
          [this](bool tenSeconds) { ScrollBar1->setEnabled(!tenSeconds); });
  BuildKeys();
}

void EcgTab::BuildKeys() {
  static_assert(TimeWindowKeyStep == G::GridPitch * G::SamplesPerPixel);
  // Only while the focus is on this tab: the File tab's lists and any text
  // box keep their keys.
  auto key = [this](QKeySequence sequence, bool autoRepeat, auto handler) {
    auto* shortcut = new QShortcut(sequence, this, handler, Qt::WidgetWithChildrenShortcut);
    shortcut->setAutoRepeat(autoRepeat);
  };
  // One record per press: holding the key does not race through the list unseen.
  key(QKeySequence(Qt::Key_PageDown), false, [this] { StepRecord(1); });
  key(QKeySequence(Qt::Key_PageUp), false, [this] { StepRecord(-1); });
  key(QKeySequence(Qt::Key_Right), true, [this] { MoveTimeWindow(TimeWindowKeyStep); });
  key(QKeySequence(Qt::Key_Left), true, [this] { MoveTimeWindow(-TimeWindowKeyStep); });
  key(QKeySequence(Qt::SHIFT | Qt::Key_Right), true, [this] { MoveTimeWindow(TimeWindowShiftKeyStep); });
  key(QKeySequence(Qt::SHIFT | Qt::Key_Left), true, [this] { MoveTimeWindow(-TimeWindowShiftKeyStep); });
  key(QKeySequence(Qt::Key_Escape), false, [this] { CancelPendingPoint(); });
}

void EcgTab::BuildLeftColumn() {
  // The record: its file name, then the patient block (the header labels).
  LabelFile = AddLabel(this, "LabelFile", QStringLiteral("LabelFile"), 8, kLabelFileTop, 145, kLabelFileHeight);
  AddLabel(this, "LabelIdCaption", tr("ID :"), 8, 42, 28, 13);
  CheckBox5 = Make<QCheckBox>(this, "CheckBox5", 136, 72, 17, 17);
  CheckBox5->setChecked(true);
  CheckBox5->hide();
  connect(CheckBox5, &QCheckBox::clicked, this, &EcgTab::CheckBox5Click);

  ScrollBarFile = MakeScrollBar(this, "ScrollBarFile", 8, 96, 145, 17, 0, 100, 0);
  connect(ScrollBarFile, &QScrollBar::valueChanged, this, &EcgTab::ScrollBarFileChange);

  AddLabel(this, "Label10", tr("output filename"), 8, 128, 145, 13)->setEnabled(false);
  EditOut = Make<QLineEdit>(this, "EditOut", 8, 144, 145, 21);
  EditBMP = Make<QLineEdit>(this, "EditBMP", 8, 168, 145, 21);
  EditOut->setText(state_.output.copyName);
  EditBMP->setText(state_.output.bmpName);
  for (QLineEdit* e : {EditOut, EditBMP}) e->setEnabled(false);
  Button2 = MakeButton(this, "Button2", tr("print"), 8, 192, 49, 25);
  Button3 = MakeButton(this, "Button3", tr("BMP"), 64, 192, 41, 25);
  Button4 = MakeButton(this, "Button4", tr("copy"), 112, 192, 41, 25);
  Button3->setEnabled(false);
  Button4->setEnabled(false);
  Button5 = MakeButton(this, "Button5", tr("to Clipboard >>"), 8, 224, 145, 25);
  connect(Button5, &QPushButton::clicked, this, &EcgTab::Button5Click);
  connect(Button2, &QPushButton::clicked, this, &EcgTab::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &EcgTab::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &EcgTab::Button4Click);

  auto speed = [this](const char* objName, const QString& text, int x, int w) {
    auto* b = Make<QToolButton>(this, objName, x, 256, w, 22);
    b->setText(text);
    return b;
  };
  //: Caliper mode on or off
  SpeedButtonS1 = speed("SpeedButtonS1", tr("|<-->|"), 8, 65);
  //: Removes the last caliper measurement
  SpeedButtonS2 = speed("SpeedButtonS2", tr("C"), 80, 33);
  //: Removes every caliper measurement
  SpeedButtonS3 = speed("SpeedButtonS3", tr("AC"), 120, 33);
  connect(SpeedButtonS1, &QToolButton::clicked, this, &EcgTab::SpeedButtonS1Click);
  connect(SpeedButtonS2, &QToolButton::clicked, this, &EcgTab::SpeedButtonS2Click);
  connect(SpeedButtonS3, &QToolButton::clicked, this, &EcgTab::SpeedButtonS3Click);

  // Automatic measurements: row title and unit around each value label (the
  // values, and the RV5/RV6 row's title, are header labels).
  struct Row {
    const char* captionName;
    const char* caption;
    const char* unit;
  };
  const Row rows[] = {{"LabelHrCaption", QT_TR_NOOP("HR :"), QT_TR_NOOP("bpm")},
                      {"LabelRrCaption", QT_TR_NOOP("RR :"), QT_TR_NOOP("ms")},
                      {"LabelPrCaption", QT_TR_NOOP("PR :"), QT_TR_NOOP("ms")},
                      {"LabelQrsCaption", QT_TR_NOOP("QRS :"), QT_TR_NOOP("ms")},
                      {"LabelAxisCaption", QT_TR_NOOP("AXIS :"), QT_TR_NOOP("deg")},
                      {"LabelQtCaption", QT_TR_NOOP("QT :"), QT_TR_NOOP("ms")},
                      {"LabelQtcCaption", QT_TR_NOOP("QTc :"), QT_TR_NOOP("ms")},
                      {"LabelSv1Caption", QT_TR_NOOP("SV1 :"), QT_TR_NOOP("mV")},
                      {"LabelV5V6Caption", QT_TR_NOOP("V5/V6 :"), ""},
                      {nullptr, nullptr, QT_TR_NOOP("mV")}};
  for (int r = 0; r < static_cast<int>(std::size(rows)); ++r) {
    const int y = 288 + 16 * r;
    if (rows[r].caption) AddLabel(this, rows[r].captionName, tr(rows[r].caption), 8, y, 64, 13);
    if (*rows[r].unit) AddLabel(this, "", tr(rows[r].unit), 124, y, 30, 13);
  }

  // Print status, hidden in the colour group's place until a job runs.
  ProgressBar1 = Make<QProgressBar>(this, "ProgressBar1", 8, 448, 150, 17);
  ProgressBar1->setRange(0, PrintProgressMax);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  Label148 = AddLabel(this, "Label148", tr("印刷中"), 32, 467, 110, 26);
  QFont status(QStringLiteral("ＭＳ ゴシック"));
  status.setPixelSize(24);
  status.setBold(true);
  Label148->setFont(status);
  Label148->setStyleSheet(QStringLiteral("color: #FF0000"));
  Label148->hide();
}

void EcgTab::BuildViews() {
  // The main view over the lower view, the time window's scroll bar under both.
  auto* views = Make<QWidget>(this, "PanelViews", 162, 0, 1046, 882);
  PaintBox1 = Make<PaintBox>(views, "PaintBox1", 2, 2, G::ViewWidth, G::MainViewHeight);
  PaintBox1->setMouseTracking(true);
  // Under fractional scaling positions have fractions: truncated, as every
  // coordinate of the display is (toPoint() would round x = 100.6 to 101).
  PaintBox1->onMouseDown = [this](QMouseEvent* e) {
    PaintBox1MouseDown(e->button(), e->modifiers(), static_cast<int>(e->position().x()),
                       static_cast<int>(e->position().y()));
  };
  PaintBox1->onMouseMove = [this](QMouseEvent* e) {
    PaintBox1MouseMove(static_cast<int>(e->position().x()), static_cast<int>(e->position().y()));
  };
  PaintBox1->onMouseUp = [this](QMouseEvent* e) { PaintBox1MouseUp(e->button()); };
  PaintBox2 = Make<PaintBox>(views, "PaintBox2", 2, 2 + G::MainViewHeight, G::ViewWidth, G::StripViewHeight);
  // The filter lists share the time window's row, right of its scroll bar:
  // the one free place on the tab. They are the page's, centred on the row,
  // as a list is taller than the scroll bar and the views' panel ends under it.
  constexpr int kRowLeft = 1, kRowTop = 864, kRowWidth = 1044, kRowHeight = 17, kListHeight = 22;
  const QPoint origin = views->pos();
  filters_ = new FilterOptions(
      state_, this,
      QRect(origin.x() + kRowLeft, origin.y() + kRowTop - (kListHeight - kRowHeight) / 2, kRowWidth, kListHeight));
  connect(filters_, &FilterOptions::changed, this, [this] { Q_EMIT redrawRequested(Redraw::Signal); });
  timeBarWidth_ = filters_->Left() - origin.x() - 8 - kRowLeft;
  ScrollBar1 = MakeScrollBar(views, "ScrollBar1", kRowLeft, kRowTop, timeBarWidth_, kRowHeight, 0, G::LastTimeOffset,
                             state_.display.TimeOffset);
  LabelRecordNotes = AddLabel(views, "LabelRecordNotes", QString(), kRowLeft, kRowTop, 0, kRowHeight);
  LabelRecordNotes->setStyleSheet(QStringLiteral("color: #B00000"));
  LabelRecordNotes->hide();
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &EcgTab::ScrollBar1Change);
}

// ---------------------------------------------------------------- showing state

void EcgTab::ShowRecordNames(const RecordNames& names) {
  LabelFile->setText(names.labelFile);
  // The 13-pixel box is shorter than a line of the window's font, whose
  // descent (an underscore) it would cut off: the label is a line tall, its
  // text drawn where the box put it.
  const int line = LabelFile->fontMetrics().height();
  if (line > kLabelFileHeight) {
    const int textTop = kLabelFileTop + (kLabelFileHeight - line) / 2;
    LabelFile->setGeometry(LabelFile->x(), textTop, LabelFile->width(), line);
  }
  EditOut->setText(state_.output.copyName);
  EditBMP->setText(state_.output.bmpName);
  Label147->setText(names.label147);
}

void EcgTab::ShowRecordNotes(const QStringList& notes) {
  // The notes take the right part of the scroll bar's place, leaving the bar
  // 100 px; a longer text is cut, and whole in the tool tip.
  const QString all = notes.join(QStringLiteral("; "));
  const QFontMetrics metrics(LabelRecordNotes->font());
  const int width = std::min(metrics.horizontalAdvance(all) + 8, timeBarWidth_ - 100);
  const int bar = notes.isEmpty() ? timeBarWidth_ : timeBarWidth_ - width;
  ScrollBar1->resize(bar, ScrollBar1->height());
  LabelRecordNotes->setGeometry(ScrollBar1->x() + bar, ScrollBar1->y(), width, ScrollBar1->height());
  LabelRecordNotes->setText(metrics.elidedText(all, Qt::ElideRight, width - 8));
  LabelRecordNotes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  LabelRecordNotes->setToolTip(notes.join(u'\n'));
  LabelRecordNotes->setVisible(!notes.isEmpty());
}

void EcgTab::StartStepping(int count) {
  ScrollBarFile->setMaximum(count - 1);
  ScrollBarFile->setValue(0);
}

void EcgTab::ShowMain(const Image& image) { PaintBox1->CopyImage(image); }
void EcgTab::ShowStrip(const Image& image) { PaintBox2->CopyImage(image); }

void EcgTab::ShowPrintStatus(bool running) {
  options_->ColourGroup()->setVisible(!running);
  Label148->setVisible(running);
  ProgressBar1->setVisible(running);
}

void EcgTab::ShowPrintProgress(int position) { ProgressBar1->setValue(position); }

// ---------------------------------------------------------------- record and views

void EcgTab::ScrollBarFileChange() {
  state_.study.current = ScrollBarFile->value();
  Q_EMIT recordChanged();
}

void EcgTab::ScrollBar1Change() {
  state_.display.TimeOffset = ScrollBar1->value();
  Q_EMIT redrawRequested(Redraw::Traces);
}

void EcgTab::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  TakeFocusLeftBehind();
}

void EcgTab::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // "Analyse" shows the tab before it enables it.
  if (event->type() == QEvent::EnabledChange) TakeFocusLeftBehind();
}

void EcgTab::TakeFocusLeftBehind() {
  if (!isVisible() || !isEnabled()) return;
  if (!isAncestorOf(window()->focusWidget())) setFocus(Qt::OtherFocusReason);
}

void EcgTab::StepRecord(int delta) {
  // The scroll bar clamps at the ends and, when it moves, shows the record.
  if (ScrollBarFile->isEnabled()) ScrollBarFile->setValue(ScrollBarFile->value() + delta);
}

void EcgTab::MoveTimeWindow(int samples) {
  if (ScrollBar1->isEnabled()) ScrollBar1->setValue(ScrollBar1->value() + samples);
}

void EcgTab::CancelPendingPoint() {
  if (state_.caliper.AnchorPending) SpeedButtonS2Click();
}

// ---------------------------------------------------------------- calipers

void EcgTab::ShowCaliperPicture(const Picture& picture) {
  QPalette palette = SpeedButtonS1->palette();
  const Color c = CaliperButtonColor(state_.caliper);
  palette.setColor(QPalette::ButtonText, QColor(RedOf(c), GreenOf(c), BlueOf(c)));
  SpeedButtonS1->setPalette(palette);
  Present(picture, state_.measurements, images_.trace, images_.overlay);
}

void EcgTab::PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
  const MouseButton b = button == Qt::LeftButton    ? MouseButton::Left
                        : button == Qt::RightButton ? MouseButton::Right
                                                    : MouseButton::Middle;
  const bool remove = modifiers & (Qt::ShiftModifier | Qt::AltModifier);
  ShowCaliperPicture(PointerPressed(state_.measurements, state_.caliper, b, remove, x, y));
}

void EcgTab::PaintBox1MouseMove(int x, int y) {
  ShowCaliperPicture(PointerMoved(state_.measurements, state_.caliper, x, y));
}

void EcgTab::PaintBox1MouseUp(Qt::MouseButton button) {
  PointerReleased(state_.caliper, button == Qt::LeftButton ? MouseButton::Left : MouseButton::Middle);
}

void EcgTab::SpeedButtonS1Click() { ShowCaliperPicture(ToggleCaliperMode(state_.measurements, state_.caliper)); }
void EcgTab::SpeedButtonS2Click() { ShowCaliperPicture(RemoveLastMeasurement(state_.measurements, state_.caliper)); }
void EcgTab::SpeedButtonS3Click() { ShowCaliperPicture(ClearMeasurements(state_.measurements, state_.caliper)); }

void EcgTab::CheckBox5Click() {
  Q_EMIT redrawRequested(Redraw::Traces);
  Q_EMIT redrawRequested(Redraw::Overlay);
}

// ---------------------------------------------------------------- output

void EcgTab::Button2Click() { Q_EMIT printRequested(); }

std::optional<QString> EcgTab::NoRecordToExport() const { return OutputRefusal(OutputStateOf(state_)); }

void EcgTab::Button5Click() {
  if (const auto refusal = NoRecordToExport()) {
    Q_EMIT message(QMessageBox::Warning, *refusal);
    return;
  }
  CopyImageToClipboard(images_.trace);
  Q_EMIT message(QMessageBox::Information, tr("ファイルをクリップボードへ転送しました。"));
}

void EcgTab::Button3Click() {
  if (const auto refusal = NoRecordToExport()) {
    Q_EMIT message(QMessageBox::Warning, *refusal);
    return;
  }
  const QString path = OutputFilePath(state_.output.directory, state_.output.bmpName);
  if (const auto error = SaveBmp(images_.trace, path, state_.shown->path)) {
    Q_EMIT message(QMessageBox::Warning, tr("The BMP file was not saved.\n%1").arg(error->Describe()));
    return;
  }
  Q_EMIT message(QMessageBox::Information, tr("ＢＭＰファイルを出力しました。"));
}

void EcgTab::Button4Click() {
  if (const auto refusal = NoRecordToExport()) {
    Q_EMIT message(QMessageBox::Warning, *refusal);
    return;
  }
  const QString path = OutputFilePath(state_.output.directory, state_.output.copyName);
  const QString& source = state_.shown->path;
  SetLiteralWindowTitle(window(), source);
  if (const auto error = CopyRecordFile(state_.record, state_.output.blankIdentification, path, source)) {
    Q_EMIT message(QMessageBox::Warning, tr("The record was not copied.\n%1").arg(error->Describe()));
    return;
  }
  Q_EMIT message(QMessageBox::Information, tr("ファイルをコピーしました。"));
}

}  // namespace corvale
