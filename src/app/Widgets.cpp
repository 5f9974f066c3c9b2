// The paint box, the directory list and the drive box.
#include "app/Widgets.h"

#include <QDir>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStorageInfo>

namespace corvale {

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBox::CopyImage(const Image& image) {
  image_ = &image;
  if (inPaintHandler_) return;  // the paint event under way shows it
  copying_ = true;
  repaint();
  copying_ = false;
}

void PaintBox::paintEvent(QPaintEvent*) {
  if (!copying_ && onPaint && !inPaintHandler_) {
    inPaintHandler_ = true;
    onPaint();
    inPaintHandler_ = false;
  }
  QPainter p(this);
  if (image_) p.drawImage(0, 0, image_->Qt());
  else p.fillRect(rect(), Qt::white);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
  if (onMouseDown) onMouseDown(event);
}
void PaintBox::mouseMoveEvent(QMouseEvent* event) {
  if (onMouseMove) onMouseMove(event);
}
void PaintBox::mouseReleaseEvent(QMouseEvent* event) {
  if (onMouseUp) onMouseUp(event);
}

DirectoryListBox::DirectoryListBox(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this)) {
  model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives | QDir::Hidden);
  model_->setRootPath(QString());
  setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) hideColumn(c);
  header()->hide();
  setUniformRowHeights(true);
  connect(this, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    const QString path = model_->filePath(index);
    if (!path.isEmpty() && path != directory_) SetDirectory(path);
  });
  // Activating (double-click, Enter) the current directory reads it again.
  connect(this, &QTreeView::activated, this, [this](const QModelIndex& index) {
    const QString path = model_->filePath(index);
    if (!path.isEmpty()) SetDirectory(path);
  });
  directory_ = QDir::currentPath();
  Select(directory_);
  // The model reads directories in the background and sorts rows as they
  // arrive, which can leave the view's current row on another directory:
  // point it at the current directory again after every load and sort.
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (directory_ == path || directory_.startsWith(path.endsWith(u'/') ? path : path + u'/')) Select(directory_);
  });
  connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { Select(directory_); });
}

void DirectoryListBox::Select(const QString& path) {
  const QModelIndex index = model_->index(path);
  if (!index.isValid()) return;
  setCurrentIndex(index);
  expand(index);
  scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void DirectoryListBox::SetDirectory(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  directory_ = clean;
  if (setsProcessDirectory) QDir::setCurrent(clean);
  Select(clean);
  Q_EMIT directoryChanged();
}

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
    if (volume.isValid() && volume.isReady()) addItem(volume.rootPath());
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (!updating_ && list_ && index >= 0) list_->SetDirectory(itemText(index));
  });
}

void DriveComboBox::Bind(DirectoryListBox* list) {
  list_ = list;
  ShowVolumeOf(list->Directory());
  connect(list, &DirectoryListBox::directoryChanged, this, [this] { ShowVolumeOf(list_->Directory()); });
}

void DriveComboBox::ShowVolumeOf(const QString& path) {
  const QString root = QStorageInfo(path).rootPath();
  updating_ = true;
  int index = findText(root);
  if (index < 0 && !root.isEmpty()) {
    addItem(root);
    index = count() - 1;
  }
  setCurrentIndex(index);
  updating_ = false;
}

}  // namespace corvale
