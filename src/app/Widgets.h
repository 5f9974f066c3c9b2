// Small widgets standing in for the window toolkit's paint box, directory
// list and drive box.
#pragma once

#include <QComboBox>
#include <QFileSystemModel>
#include <QTreeView>
#include <QWidget>
#include <functional>

#include "gfx/Image.h"

namespace corvale {

/// Shows the image last copied onto it. A copy repaints at once and only shows
/// the image; a paint the system asks for runs the paint handler, if any, which
/// renders again and copies its result here.
class PaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit PaintBox(QWidget* parent = nullptr);

  /// Hands the box the image to show and repaints synchronously. The image must
  /// outlive the box or the next copy.
  void CopyImage(const Image& image);
  const Image* ShownImage() const { return image_; }
  /// Runs on paints the system asks for (uncovered, shown, resized).
  std::function<void()> onPaint;
  std::function<void(QMouseEvent*)> onMouseDown, onMouseMove, onMouseUp;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const Image* image_ = nullptr;
  bool copying_ = false;
  bool inPaintHandler_ = false;
};

/// Directory list: the directories of a volume as a tree, with the current one
/// selected. Choosing a directory makes it current (also for the process) and
/// emits directoryChanged.
class DirectoryListBox : public QTreeView {
  Q_OBJECT
 public:
  explicit DirectoryListBox(QWidget* parent = nullptr);
  QString Directory() const { return directory_; }
  /// Makes `path` the current directory and reports the change.
  void SetDirectory(const QString& path);
  /// Follow the process's current directory (for the hidden output list).
  bool setsProcessDirectory = true;

 Q_SIGNALS:
  void directoryChanged();

 private:
  void Select(const QString& path);
  QFileSystemModel* model_;
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
