// The "ECG" tab: the record's name and position in the work list, the output
// names, the print, export and clipboard buttons, the caliper buttons, the
// measurement rows, the print status, the display options (DisplayOptions)
// and the two views with the time window's scroll bar. Its handlers change
// the viewer state and ask the main window, through signals, for what needs
// the whole record: another record, a redraw, a print job, a message.
#pragma once

#include <QMessageBox>
#include <QWidget>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace corvale {

class DisplayOptions;
class FilterOptions;
class Image;
class PaintBox;
struct Picture;
struct RecordNames;
struct ScreenImages;
struct ViewerState;

class EcgTab : public QWidget {
  Q_OBJECT
 public:
  /// Builds the tab's controls on itself; `parent` gives them the window's font.
  EcgTab(ViewerState& state, ScreenImages& images, QWidget* parent);

  /// What a change asks the main window to draw again.
  /// Signal: the shown signal itself (the filters), and so everything drawn from it.
  enum class Redraw { Overlay, Traces, PaperAndTraces, Signal };

  // Handlers.
  void ScrollBarFileChange();
  void ScrollBar1Change();
  void PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void PaintBox1MouseMove(int x, int y);
  void PaintBox1MouseUp(Qt::MouseButton button);
  void SpeedButtonS1Click();
  void SpeedButtonS2Click();
  void SpeedButtonS3Click();
  void CheckBox5Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();

  // Keys on the tab. Page Down / Page Up step through the work list as the
  // record scroll bar does; Left / Right move the 5 s window by one small
  // square of the paper (Shift: one second), idle in 10 s mode as its scroll
  // bar is; Escape drops a pending first caliper point.
  static constexpr int TimeWindowKeyStep = 20;        // 1 mm: 4 px of 5 samples
  static constexpr int TimeWindowShiftKeyStep = 500;  // 1 s: 25 mm
  void StepRecord(int delta);
  void MoveTimeWindow(int samples);
  void CancelPendingPoint();

  DisplayOptions& Options() const { return *options_; }
  FilterOptions& Filters() const { return *filters_; }

  /// The names of the record being shown and its place in the work list.
  void ShowRecordNames(const RecordNames& names);
  /// What the reader made up for what the file lacks (derived leads) and its
  /// doubts (a checksum that disagrees), beside the time window's scroll bar;
  /// nothing shows when there are none.
  void ShowRecordNotes(const QStringList& notes);
  /// "Analyse": the record scroll bar spans the work list and goes to its start.
  void StartStepping(int count);
  /// Copies an image onto the main view or the lower view.
  void ShowMain(const Image& image);
  void ShowStrip(const Image& image);
  /// The print status takes the colour group's place while a job runs.
  void ShowPrintStatus(bool running);
  void ShowPrintProgress(int position);

 Q_SIGNALS:
  /// The record scroll bar moved: show the record at study.current.
  void recordChanged();
  void redrawRequested(Redraw what);
  void printRequested();
  void message(QMessageBox::Icon icon, const QString& text);

 private:
  void BuildLeftColumn();
  void BuildViews();
  void BuildKeys();
  /// The tab's keys need the focus on it: when the tab comes up the focus
  /// may still be on the File tab's hidden controls or on the tab bar, where
  /// Left and Right would change the tab.
  void TakeFocusLeftBehind();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  /// Shows what a caliper handler left and the caliper button's colour.
  void ShowCaliperPicture(const Picture& picture);
  /// Why the output buttons may not act: OutputRefusal's answer.
  std::optional<QString> NoRecordToExport() const;

  ViewerState& state_;
  ScreenImages& images_;
  DisplayOptions* options_ = nullptr;
  FilterOptions* filters_ = nullptr;
  QLabel *LabelFile = nullptr, *Label147 = nullptr, *Label148 = nullptr, *LabelRecordNotes = nullptr;
  int timeBarWidth_ = 0;  // the time window's scroll bar without notes beside it
  QScrollBar *ScrollBarFile = nullptr, *ScrollBar1 = nullptr;
  QLineEdit *EditOut = nullptr, *EditBMP = nullptr;
  QPushButton *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr;
  QToolButton *SpeedButtonS1 = nullptr, *SpeedButtonS2 = nullptr, *SpeedButtonS3 = nullptr;
  QCheckBox *CheckBoxID = nullptr, *CheckBox5 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  PaintBox *PaintBox1 = nullptr, *PaintBox2 = nullptr;
};

}  // namespace corvale
