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
#include <optional>

#include "app/CommandLine.h"
#include "app/MainMenu.h"
#include "app/Settings.h"
#include "app/ViewerState.h"
#include "display/TraceLayout.h"

class QPrinter;
class QScreen;
class QSettings;
class QTabWidget;

namespace corvale {

class EcgTab;
class FiducialMarksOption;
class FileTab;
class HeaderLabelSet;
class HeaderTab;
class PrintJob;
class RecordFiles;
class TAboutBox;

/// Where the window goes on a screen whose free area is `available`: its
/// `design` size when that fits (room left for the frame the window system
/// adds), else as much as fits, with the content scrolled inside; its top-left
/// at `wanted` (or centred) but never off the area, so the menu bar and the
/// tabs can always be reached.
struct WindowPlacement {
  QPoint topLeft;
  QSize size;
  bool scrolls = false;
};
WindowPlacement PlaceWindow(QSize design, const QRect& available, std::optional<QPoint> wanted = std::nullopt);

class TSDIAppForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TSDIAppForm(QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  /// How a message reaches the user. Modal: a box the user answers before
  /// going on. Notice: a box that leaves the control in use alone (the record
  /// scroll bar keeps its mouse button): shown once the current event is done,
  /// in one box until dismissed; a later notice adds its lines to the box's
  /// (none is lost), and a box longer than a screenful counts the rest.
  enum class MessageKind { Modal, Notice };
  /// Where the window's modal messages and its notices go; tests replace
  /// them to read them.
  std::function<void(QMessageBox::Icon, const QString&)> showMessage, showNotice;
  /// What those do unless replaced: the window's one way to show a box.
  void ShowMessageBox(MessageKind kind, QMessageBox::Icon icon, const QString& text);

  /// Sizes and places the window on `screen` (PlaceWindow); the constructor
  /// does it for the primary screen. The fixed-size tabs go into a scroll area
  /// when the screen is smaller.
  void FitOnScreen(const QScreen& screen);

  ViewerState& State() { return *state_; }
  const Image& TraceImage() const { return images_.trace; }
  const Image& GridImage() const { return images_.grid; }
  const Image& StripImage() const { return images_.strip; }
  const Image& StripGridImage() const { return images_.stripGrid; }
  const Image& OverlayImage() const { return images_.overlay.OverlayImage; }
  TAboutBox* AboutBox() const { return aboutBox_; }
  /// Open, drop and export, with their file dialogs.
  RecordFiles& Files() const { return *recordFiles_; }
  QPrinter& Printer();

  // Operations the handlers run.
  /// Load, derive, paper, traces: the record at the work list's position.
  void ShowRecord();
  void RenderGrid();
  /// The traces over the paper, the overlay on the main view, the lower view.
  void RenderTraces();
  /// RenderTraces in two steps: the traces over the paper, then the marks, the
  /// overlay and the lower view.
  TraceLayout DrawTraces();
  void FinishTraces(const TraceLayout& layout);
  void ComposeOverlay();
  /// "Analyse": opens the record tabs on the first record of the work list.
  void AnalyseWorkList();

  // Handlers.
  void FormCreate();
  void printout1Click();
  void U1Click();
  void FileExit1Execute();
  void HelpAbout1Execute();
  void printPreview1Click();
  void FileOpen1Execute();
  void FileExport1Execute();
  /// Chosen or dropped paths, opened as a command line's are (OpenRequest).
  void OpenPaths(const QStringList& paths);

  // Start-up and remembered settings.
  /// Reads `store`, applies what it holds, and writes the settings back to
  /// it on close and after a printer is chosen. Returns what it read.
  ViewerSettings UseSettings(QSettings& store);
  /// Sets the controls as the user's clicks would, so the same handlers run.
  void ApplySettings(const ViewerSettings& settings);
  ViewerSettings CurrentSettings() const;
  /// Writes the current settings to the store given to UseSettings, if any.
  void SaveSettings();
  /// Opens what the command line asks for: a directory read as if chosen in
  /// the tree, or files in the work list, analysed, the first one shown.
  /// Without a request `defaultDirectory` is read (empty: the current
  /// directory stays unread). Paths that cannot be opened are told in a notice.
  void OpenAtStart(const StartRequest& request, const QString& defaultDirectory);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void Notice(const QString& text);

  void OpenFiles(const QStringList& files);

  void BuildTabs();
  void Wire();
  /// The caption, the names on the "ECG" tab and the header labels of a load
  /// (the measured values come after, when the measuring is done).
  void ShowLoadedRecord(const LoadResult& result);
  void Message(QMessageBox::Icon icon, const QString& text, MessageKind kind = MessageKind::Modal);
  /// Puts the notices that came since on its box, made once and reused: added
  /// to what it says while it is on the screen, a screenful at most.
  void ShowNotice();

  std::unique_ptr<ViewerState> state_;
  ScreenImages images_;
  MainMenu menu_;
  QTabWidget* PageControl1 = nullptr;
  FileTab* fileTab_ = nullptr;
  EcgTab* ecgTab_ = nullptr;
  FiducialMarksOption* marksOption_ = nullptr;
  HeaderTab* headerTab_ = nullptr;
  std::unique_ptr<HeaderLabelSet> headerLabels_;
  PrintJob* printJob_ = nullptr;
  RecordFiles* recordFiles_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
  QMessageBox* notice_ = nullptr;
  struct PendingNotice {
    QMessageBox::Icon icon;
    QStringList lines;
  };
  std::optional<PendingNotice> pendingNotice_;
  QStringList noticeLines_;  // what the notice on the screen says, in full
  QSettings* settingsStore_ = nullptr;
  QString rememberedDirectory_;  // from the settings, until a directory is read
  bool directoryRead_ = false;
};

}  // namespace corvale
