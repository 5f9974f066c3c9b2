// The "File" tab: the input directory, the record files it holds, the work
// list and "Analyse". It owns the study lists of the viewer state (the two
// list boxes show them) and the scan of a directory.
#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace corvale {

class DirectoryListBox;
class DriveComboBox;
struct ViewerState;

class FileTab : public QWidget {
  Q_OBJECT
 public:
  /// Builds the tab's controls on itself; `parent` gives them the window's font.
  FileTab(ViewerState& state, QWidget* parent);

  // Handlers.
  void DirectoryListBox1Change();
  void Button1Click();
  void ButtonAddClick();
  void ButtonDeleteClick();
  void ButtonAnalyseClick();

  /// Appends the record files of `directory` to the found list: the .nrm
  /// files, then the .msd files, each group in name order.
  void ScanDirectory(const QString& directory);

  /// The item data role holding a listed file name's exact bytes.
  static constexpr int NativeNameRole = Qt::UserRole + 1;
  /// Where the keyboard starts: Enter reads the current directory.
  QWidget* FirstFocus() const;
  /// Reads `path` as if it were chosen in the directory tree.
  void OpenDirectory(const QString& path);
  /// Appends to the work list. A bare name of the current directory leaves
  /// the found list as "Add >>" moves it; a file of another directory is
  /// given by its absolute path and keeps it.
  void AddToWorkList(const QStringList& entries);

 Q_SIGNALS:
  /// "Analyse": the window opens the viewer on the first record of the work list.
  void analyseRequested();

 private:
  void SetListButtonsEnabled(bool enabled);
  void MoveSelected(QListWidget* from, QStringList& fromNames, QListWidget* to, QStringList& toNames);

  ViewerState& state_;
  quint64 scanGeneration_ = 0;
  DriveComboBox *DriveComboBox1 = nullptr, *DriveComboBox2 = nullptr;
  DirectoryListBox *DirectoryListBox1 = nullptr, *DirectoryListBox2 = nullptr;
  QListWidget *ListBox1 = nullptr, *ListBox2 = nullptr;
  QLabel* LabelScanNote = nullptr;  // what the scan could not list, under the found list
  QPushButton *Button1 = nullptr, *ButtonAdd = nullptr, *ButtonDelete = nullptr, *ButtonAnalyse = nullptr;
};

}  // namespace corvale
