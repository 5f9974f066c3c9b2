// The main window: it owns the viewer state and the off-screen images, builds
// the menu bar and the three tabs (FileTab, EcgTab, HeaderTab), the header
// labels and the print job, and wires them. The tabs' handlers change the
// state and ask through signals for the operations here (show a record,
// redraw, print, show a message), which run the layers below and put the
// results on the screen.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>

#include "app/MainMenu.h"
#include "app/ViewerState.h"

class QPrinter;
class QTabWidget;

namespace corvale {

class EcgTab;
class FileTab;
class HeaderLabelSet;
class HeaderTab;
class PrintJob;
class TAboutBox;

class TSDIAppForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TSDIAppForm(QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  /// Where the window's messages go; tests replace it to read them.
  std::function<void(QMessageBox::Icon, const QString&)> showMessage;

  ViewerState& State() { return *state_; }
  const Image& TraceImage() const { return images_.trace; }
  const Image& GridImage() const { return images_.grid; }
  const Image& StripImage() const { return images_.strip; }
  const Image& StripGridImage() const { return images_.stripGrid; }
  const Image& OverlayImage() const { return images_.overlay.OverlayImage; }
  TAboutBox* AboutBox() const { return aboutBox_; }
  QPrinter& Printer();

  // Operations the handlers run.
  /// Load, derive, paper, traces: the record at the work list's position.
  void ShowRecord();
  void RenderGrid();
  /// The traces over the paper, the overlay on the main view, the lower view.
  void RenderTraces();
  void ComposeOverlay();
  /// "Analyse": opens the record tabs on the first record of the work list.
  void AnalyseWorkList();

  // Handlers.
  void FormCreate();
  void printout1Click();
  void U1Click();
  void FileExit1Execute();
  void HelpAbout1Execute();

 private:
  void BuildTabs();
  void Wire();
  /// The caption, the names on the "ECG" tab and the header labels of a load.
  void ShowLoadedRecord(const LoadResult& result);
  void Message(QMessageBox::Icon icon, const QString& text);

  std::unique_ptr<ViewerState> state_;
  ScreenImages images_;
  MainMenu menu_;
  QTabWidget* PageControl1 = nullptr;
  FileTab* fileTab_ = nullptr;
  EcgTab* ecgTab_ = nullptr;
  HeaderTab* headerTab_ = nullptr;
  std::unique_ptr<HeaderLabelSet> headerLabels_;
  PrintJob* printJob_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
};

}  // namespace corvale
