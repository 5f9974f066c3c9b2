// The paint box, the directory list and the drive box.
#include "app/Widgets.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QStorageInfo>
#include <QStringDecoder>
#include <algorithm>

#include "record/RecordName.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace corvale {

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void PaintBox::CopyImage(const Image& image) {
  image_ = &image;
  update();
}

void PaintBox::paintEvent(QPaintEvent*) {
  // Only what was handed over: the pictures are drawn when their inputs
  // change, never because the system asks for a paint.
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

// ---------------------------------------------------------------- directory tree

struct DirectoryTreeModel::Node {
  QString name;  // as shown; the file system's root shows its path
  QString path;  // absolute, clean
  Node* parent = nullptr;
  int row = 0;                                  // among its parent's children
  std::vector<std::unique_ptr<Node>> children;  // in name order
  bool listed = false;
};

namespace {

// The names of the subdirectories of `path`, in name order. Only names the
// system's encoding can spell are kept: a path is held as text, so a
// directory whose name it cannot spell could not be opened by it.
QStringList SubdirectoryNames(const QString& path) {
  QStringList names;
#ifdef Q_OS_UNIX
  DIR* dir = ::opendir(QFile::encodeName(path).constData());
  if (!dir) return names;
  QStringDecoder decode(QStringDecoder::System, QStringDecoder::Flag::Stateless);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    // The type the directory gives; only links and file systems that do not
    // say are asked, so the files of a large directory cost nothing more.
    bool isDirectory = false;
#ifdef _DIRENT_HAVE_D_TYPE
    if (entry->d_type == DT_DIR) isDirectory = true;
    else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
#endif
    {
      struct stat st {};
      isDirectory = ::fstatat(::dirfd(dir), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    if (!isDirectory) continue;
    QString text = decode(QByteArrayView(name));
    if (decode.hasError()) {
      decode.resetState();
      continue;
    }
    names << text;
  }
  ::closedir(dir);
#else
  names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
#endif
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return CompareFileNames(a, b) < 0; });
  return names;
}

QString ChildPath(const QString& parent, const QString& name) {
  return parent.endsWith(u'/') ? parent + name : parent + u'/' + name;
}

}  // namespace

DirectoryTreeModel::DirectoryTreeModel(QObject* parent) : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {
  auto top = std::make_unique<Node>();
  top->name = top->path = QDir::rootPath();
  top->parent = root_.get();
  root_->children.push_back(std::move(top));
  root_->listed = true;
}

DirectoryTreeModel::~DirectoryTreeModel() = default;

DirectoryTreeModel::Node* DirectoryTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex DirectoryTreeModel::IndexOfNode(Node* node) const {
  if (!node || node == root_.get()) return {};
  return createIndex(node->row, 0, node);
}

QModelIndex DirectoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const Node* node = NodeOf(parent);
  if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
  return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex DirectoryTreeModel::parent(const QModelIndex& child) const {
  return child.isValid() ? IndexOfNode(NodeOf(child)->parent) : QModelIndex();
}

int DirectoryTreeModel::rowCount(const QModelIndex& parent) const {
  return static_cast<int>(NodeOf(parent)->children.size());
}

int DirectoryTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant DirectoryTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole: return node->name;
    case PathRole: return node->path;
    case Qt::DecorationRole: {
      static const QIcon folder = QFileIconProvider().icon(QFileIconProvider::Folder);
      return folder;
    }
    default: return {};
  }
}

bool DirectoryTreeModel::hasChildren(const QModelIndex& parent) const {
  const Node* node = NodeOf(parent);
  return !node->listed || !node->children.empty();
}

bool DirectoryTreeModel::canFetchMore(const QModelIndex& parent) const { return !NodeOf(parent)->listed; }

void DirectoryTreeModel::fetchMore(const QModelIndex& parent) { Fetch(NodeOf(parent)); }

void DirectoryTreeModel::Fetch(Node* node) {
  if (node->listed) return;
  node->listed = true;
  const QStringList names = SubdirectoryNames(node->path);
  if (names.isEmpty()) return;
  beginInsertRows(IndexOfNode(node), 0, static_cast<int>(names.size()) - 1);
  for (const QString& name : names) {
    auto child = std::make_unique<Node>();
    child->name = name;
    child->path = ChildPath(node->path, name);
    child->parent = node;
    child->row = static_cast<int>(node->children.size());
    node->children.push_back(std::move(child));
  }
  endInsertRows();
}

void DirectoryTreeModel::Refresh(const QModelIndex& index) {
  Node* node = NodeOf(index);
  if (!node->listed || node == root_.get()) return;
  const QStringList names = SubdirectoryNames(node->path);
  auto& children = node->children;
  // Gone first, then the new ones at their places in name order; the rows
  // that stay keep their expansion and selection.
  auto renumber = [&] {
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->row = static_cast<int>(i);
  };
  const QSet<QString> present(names.begin(), names.end());
  for (int i = static_cast<int>(children.size()) - 1; i >= 0; --i) {
    if (present.contains(children[static_cast<std::size_t>(i)]->name)) continue;
    beginRemoveRows(index, i, i);
    children.erase(children.begin() + i);
    renumber();
    endRemoveRows();
  }
  std::size_t at = 0;
  for (const QString& name : names) {
    if (at < children.size() && children[at]->name == name) {
      ++at;
      continue;
    }
    beginInsertRows(index, static_cast<int>(at), static_cast<int>(at));
    auto child = std::make_unique<Node>();
    child->name = name;
    child->path = ChildPath(node->path, name);
    child->parent = node;
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), std::move(child));
    renumber();
    endInsertRows();
    ++at;
  }
}

QModelIndex DirectoryTreeModel::IndexOf(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  Node* node = root_->children.front().get();
  const QString top = node->path;
  if (!clean.startsWith(top)) return {};
  for (const QString& part : clean.mid(top.size()).split(u'/', Qt::SkipEmptyParts)) {
    Fetch(node);
    auto find = [&] {
      const auto it =
          std::find_if(node->children.begin(), node->children.end(), [&](const auto& c) { return c->name == part; });
      return it == node->children.end() ? nullptr : it->get();
    };
    Node* next = find();
    if (!next) {  // made since the directory was listed
      Refresh(IndexOfNode(node));
      next = find();
    }
    if (!next) return {};
    node = next;
  }
  return IndexOfNode(node);
}

QString DirectoryTreeModel::PathOf(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->path : QString();
}

DirectoryListBox::DirectoryListBox(QWidget* parent) : QTreeView(parent), model_(new DirectoryTreeModel(this)) {
  setModel(model_);
  header()->hide();
  setUniformRowHeights(true);
  // A click only selects; opening a directory refills the lists, so it takes
  // a double click or Enter.
  connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    setCurrentIndex(index);
    OpenSelected();
  });
  connect(this, &QTreeView::expanded, model_, &DirectoryTreeModel::Refresh);
  directory_ = QDir::currentPath();
  SelectPath(directory_);
  expand(currentIndex());
}

void DirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
    OpenSelected();  // the current directory too: it is read again
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void DirectoryListBox::OpenSelected() {
  const QString path = model_->PathOf(currentIndex());
  if (!path.isEmpty()) SetDirectory(path);
}

void DirectoryListBox::SelectPath(const QString& path) {
  const QModelIndex index = model_->IndexOf(path);
  if (!index.isValid()) return;
  setCurrentIndex(index);
  scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void DirectoryListBox::SetDirectory(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  directory_ = clean;
  if (setsProcessDirectory) QDir::setCurrent(clean);
  SelectPath(clean);
  const QModelIndex index = model_->IndexOf(clean);
  model_->Refresh(index);
  expand(index);
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
