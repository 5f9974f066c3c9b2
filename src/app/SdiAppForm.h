// The main window: its controls, the viewer state it owns, and the handlers,
// each of which only calls operations of the layers below and updates widgets.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <map>
#include <optional>
#include <memory>

#include "display/DisplayState.h"
#include "gfx/Image.h"
#include "measure/Calipers.h"
#include "measure/Overlay.h"
#include "record/LeadArrays.h"
#include "record/RecordFormat.h"

#include <QPrinter>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QToolButton;

namespace corvale {

class DirectoryListBox;
class DriveComboBox;
class PaintBox;
class TAboutBox;

/// Printer settings kept as integers (pen width and margin live in their scroll bars).
struct PrintPatterns {
  int PenPattern = 2;   // 1 = A, 2 = B
  int GridPattern = 2;  // 1 = A, 2 = B
};

/// Everything the viewer knows, owned by the window for the whole run.
struct ViewerState {
  RecordImage record;
  LeadArrays leads;
  DisplayState display;
  MeasurementList measurements;
  CaliperState caliper;
  PrintPatterns print;
  int printedPageCount = 1;
};

class TSDIAppForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TSDIAppForm(QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  /// Where the window's messages go; tests replace it to read them.
  std::function<void(QMessageBox::Icon, const QString&)> showMessage;

  ViewerState& State() { return *state_; }
  const Image& TraceImage() const { return trace_; }
  const Image& GridImage() const { return grid_; }
  const Image& StripImage() const { return strip_; }
  const Image& StripGridImage() const { return stripGrid_; }
  const Image& OverlayImage() const { return overlay_.OverlayImage; }
  TAboutBox* AboutBox() const { return aboutBox_; }

  // Operations the handlers run.
  void ShowRecord();
  enum class LoadOutcome { Loaded, Unreadable, NoEntry };
  /// Reads the work-list entry at ScrollBarFile's position into the record and
  /// the labels. An unreadable file leaves a zero record and the design
  /// captions; with no such entry nothing changes.
  LoadOutcome LoadRecord();
  void RenderGrid();
  void RenderTraces();
  void ComposeOverlay();
  /// Appends the record files of `directory` to ListBox1: .nrm, then .msd.
  void ScanDirectory(const QString& directory);

  // Handlers.
  void FormCreate();
  void DirectoryListBox1Change();
  void Button1Click();
  void ButtonAddClick();
  void ButtonDeleteClick();
  void ButtonAnalyseClick();
  void ScrollBarFileChange();
  void RadioButton1Click(int tag);
  void RadioButtonCol1Click(int tag);
  void ScrollBar1Change();
  void RadioButtonR1Click(int tag);
  void RadioButtonD1Click(int tag);
  void PaintBox1Paint();
  void PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void PaintBox1MouseMove(int x, int y);
  void PaintBox1MouseUp(Qt::MouseButton button);
  void SpeedButtonS1Click();
  void SpeedButtonS2Click();
  void SpeedButtonS3Click();
  void CheckBox5Click();
  void Button5Click();
  void Button3Click();
  void Button4Click();
  void printout1Click();
  void Button2Click();
  void U1Click();
  /// Shows the print status, disables the window, prints, and always restores both.
  void RunPrintJob();
  /// Prints the shown record on `printer`; an error text when it could not.
  std::optional<QString> PrintRecordPage(QPrinter& printer);
  QPrinter& Printer() { return printer_; }
  void ScrollBarPChange();
  void ScrollBarMChange();
  void RadioButton37Click(int tag);
  void RadioButtonG1Click(int tag);
  void FileExit1Execute();
  void HelpAbout1Execute();

 private:
  void BuildMenus();
  void BuildFileTab(QWidget* page);
  void BuildEcgTab(QWidget* page);
  void BuildHeaderTab(QWidget* page);
  QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w = 0, int h = 0);
  QRadioButton* AddRadio(QWidget* parent, const char* name, const QString& text, int tag, int x, int y, int w, int h);
  void SetListButtonsEnabled(bool enabled);
  void MoveSelectedItems(QListWidget* from, QListWidget* to);
  void RestoreDesignCaptions();
  void Message(QMessageBox::Icon icon, const QString& text);
  /// Shows what a caliper handler left and the caliper button's colour.
  void ShowCaliperPicture(const Picture& picture);

  std::unique_ptr<ViewerState> state_;
  Image trace_, grid_, strip_, stripGrid_;
  Overlay overlay_;
  quint64 scanGeneration_ = 0;
  QString loadError_;
  QString recordPath_;  // the record last loaded
  bool analysed_ = false;
  QPrinter printer_{QPrinter::HighResolution};
  std::map<QString, QLabel*> headerLabels_;
  std::map<QString, QString> designCaptions_;
  TAboutBox* aboutBox_ = nullptr;

 public:
  // Controls, by their design names.
  QTabWidget* PageControl1 = nullptr;
  QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
  DriveComboBox *DriveComboBox1 = nullptr, *DriveComboBox2 = nullptr;
  DirectoryListBox *DirectoryListBox1 = nullptr, *DirectoryListBox2 = nullptr;
  QListWidget *ListBox1 = nullptr, *ListBox2 = nullptr;
  QPushButton *Button1 = nullptr, *ButtonAdd = nullptr, *ButtonDelete = nullptr, *ButtonAnalyse = nullptr;
  QPushButton *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr;
  QToolButton *SpeedButtonS1 = nullptr, *SpeedButtonS2 = nullptr, *SpeedButtonS3 = nullptr;
  QScrollBar *ScrollBarFile = nullptr, *ScrollBar1 = nullptr, *ScrollBarP = nullptr, *ScrollBarM = nullptr;
  QLineEdit *EditOut = nullptr, *EditBMP = nullptr;
  QCheckBox *CheckBoxID = nullptr, *CheckBox5 = nullptr;
  QLabel *LabelFile = nullptr, *Label147 = nullptr, *Label148 = nullptr, *Label140 = nullptr, *Label141 = nullptr,
         *Label142 = nullptr, *Label144 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QGroupBox *GroupBox13 = nullptr, *GroupBoxDisplay = nullptr, *GroupBoxLimb = nullptr;
  PaintBox *PaintBox1 = nullptr, *PaintBox2 = nullptr;
  QAction *FileNew1 = nullptr, *FileOpen1 = nullptr, *FileSave1 = nullptr, *FileSaveAs1 = nullptr,
          *printout1 = nullptr, *U1 = nullptr, *FileExit1 = nullptr, *HelpAbout1 = nullptr;
};

}  // namespace corvale
