// The "File" tab: directory, scan, the two lists and "Analyse".
#include "app/FileTab.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/Controls.h"
#include "app/ViewerState.h"
#include "app/Widgets.h"
#include "record/RecordName.h"

namespace corvale {

FileTab::FileTab(ViewerState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QStringLiteral("TabSheet1"));
  const QFont listFont = GothicFont(13);
  AddLabel(this, "Label8", tr("input directory"), 16, 16);
  DirectoryListBox1 = Make<DirectoryListBox>(this, "DirectoryListBox1", 16, 72, 241, 801);
  DirectoryListBox1->setFont(listFont);
  DriveComboBox1 = Make<DriveComboBox>(this, "DriveComboBox1", 16, 40, 145, 21);
  DriveComboBox1->setFont(listFont);
  DriveComboBox1->Bind(DirectoryListBox1);
  connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this, &FileTab::DirectoryListBox1Change);
  Button1 = MakeButton(this, "Button1", tr("Search"), 168, 40, 89, 25);
  Button1->hide();
  connect(Button1, &QPushButton::clicked, this, &FileTab::Button1Click);

  ListBox1 = Make<QListWidget>(this, "ListBox1", 296, 16, 233, 857);
  ListBox2 = Make<QListWidget>(this, "ListBox2", 648, 16, 233, 857);
  for (QListWidget* list : {ListBox1, ListBox2}) {
    list->setFont(listFont);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformItemSizes(true);
  }
  LabelScanNote = AddLabel(this, "LabelScanNote", QString(), 296, 876, 585, 13);
  LabelScanNote->setTextFormat(Qt::PlainText);
  LabelScanNote->setWordWrap(false);
  LabelScanNote->hide();
  ButtonAdd = MakeButton(this, "ButtonAdd", tr("Add >>"), 552, 392, 75, 25);
  ButtonDelete = MakeButton(this, "ButtonDelete", tr("<< Delete"), 552, 440, 75, 25);
  ButtonAnalyse = MakeButton(this, "ButtonAnalyse", tr("Analyse"), 1072, 48, 89, 25);
  ButtonAnalyse->setEnabled(false);
  connect(ButtonAdd, &QPushButton::clicked, this, &FileTab::ButtonAddClick);
  connect(ButtonDelete, &QPushButton::clicked, this, &FileTab::ButtonDeleteClick);
  connect(ButtonAnalyse, &QPushButton::clicked, this, &FileTab::ButtonAnalyseClick);

  // The output directory: hidden, never moved, the working directory at start-up.
  AddLabel(this, "Label9", tr("ouput directory"), 920, 40)->hide();
  DirectoryListBox2 = Make<DirectoryListBox>(this, "DirectoryListBox2", 920, 80, 241, 793);
  DirectoryListBox2->setsProcessDirectory = false;
  DirectoryListBox2->setFont(listFont);
  DirectoryListBox2->hide();
  DriveComboBox2 = Make<DriveComboBox>(this, "DriveComboBox2", 920, 56, 145, 21);
  DriveComboBox2->Bind(DirectoryListBox2);
  DriveComboBox2->hide();
  connect(DirectoryListBox2, &DirectoryListBox::directoryChanged, this,
          [this] { state_.output.directory = DirectoryListBox2->Directory(); });

  state_.study.directory = DirectoryListBox1->Directory();
  state_.output.directory = DirectoryListBox2->Directory();
}

QWidget* FileTab::FirstFocus() const { return DirectoryListBox1; }

void FileTab::OpenDirectory(const QString& path) { DirectoryListBox1->SetDirectory(path); }

void FileTab::AddToWorkList(const QStringList& entries) {
  for (const QString& entry : entries) {
    const qsizetype at = state_.study.found.indexOf(entry);
    if (at >= 0) {
      state_.study.found.removeAt(at);
      delete ListBox1->takeItem(static_cast<int>(at));
    }
    state_.study.work << entry;
    ListBox2->addItem(entry);
  }
  SetListButtonsEnabled(true);
}

void FileTab::SetListButtonsEnabled(bool enabled) {
  Button1->setEnabled(enabled);
  ButtonAdd->setEnabled(enabled);
  ButtonDelete->setEnabled(enabled);
  ButtonAnalyse->setEnabled(enabled && !state_.study.work.isEmpty());
}

void FileTab::DirectoryListBox1Change() {
  SetListButtonsEnabled(false);
  window()->setCursor(Qt::WaitCursor);
  // A change of directory empties the work list too.
  state_.study.directory = DirectoryListBox1->Directory();
  state_.study.found.clear();
  state_.study.work.clear();
  state_.study.nativeNames.clear();
  LabelScanNote->hide();
  ListBox1->clear();
  ListBox2->clear();
  QString directory = state_.study.directory;
  if (!directory.endsWith(u'/')) directory += u'/';
  ScanDirectory(directory);
  SetListButtonsEnabled(true);
  window()->unsetCursor();
}

void FileTab::Button1Click() { DirectoryListBox1Change(); }

void FileTab::ScanDirectory(const QString& directory) {
  SetListButtonsEnabled(false);
  window()->setCursor(Qt::WaitCursor);
  // A refresh started while this scan lets events run takes over the list;
  // this scan then stops, so two directories never mix.
  const quint64 generation = ++scanGeneration_;
  // The window's events run every few milliseconds while the directory is
  // read, and after every batch of names shown, so the window answers and the
  // list grows visibly; names are not shown one by one, which for 10,000
  // files would cost seconds of layout.
  QElapsedTimer sinceEvents;
  sinceEvents.start();
  auto stillOurs = [&] {
    if (sinceEvents.elapsed() >= 15) {
      QCoreApplication::processEvents();
      sinceEvents.restart();
    }
    return generation == scanGeneration_;
  };
  const RecordDirectoryListing listing = ListRecordFiles(QFile::encodeName(directory), stillOurs);
  if (!listing.complete || generation != scanGeneration_) return;

  constexpr std::size_t kBatch = 400;
  for (const std::vector<RecordFileName>* group : {&listing.nrm, &listing.msd}) {
    for (std::size_t first = 0; first < group->size(); first += kBatch) {
      const std::size_t end = std::min(group->size(), first + kBatch);
      QStringList names;
      names.reserve(static_cast<qsizetype>(end - first));
      for (std::size_t i = first; i < end; ++i) names << (*group)[i].shown;
      const int row = ListBox1->count();
      ListBox1->addItems(names);
      for (std::size_t i = first; i < end; ++i) {
        const RecordFileName& file = (*group)[i];
        ListBox1->item(row + static_cast<int>(i - first))->setData(NativeNameRole, file.native);
        if (QFile::encodeName(file.shown) != file.native) state_.study.nativeNames.insert(file.shown, file.native);
      }
      state_.study.found += names;
      QCoreApplication::processEvents();
      sinceEvents.restart();
      if (generation != scanGeneration_) return;
    }
  }

  QStringList notes;
  if (listing.error) notes << tr("This directory cannot be read: %1").arg(*listing.error);
  if (listing.skipped == 1) notes << tr("1 record file is not listed: its name cannot be shown apart from another's");
  else if (listing.skipped > 1)
    notes << tr("%1 record files are not listed: their names cannot be shown apart from others'").arg(listing.skipped);
  LabelScanNote->setText(notes.join(u' '));
  LabelScanNote->setToolTip(notes.join(u'\n'));
  LabelScanNote->setVisible(!notes.isEmpty());
}

void FileTab::MoveSelected(QListWidget* from, QStringList& fromNames, QListWidget* to, QStringList& toNames) {
  SetListButtonsEnabled(false);
  window()->setCursor(Qt::WaitCursor);
  // Bottom up, always inserting at the old end: the moved items keep their
  // top-to-bottom order after the ones already there.
  const int n = to->count();
  for (int i = from->count() - 1; i >= 0; --i) {
    if (!from->item(i)->isSelected()) continue;
    toNames.insert(n, fromNames.takeAt(i));
    to->insertItem(n, from->takeItem(i));  // with its name's bytes
  }
  SetListButtonsEnabled(true);
  window()->unsetCursor();
}

void FileTab::ButtonAddClick() { MoveSelected(ListBox1, state_.study.found, ListBox2, state_.study.work); }
void FileTab::ButtonDeleteClick() { MoveSelected(ListBox2, state_.study.work, ListBox1, state_.study.found); }
void FileTab::ButtonAnalyseClick() { Q_EMIT analyseRequested(); }

}  // namespace corvale
