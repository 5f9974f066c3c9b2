// Small widgets standing in for the window toolkit's paint box, directory
// list and drive box.
#pragma once

#include <QAbstractItemModel>
#include <QComboBox>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "gfx/Image.h"

namespace corvale {

/// Shows the image last copied onto it. A copy repaints at once and only shows
/// the image; a paint the system asks for runs the paint handler, if any, which
/// renders again and copies its result here.
class PaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit PaintBox(QWidget* parent = nullptr);

  /// Hands the box the image to show and asks for a paint; every paint shows
  /// the image last handed over. The image must outlive the box or the next copy.
  void CopyImage(const Image& image);
  const Image* ShownImage() const { return image_; }
  std::function<void(QMouseEvent*)> onMouseDown, onMouseMove, onMouseUp;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const Image* image_ = nullptr;
};

/// The directories of the file system as a tree, read lazily: a directory's
/// subdirectories are listed when it is expanded or looked up, from the names
/// and types the directory itself gives, so a directory of many files costs
/// no more than reading its entries once (a general file system model would
/// look up every file, on the window's thread, to leave them out).
class DirectoryTreeModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  /// The directory's absolute path.
  static constexpr int PathRole = Qt::UserRole + 1;

  explicit DirectoryTreeModel(QObject* parent = nullptr);
  ~DirectoryTreeModel() override;

  /// The row of the directory `path`, listing its ancestors as needed; an
  /// invalid index when it is not a directory.
  QModelIndex IndexOf(const QString& path);
  QString PathOf(const QModelIndex& index) const;
  /// Lists the directory again: subdirectories made or removed since show.
  void Refresh(const QModelIndex& index);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  struct Node;
  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOfNode(Node* node) const;
  void Fetch(Node* node);
  std::unique_ptr<Node> root_;  // above the top: its one child is the file system's root
};

/// Directory list: the directories of a volume as a tree, with the current one
/// selected. A click only selects; a double click or Enter opens the selected
/// directory: makes it current (also for the process) and emits
/// directoryChanged.
class DirectoryListBox : public QTreeView {
  Q_OBJECT
 public:
  explicit DirectoryListBox(QWidget* parent = nullptr);
  QString Directory() const { return directory_; }
  /// Makes `path` the current directory and reports the change.
  void SetDirectory(const QString& path);
  /// Moves the selection to `path` without opening it.
  void SelectPath(const QString& path);
  /// Follow the process's current directory (for the hidden output list).
  bool setsProcessDirectory = true;

 Q_SIGNALS:
  void directoryChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OpenSelected();
  DirectoryTreeModel* model_;
  QString directory_;
};

/// Drive box: the mounted volumes; choosing one moves its directory list there.
class DriveComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveComboBox(QWidget* parent = nullptr);
  void Bind(DirectoryListBox* list);
  /// Shows the volume that holds `path`.
  void ShowVolumeOf(const QString& path);

 private:
  DirectoryListBox* list_ = nullptr;
  bool updating_ = false;
};

}  // namespace corvale
