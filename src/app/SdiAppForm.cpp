// The main window: the state and images it owns, its tabs and their wiring, and the
// operations that show a record.
#include "app/SdiAppForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <future>
#include <utility>

#include "app/AboutBox.h"
#include "app/Artwork.h"
#include "app/Controls.h"
#include "app/DisplayOptions.h"
#include "app/EcgTab.h"
#include "app/FiducialMarksOption.h"
#include "app/FileTab.h"
#include "app/FilterOptions.h"
#include "app/HeaderLabels.h"
#include "app/HeaderTab.h"
#include "app/MeasurementColumn.h"
#include "app/PrintJob.h"
#include "app/RecordFiles.h"
#include "app/Widgets.h"
#include "display/FiducialMarks.h"
#include "display/Render.h"
#include "display/ViewGeometry.h"

namespace corvale {
namespace {

const QString kTitle = QStringLiteral("CORVALE");

}  // namespace

TSDIAppForm::TSDIAppForm(QWidget* parent) : QMainWindow(parent), state_(std::make_unique<ViewerState>()) {
  setObjectName(QStringLiteral("SDIAppForm"));
  setWindowTitle(kTitle);
  setWindowIcon(ProgramIcon());
  QFont windowFont(QStringLiteral("System"));
  windowFont.setPixelSize(13);
  setFont(windowFont);
  showMessage = [this](QMessageBox::Icon icon, const QString& text) { ShowMessageBox(MessageKind::Modal, icon, text); };
  showNotice = [this](QMessageBox::Icon icon, const QString& text) { ShowMessageBox(MessageKind::Notice, icon, text); };

  menu_ = BuildMainMenu(*this);
  BuildTabs();
  headerLabels_ = std::make_unique<HeaderLabelSet>(ecgTab_, headerTab_);
  printJob_ = new PrintJob(*state_, *this);
  recordFiles_ = new RecordFiles(*state_, *this);
  setAcceptDrops(true);
  Wire();

  FormCreate();
  aboutBox_ = new TAboutBox(this);
  fileTab_->FirstFocus()->setFocus();

  setFixedSize(sizeHint());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) FitOnScreen(*screen);
}

void TSDIAppForm::FitOnScreen(const QScreen& screen) {
  auto* scroll = qobject_cast<QScrollArea*>(centralWidget());
  const QSize design = scroll ? scroll->widget()->size() + QSize(0, size().height() - scroll->height()) : size();
  const WindowPlacement place = PlaceWindow(design, screen.availableGeometry());
  if (place.scrolls && !scroll) {
    // The tabs keep their size and every pixel; the window shows what the
    // screen holds, and scroll bars reach the rest.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBox1"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(takeCentralWidget());
    setCentralWidget(scroll);
  }
  setFixedSize(place.size);
  move(place.topLeft);
}

WindowPlacement PlaceWindow(QSize design, const QRect& available, std::optional<QPoint> wanted) {
  // The title bar and borders the window system adds around the window.
  constexpr int kFrameWidth = 16, kFrameHeight = 48;
  const QSize room(std::max(1, available.width() - kFrameWidth), std::max(1, available.height() - kFrameHeight));
  WindowPlacement place;
  place.scrolls = design.width() > room.width() || design.height() > room.height();
  place.size = place.scrolls ? design.boundedTo(room) : design;
  const QPoint topLeft = wanted.value_or(available.center() - QPoint(place.size.width() / 2, place.size.height() / 2));
  const int right = std::max(available.left(), available.right() + 1 - place.size.width() - kFrameWidth);
  const int bottom = std::max(available.top(), available.bottom() + 1 - place.size.height() - kFrameHeight);
  place.topLeft =
      QPoint(std::clamp(topLeft.x(), available.left(), right), std::clamp(topLeft.y(), available.top(), bottom));
  return place;
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::BuildTabs() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  // The tabs' captions are bold; the pages keep the window font.
  QFont tabFont = font();
  tabFont.setBold(true);
  PageControl1->tabBar()->setFont(tabFont);
  PageControl1->setFixedSize(1216, 918);
  setCentralWidget(PageControl1);
  fileTab_ = new FileTab(*state_, PageControl1);
  ecgTab_ = new EcgTab(*state_, images_, PageControl1);
  marksOption_ = new FiducialMarksOption(*state_, ecgTab_->Options().ColourGroup());
  headerTab_ = new HeaderTab(state_->print, PageControl1);
  PageControl1->addTab(fileTab_, tr("File"));
  PageControl1->addTab(ecgTab_, tr("ECG"));
  PageControl1->addTab(headerTab_, tr("Header and Printer Setup"));
  // The record tabs open with the first "Analyse".
  PageControl1->setTabEnabled(1, false);
  PageControl1->setTabEnabled(2, false);
  PageControl1->setCurrentIndex(0);
}

void TSDIAppForm::Wire() {
  // New, save and save-as do nothing.
  connect(menu_.FileOpen1, &QAction::triggered, this, &TSDIAppForm::FileOpen1Execute);
  connect(menu_.FileExport1, &QAction::triggered, this, &TSDIAppForm::FileExport1Execute);
  connect(recordFiles_, &RecordFiles::message, this,
          [this](QMessageBox::Icon icon, const QString& text) { Message(icon, text); });
  connect(menu_.FileExit1, &QAction::triggered, this, &TSDIAppForm::FileExit1Execute);
  connect(menu_.printPreview1, &QAction::triggered, this, &TSDIAppForm::printPreview1Click);
  connect(menu_.printout1, &QAction::triggered, this, &TSDIAppForm::printout1Click);
  connect(menu_.U1, &QAction::triggered, this, &TSDIAppForm::U1Click);
  connect(menu_.HelpAbout1, &QAction::triggered, this, &TSDIAppForm::HelpAbout1Execute);

  connect(fileTab_, &FileTab::analyseRequested, this, &TSDIAppForm::AnalyseWorkList);
  // The directory is remembered once one has been read.
  connect(fileTab_->findChild<DirectoryListBox*>(QStringLiteral("DirectoryListBox1")),
          &DirectoryListBox::directoryChanged, this, [this] { directoryRead_ = true; });

  connect(ecgTab_, &EcgTab::recordChanged, this, &TSDIAppForm::ShowRecord);
  connect(ecgTab_, &EcgTab::redrawRequested, this, [this](EcgTab::Redraw what) {
    switch (what) {
      case EcgTab::Redraw::Signal:
        // From the record as read: filters never stack and never touch it.
        DeriveFilteredLeadArrays(state_->record, state_->filters, state_->leads);
        [[fallthrough]];
      case EcgTab::Redraw::PaperAndTraces:
        RenderGrid();
        RenderTraces();
        break;
      case EcgTab::Redraw::Traces: RenderTraces(); break;
      case EcgTab::Redraw::Overlay: ComposeOverlay(); break;
    }
  });
  connect(marksOption_, &FiducialMarksOption::changed, this, &TSDIAppForm::RenderTraces);
  connect(ecgTab_, &EcgTab::printRequested, printJob_, &PrintJob::RunPrintJob);
  connect(ecgTab_, &EcgTab::message, this,
          [this](QMessageBox::Icon icon, const QString& text) { Message(icon, text); });

  connect(printJob_, &PrintJob::statusChanged, ecgTab_, &EcgTab::ShowPrintStatus);
  connect(printJob_, &PrintJob::progress, ecgTab_, &EcgTab::ShowPrintProgress);
  connect(printJob_, &PrintJob::pageGeometry, headerTab_, &HeaderTab::ShowPageGeometry);
  connect(printJob_, &PrintJob::failed, this, [this](const QString& reason) { Message(QMessageBox::Warning, reason); });
  connect(printJob_, &PrintJob::notice, this, &TSDIAppForm::Notice);
}

void TSDIAppForm::FormCreate() {
  using G = ViewGeometry;
  images_.trace.SetSize(G::ViewWidth, G::MainViewHeight);
  images_.grid.SetSize(G::ViewWidth, G::MainViewHeight);
  images_.overlay.OverlayImage.SetSize(G::ViewWidth, G::MainViewHeight);
  images_.strip.SetSize(G::ViewWidth, G::StripViewHeight);
  images_.stripGrid.SetSize(G::ViewWidth, G::StripViewHeight);
  state_->display.LeadGain.fill(1.0);
  state_->leads.LeadRange.fill(1.0);
  headerTab_->ShowPrintSettings();
  ApplyOverlayStyle(images_.overlay.OverlayImage);
  // The one call from a layer below back up to the window: the overlay puts
  // its picture on the main view when a composition or a caliper picture is
  // done, synchronously, as copying an image onto the paint box does.
  images_.overlay.show = [this](const Image& image) { ecgTab_->ShowMain(image); };
}

QPrinter& TSDIAppForm::Printer() { return printJob_->Printer(); }

void TSDIAppForm::Message(QMessageBox::Icon icon, const QString& text, MessageKind kind) {
  const auto& show = kind == MessageKind::Modal ? showMessage : showNotice;
  if (show) show(icon, text);
}

namespace {

// How far a notice goes before the rest is counted: a screenful at most.
constexpr qsizetype kMostNoticeLines = 20;
constexpr qsizetype kLongestNoticeLine = 300;

int Severity(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical: return 3;
    case QMessageBox::Warning: return 2;
    case QMessageBox::Information: return 1;
    default: return 0;
  }
}

QMessageBox::Icon MoreSevere(QMessageBox::Icon a, QMessageBox::Icon b) { return Severity(b) > Severity(a) ? b : a; }

}  // namespace

void TSDIAppForm::ShowMessageBox(MessageKind kind, QMessageBox::Icon icon, const QString& text) {
  // Texts carry file names and header fields: never read as markup.
  if (kind == MessageKind::Modal) {
    QMessageBox box(icon, kTitle, text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return;
  }
  // A box opened here, inside the scroll bar's change handler, would take the
  // mouse release from the scroll bar and let its auto-repeat run on through
  // the work list. Show it once this event is done, without taking the mouse.
  // Notices that come meanwhile join the one waiting: none is lost.
  const bool queued = pendingNotice_.has_value();
  if (!queued) pendingNotice_ = PendingNotice{icon, {}};
  pendingNotice_->icon = MoreSevere(pendingNotice_->icon, icon);
  pendingNotice_->lines << text.split(u'\n');
  if (!queued) QTimer::singleShot(0, this, &TSDIAppForm::ShowNotice);
}

void TSDIAppForm::ShowNotice() {
  if (!pendingNotice_) return;
  if (!notice_) {
    notice_ = new QMessageBox(this);
    notice_->setObjectName(QStringLiteral("RecordNotice"));
    notice_->setWindowTitle(kTitle);
    notice_->setStandardButtons(QMessageBox::Ok);
    notice_->setTextFormat(Qt::PlainText);
    notice_->setWindowModality(Qt::NonModal);
    notice_->setAttribute(Qt::WA_ShowWithoutActivating);
  }
  // A notice still on the screen keeps what it says and takes the new lines.
  if (notice_->isVisible()) {
    pendingNotice_->icon = MoreSevere(notice_->icon(), pendingNotice_->icon);
  } else {
    noticeLines_.clear();
  }
  noticeLines_ += pendingNotice_->lines;
  notice_->setIcon(pendingNotice_->icon);
  pendingNotice_.reset();
  // At most a screenful: the first lines, and how many more there are.
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const int tallest = screen ? screen->availableGeometry().height() * 4 / 5 : 600;
  qsizetype shown = std::min<qsizetype>(noticeLines_.size(), kMostNoticeLines);
  for (;;) {
    QStringList text = noticeLines_.mid(0, shown);
    for (QString& line : text)
      if (line.size() > kLongestNoticeLine) line = line.left(kLongestNoticeLine - 1) + QChar(0x2026);
    if (shown < noticeLines_.size()) text << tr("and %1 more").arg(noticeLines_.size() - shown);
    notice_->setText(text.join(u'\n'));
    if (shown <= 1 || notice_->sizeHint().height() <= tallest) break;
    shown = shown * 3 / 4;
  }
  notice_->show();
  notice_->raise();
}

// ---------------------------------------------------------------- records

void TSDIAppForm::AnalyseWorkList() {
  state_->study.analysed = true;
  PageControl1->setCurrentIndex(1);
  PageControl1->setTabEnabled(1, true);
  PageControl1->setTabEnabled(2, true);
  PageControl1->setCurrentIndex(1);
  // Moving the record scroll bar can show intermediate records on the way.
  ecgTab_->StartStepping(static_cast<int>(state_->study.work.size()));
  state_->study.current = 0;
  ShowRecord();
}

void TSDIAppForm::ShowRecord() {
  const LoadResult result = LoadRecord(*state_);
  if (result.outcome == LoadResult::Outcome::NoEntry) {
    // The previous record stays on the screen; say which one it is.
    const QString onScreen = state_->shown ? state_->shown->entry : QString();
    QString text = tr("The work list has changed since \"Analyse\": it has no record %1 any more (it holds %2).\n")
                       .arg(QString::number(state_->study.current + 1), QString::number(state_->study.work.size()));
    if (!onScreen.isEmpty()) text += tr("The screen still shows %1.\n").arg(onScreen);
    text += tr("Press \"Analyse\" again to view the records of the work list.");
    Message(QMessageBox::Warning, text, MessageKind::Notice);
    return;
  }
  // Measured once per load and kept with the record: redraws only read it.
  // The measuring runs on another core beside the drawing, which needs it
  // only for the values and the marks; both only read the record.
  std::future<Measurements> measuring;
  if (result.outcome == LoadResult::Outcome::Loaded)
    measuring =
        std::async(std::launch::async, [&record = std::as_const(state_->record)] { return MeasureRecord(record); });
  state_->analysis.reference.reset();
  ShowLoadedRecord(result);
  DeriveFilteredLeadArrays(state_->record, state_->filters, state_->leads);
  RenderGrid();
  const TraceLayout layout = DrawTraces();
  state_->analysis.measured = measuring.valid() ? measuring.get() : Measurements{};
  ShowMeasuredValues(*headerLabels_, state_->record, state_->analysis.measured);
  FinishTraces(layout);
  if (result.error)
    Message(QMessageBox::Warning, tr("The record cannot be read.\n%1").arg(result.error->Describe()),
            MessageKind::Notice);
}

void TSDIAppForm::ShowLoadedRecord(const LoadResult& result) {
  SetLiteralWindowTitle(this, result.names.recordPath);
  ecgTab_->ShowRecordNames(result.names);
  ecgTab_->ShowRecordNotes(result.notes);
  // Nothing of another record may stay on the screen under this name.
  if (result.outcome == LoadResult::Outcome::Loaded) headerLabels_->Show(PresentHeaderTexts(state_->record));
  else headerLabels_->ShowDesignCaptions();
}

// ---------------------------------------------------------------- display

void TSDIAppForm::RenderGrid() { corvale::RenderGrid(state_->display, state_->leads, images_.grid, images_.stripGrid); }

void TSDIAppForm::RenderTraces() { FinishTraces(DrawTraces()); }

TraceLayout TSDIAppForm::DrawTraces() {
  return corvale::RenderTraces(state_->display, state_->leads, images_.grid, images_.stripGrid, images_.trace,
                               images_.strip);
}

void TSDIAppForm::FinishTraces(const TraceLayout& layout) {
  if (state_->analysis.showMarks)
    DrawFiducialMarks(state_->display, layout, state_->leads, MarksToShow(*state_), images_.trace, images_.strip);
  ComposeOverlay();
  ecgTab_->ShowStrip(images_.strip);
}

void TSDIAppForm::ComposeOverlay() { corvale::ComposeOverlay(images_.trace, state_->measurements, images_.overlay); }

// ---------------------------------------------------------------- menus

void TSDIAppForm::printout1Click() {
  // Refused before the dialog: choosing a printer for a job that cannot run helps nobody.
  if (const auto refusal = printJob_->Refusal()) {
    Message(QMessageBox::Warning, *refusal);
    return;
  }
  if (printJob_->ChoosePrinter()) {
    SaveSettings();
    printJob_->RunPrintJob();
  }
}

void TSDIAppForm::printPreview1Click() {
  printJob_->ShowPreview();
  SaveSettings();
}

void TSDIAppForm::U1Click() {
  printJob_->SetUpPrinter();
  SaveSettings();
}
void TSDIAppForm::FileExit1Execute() { close(); }

void TSDIAppForm::FileOpen1Execute() { OpenPaths(recordFiles_->ChooseFilesToOpen()); }

void TSDIAppForm::FileExport1Execute() { recordFiles_->ExportRecord(printJob_->Choice()); }

void TSDIAppForm::OpenPaths(const QStringList& paths) {
  if (!paths.isEmpty()) OpenAtStart(OpenRequest(paths, QDir::currentPath()), QString());
}

void TSDIAppForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPaths(*event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TSDIAppForm::dropEvent(QDropEvent* event) {
  // Opened once the drop is done: the source is not kept waiting for a scan.
  QTimer::singleShot(0, this, [this, paths = DroppedPaths(*event->mimeData())] { OpenPaths(paths); });
  event->acceptProposedAction();
}
void TSDIAppForm::HelpAbout1Execute() { aboutBox_->exec(); }

void TSDIAppForm::Notice(const QString& text) {
  if (!showNotice) return;
  // Before the window is on the screen a box would come first: it waits.
  if (isVisible()) showNotice(QMessageBox::Warning, text);
  else QTimer::singleShot(0, this, [this, text] { showNotice(QMessageBox::Warning, text); });
}

// ---------------------------------------------------------------- start-up and settings

ViewerSettings TSDIAppForm::UseSettings(QSettings& store) {
  ViewerSettings settings = ReadSettings(store);
  ApplySettings(settings);
  settingsStore_ = &store;
  return settings;
}

void TSDIAppForm::ApplySettings(const ViewerSettings& s) {
  ecgTab_->Options().Choose(s.colorScheme, s.displaySpan, s.limbLeadMode, s.leadNames);
  marksOption_->Choose(s.fiducialMarks);
  ecgTab_->Filters().Choose(s.filters);
  headerTab_->Choose(s.penWidth, s.margin, s.penPattern, s.gridPattern, s.annotations);
  printJob_->SetPrinterChoice({s.printerName, s.paper, s.orientation});
  rememberedDirectory_ = s.directory;
  // Only where the title bar can still be grabbed: screens come and go.
  if (s.windowPosition)
    if (const QScreen* screen = QGuiApplication::screenAt(*s.windowPosition + QPoint(width() / 2, 8)))
      move(PlaceWindow(size(), screen->availableGeometry(), *s.windowPosition).topLeft);
}

ViewerSettings TSDIAppForm::CurrentSettings() const {
  ViewerSettings s;
  s.directory = directoryRead_ ? state_->study.directory : rememberedDirectory_;
  const DisplayState& d = state_->display;
  s.colorScheme = ecgTab_->Options().ColorSchemeNumber();
  s.displaySpan = d.DisplaySpan;
  s.limbLeadMode = d.LimbLeadMode;
  s.leadNames = d.LeadNames;
  s.fiducialMarks = state_->analysis.showMarks;
  s.filters = state_->filters;
  const PrinterChoice choice = printJob_->Choice();
  s.printerName = choice.printerName;
  s.paper = choice.paper;
  s.orientation = choice.orientation;
  const PrintSettings& p = state_->print;
  s.penWidth = p.PenWidth;
  s.margin = p.Margin;
  s.penPattern = p.PenPattern;
  s.gridPattern = p.GridPattern;
  s.annotations = p.Annotations;
  s.windowPosition = pos();
  return s;
}

void TSDIAppForm::SaveSettings() {
  if (!settingsStore_) return;
  WriteSettings(*settingsStore_, CurrentSettings());
  settingsStore_->sync();
}

void TSDIAppForm::closeEvent(QCloseEvent* event) {
  SaveSettings();
  QMainWindow::closeEvent(event);
}

void TSDIAppForm::OpenAtStart(const StartRequest& request, const QString& defaultDirectory) {
  QStringList problems = request.problems;
  switch (request.kind) {
    case StartRequest::Kind::Directory:
      fileTab_->OpenDirectory(request.directory);
      if (state_->study.found.isEmpty())
        problems << tr("%1 holds no record files (.nrm, .msd).").arg(QDir::toNativeSeparators(request.directory));
      break;
    case StartRequest::Kind::Files: OpenFiles(request.files); break;
    case StartRequest::Kind::Default:
      if (!defaultDirectory.isEmpty()) fileTab_->OpenDirectory(defaultDirectory);
      break;
  }
  if (!problems.isEmpty()) Notice(problems.join(u'\n'));
}

void TSDIAppForm::OpenFiles(const QStringList& files) {
  // The first file's directory, read as if chosen; its files are then moved
  // to the work list as "Add >>" moves them. A file of another directory is
  // listed with its path, which says where it lies.
  fileTab_->OpenDirectory(QFileInfo(files.front()).absolutePath());
  QStringList entries;
  for (const QString& file : files) {
    const QFileInfo info(file);
    entries << (info.absolutePath() == state_->study.directory ? info.fileName() : info.absoluteFilePath());
  }
  fileTab_->AddToWorkList(entries);
  AnalyseWorkList();
}

}  // namespace corvale
