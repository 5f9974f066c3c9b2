#include "app/FileTab.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
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
  AddLabel(this, "Label8", QStringLiteral("input directory"), 16, 16);
  DirectoryListBox1 = Make<DirectoryListBox>(this, "DirectoryListBox1", 16, 72, 241, 801);
  DirectoryListBox1->setFont(listFont);
  DriveComboBox1 = Make<DriveComboBox>(this, "DriveComboBox1", 16, 40, 145, 21);
  DriveComboBox1->setFont(listFont);
  DriveComboBox1->Bind(DirectoryListBox1);
  connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this, &FileTab::DirectoryListBox1Change);
  Button1 = MakeButton(this, "Button1", QStringLiteral("Search"), 168, 40, 89, 25);
  Button1->hide();
  connect(Button1, &QPushButton::clicked, this, &FileTab::Button1Click);

  ListBox1 = Make<QListWidget>(this, "ListBox1", 296, 16, 233, 857);
  ListBox2 = Make<QListWidget>(this, "ListBox2", 648, 16, 233, 857);
  for (QListWidget* list : {ListBox1, ListBox2}) {
    list->setFont(listFont);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformItemSizes(true);
  }
  ButtonAdd = MakeButton(this, "ButtonAdd", QStringLiteral("Add >>"), 552, 392, 75, 25);
  ButtonDelete = MakeButton(this, "ButtonDelete", QStringLiteral("<< Delete"), 552, 440, 75, 25);
  ButtonAnalyse = MakeButton(this, "ButtonAnalyse", QStringLiteral("Analyse"), 1072, 48, 89, 25);
  ButtonAnalyse->setEnabled(false);
  connect(ButtonAdd, &QPushButton::clicked, this, &FileTab::ButtonAddClick);
  connect(ButtonDelete, &QPushButton::clicked, this, &FileTab::ButtonDeleteClick);
  connect(ButtonAnalyse, &QPushButton::clicked, this, &FileTab::ButtonAnalyseClick);

  // The output directory: hidden, never moved, the working directory at start-up.
  AddLabel(this, "Label9", QStringLiteral("ouput directory"), 920, 40)->hide();
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
  // Events run after every file, so the window stays responsive. Names reach
  // the list in batches at most 40 ms apart: one insertion makes the list lay
  // out and repaint all its rows, which for 10,000 files one by one would take
  // seconds; the user still sees the list grow.
  QStringList pending;
  auto show = [&] {
    state_.study.found += pending;
    ListBox1->addItems(pending);
    pending.clear();
  };
  QElapsedTimer sinceShown;
  sinceShown.start();
  for (const char* extension : {".nrm", ".msd"}) {
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
      it.next();
      const QString name = it.fileName();
      if (!IsRecordFileName(name, QLatin1String(extension))) continue;
      pending << name;
      if (sinceShown.elapsed() >= 40) {
        show();
        sinceShown.restart();
      }
      QCoreApplication::processEvents();
      // A refresh run from those events has taken the list over.
      if (generation != scanGeneration_) return;
    }
  }
  show();
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
    to->insertItem(n, from->item(i)->text());
    delete from->takeItem(i);
  }
  SetListButtonsEnabled(true);
  window()->unsetCursor();
}

void FileTab::ButtonAddClick() { MoveSelected(ListBox1, state_.study.found, ListBox2, state_.study.work); }
void FileTab::ButtonDeleteClick() { MoveSelected(ListBox2, state_.study.work, ListBox1, state_.study.found); }
void FileTab::ButtonAnalyseClick() { Q_EMIT analyseRequested(); }

}  // namespace corvale
