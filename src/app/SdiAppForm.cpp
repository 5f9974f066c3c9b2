#include "app/SdiAppForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/AboutBox.h"
#include "app/Artwork.h"
#include "app/PrinterSetupDialog.h"
#include "app/Widgets.h"
#include "display/Render.h"
#include "output/Export.h"
#include "output/PainterCanvas.h"
#include "output/PrintPage.h"
#include "record/HeaderPresentation.h"
#include "record/RecordFile.h"
#include "record/RecordName.h"

namespace corvale {
namespace {

const QString kTitle = QStringLiteral("CORVALE");

template <class W>
W* Make(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* widget = new W(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
  auto* b = Make<QPushButton>(parent, name, x, y, w, h);
  b->setText(text);
  b->setAutoDefault(false);
  return b;
}

QScrollBar* MakeScrollBar(QWidget* parent, const char* name, int x, int y, int w, int h, int min, int max, int pos) {
  auto* s = Make<QScrollBar>(parent, name, x, y, w, h);
  s->setOrientation(Qt::Horizontal);
  s->setRange(min, max);
  s->setValue(pos);
  s->setSingleStep(1);
  s->setPageStep(1);
  return s;
}

QFont GothicFont(int pixels, bool bold = false) {
  QFont f(QStringLiteral("MS UI Gothic"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace

TSDIAppForm::TSDIAppForm(QWidget* parent) : QMainWindow(parent), state_(std::make_unique<ViewerState>()) {
  setObjectName(QStringLiteral("SDIAppForm"));
  setWindowTitle(kTitle);
  setWindowIcon(ProgramIcon());
  QFont windowFont(QStringLiteral("System"));
  windowFont.setPixelSize(13);
  setFont(windowFont);
  showMessage = [this](QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, kTitle, text, QMessageBox::Ok, this);
    box.exec();
  };

  BuildMenus();
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  // The tabs' captions are bold; the pages keep the window font.
  QFont tabFont = font();
  tabFont.setBold(true);
  PageControl1->tabBar()->setFont(tabFont);
  PageControl1->setFixedSize(1216, 918);
  setCentralWidget(PageControl1);
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  TabSheet3 = new QWidget;
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  PageControl1->addTab(TabSheet1, QStringLiteral("File"));
  PageControl1->addTab(TabSheet2, QStringLiteral("ECG"));
  PageControl1->addTab(TabSheet3, QStringLiteral("Header and Printer Setup"));
  BuildFileTab(TabSheet1);
  BuildEcgTab(TabSheet2);
  BuildHeaderTab(TabSheet3);
  PageControl1->setTabEnabled(1, false);
  PageControl1->setTabEnabled(2, false);
  PageControl1->setCurrentIndex(0);

  FormCreate();
  aboutBox_ = new TAboutBox(this);
  DirectoryListBox1->setFocus();  // Enter reads the current directory

  setFixedSize(sizeHint());
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::FormCreate() {
  trace_.SetSize(PaintBox1->width(), PaintBox1->height());
  grid_.SetSize(PaintBox1->width(), PaintBox1->height());
  overlay_.OverlayImage.SetSize(PaintBox1->width(), PaintBox1->height());
  strip_.SetSize(PaintBox2->width(), PaintBox2->height());
  stripGrid_.SetSize(PaintBox2->width(), PaintBox2->height());
  state_->display.LeadGain.fill(1.0);
  state_->leads.LeadRange.fill(1.0);
  Label142->setText(QString::number(ScrollBarP->value()));
  Label144->setText(QString::number(ScrollBarM->value()));
  ApplyOverlayStyle(overlay_.OverlayImage);
  overlay_.show = [this](const Image& image) { PaintBox1->CopyImage(image); };
}

// ---------------------------------------------------------------- building

void TSDIAppForm::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name, const QString& text, const QString& shortcut,
                       const QString& hint) {
    auto* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) a->setShortcut(QKeySequence(shortcut));
    if (!hint.isEmpty()) {
      a->setToolTip(hint.section(u'|', 0, 0));
      a->setStatusTip(hint.section(u'|', 1));
    }
    return a;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("File1"));
  file->menuAction()->setStatusTip(QStringLiteral("ファイルに関連した機能"));
  FileNew1 = action(file, "FileNew1", QStringLiteral("新規作成(&N)"), QStringLiteral("Ctrl+N"), QStringLiteral("新規|新規ファイルの作成"));
  FileOpen1 = action(file, "FileOpen1", QStringLiteral("開く(&O)..."), QStringLiteral("Ctrl+O"), QStringLiteral("開く|ファイルを開く"));
  FileSave1 = action(file, "FileSave1", QStringLiteral("上書き保存(&S)"), QStringLiteral("Ctrl+S"), QStringLiteral("保存|現在のファイルを保存"));
  FileSaveAs1 = action(file, "FileSaveAs1", QStringLiteral("名前をつけて保存(&A)..."), QString(),
                       QStringLiteral("別名保存|現在のファイルに別の名前をつけて保存"));
  printout1 = action(file, "printout1", QStringLiteral("印刷(&P)"), QStringLiteral("Ctrl+P"), QString());
  U1 = action(file, "U1", QStringLiteral("印刷設定(&U)"), QStringLiteral("Ctrl+U"), QString());
  file->addSeparator();
  FileExit1 = action(file, "FileExit1", QStringLiteral("終了(&X)"), QString(), QStringLiteral("終了|アプリケーション終了"));
  // New, open, save and save-as do nothing.
  connect(FileExit1, &QAction::triggered, this, &TSDIAppForm::FileExit1Execute);
  connect(printout1, &QAction::triggered, this, &TSDIAppForm::printout1Click);
  connect(U1, &QAction::triggered, this, &TSDIAppForm::U1Click);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("Edit1"));
  edit->menuAction()->setStatusTip(QStringLiteral("編集に関連した機能"));
  auto onFocusedEdit = [](auto op) {
    return [op] {
      if (auto* e = qobject_cast<QLineEdit*>(QApplication::focusWidget())) (e->*op)();
    };
  };
  connect(action(edit, "EditCut1", QStringLiteral("切り取り(&T)"), QStringLiteral("Ctrl+X"),
                 QStringLiteral("切り取り|選択部分を切り取りクリップボードに送る")),
          &QAction::triggered, this, onFocusedEdit(&QLineEdit::cut));
  connect(action(edit, "EditCopy1", QStringLiteral("コピー(&C)"), QStringLiteral("Ctrl+C"),
                 QStringLiteral("コピー|選択部分をコピーしクリップボードに送る")),
          &QAction::triggered, this, onFocusedEdit(&QLineEdit::copy));
  connect(action(edit, "EditPaste1", QStringLiteral("貼り付け(&P)"), QStringLiteral("Ctrl+V"),
                 QStringLiteral("貼り付け|クリップボードの内容を貼り付け")),
          &QAction::triggered, this, onFocusedEdit(&QLineEdit::paste));

  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("Help1"));
  help->menuAction()->setStatusTip(QStringLiteral("ヘルプトピック"));
  HelpAbout1 = action(help, "HelpAbout1", QStringLiteral("バージョン情報(&A)..."), QString(),
                      QStringLiteral("バージョン情報|バージョンなど固有の情報を表示"));
  connect(HelpAbout1, &QAction::triggered, this, &TSDIAppForm::HelpAbout1Execute);
}

QLabel* TSDIAppForm::AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  if (w > 0) l->setGeometry(x, y, w, h > 0 ? h : 13);
  else {
    l->adjustSize();
    l->move(x, y);
  }
  return l;
}

QRadioButton* TSDIAppForm::AddRadio(QWidget* parent, const char* name, const QString& text, int tag, int x, int y,
                                    int w, int h) {
  auto* r = Make<QRadioButton>(parent, name, x, y, w, h);
  r->setText(text);
  r->setProperty("Tag", tag);
  return r;
}

void TSDIAppForm::BuildFileTab(QWidget* page) {
  const QFont listFont = GothicFont(13);
  AddLabel(page, "Label8", QStringLiteral("input directory"), 16, 16);
  DirectoryListBox1 = Make<DirectoryListBox>(page, "DirectoryListBox1", 16, 72, 241, 801);
  DirectoryListBox1->setFont(listFont);
  DriveComboBox1 = Make<DriveComboBox>(page, "DriveComboBox1", 16, 40, 145, 21);
  DriveComboBox1->setFont(listFont);
  DriveComboBox1->Bind(DirectoryListBox1);
  connect(DirectoryListBox1, &DirectoryListBox::directoryChanged, this, &TSDIAppForm::DirectoryListBox1Change);
  Button1 = MakeButton(page, "Button1", QStringLiteral("Search"), 168, 40, 89, 25);
  Button1->hide();
  connect(Button1, &QPushButton::clicked, this, &TSDIAppForm::Button1Click);

  ListBox1 = Make<QListWidget>(page, "ListBox1", 296, 16, 233, 857);
  ListBox2 = Make<QListWidget>(page, "ListBox2", 648, 16, 233, 857);
  for (QListWidget* list : {ListBox1, ListBox2}) {
    list->setFont(listFont);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformItemSizes(true);
  }
  ButtonAdd = MakeButton(page, "ButtonAdd", QStringLiteral("Add >>"), 552, 392, 75, 25);
  ButtonDelete = MakeButton(page, "ButtonDelete", QStringLiteral("<< Delete"), 552, 440, 75, 25);
  ButtonAnalyse = MakeButton(page, "ButtonAnalyse", QStringLiteral("Analyse"), 1072, 48, 89, 25);
  ButtonAnalyse->setEnabled(false);
  connect(ButtonAdd, &QPushButton::clicked, this, &TSDIAppForm::ButtonAddClick);
  connect(ButtonDelete, &QPushButton::clicked, this, &TSDIAppForm::ButtonDeleteClick);
  connect(ButtonAnalyse, &QPushButton::clicked, this, &TSDIAppForm::ButtonAnalyseClick);

  // The output directory: hidden, never moved, the working directory at start-up.
  AddLabel(page, "Label9", QStringLiteral("ouput directory"), 920, 40)->hide();
  DirectoryListBox2 = Make<DirectoryListBox>(page, "DirectoryListBox2", 920, 80, 241, 793);
  DirectoryListBox2->setsProcessDirectory = false;
  DirectoryListBox2->setFont(listFont);
  DirectoryListBox2->hide();
  DriveComboBox2 = Make<DriveComboBox>(page, "DriveComboBox2", 920, 56, 145, 21);
  DriveComboBox2->Bind(DirectoryListBox2);
  DriveComboBox2->hide();
}

void TSDIAppForm::BuildEcgTab(QWidget* page) {
  // Header of the record, top of the left column.
  LabelFile = AddLabel(page, "LabelFile", QStringLiteral("LabelFile"), 8, 4, 145, 13);
  auto* name = AddLabel(page, "Label11", QStringLiteral("Patient Name"), 8, 20, 153, 18);
  name->setFont(GothicFont(16, true));
  AddLabel(page, "LabelIdCaption", QStringLiteral("ID :"), 8, 42, 28, 13);
  AddLabel(page, "Label12", QStringLiteral("00000000"), 40, 42, 80, 13);
  AddLabel(page, "Label15", QStringLiteral("100"), 8, 58, 28, 13)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  AddLabel(page, "Label14", QStringLiteral("y.o."), 40, 58, 32, 13);
  AddLabel(page, "Label13", QStringLiteral("F"), 80, 58, 16, 13);
  AddLabel(page, "Label39", QStringLiteral("0000/00/00"), 8, 74, 76, 13);
  AddLabel(page, "Label40", QStringLiteral("00:00:00"), 88, 74, 60, 13);
  CheckBox5 = Make<QCheckBox>(page, "CheckBox5", 136, 72, 17, 17);
  CheckBox5->setChecked(true);
  CheckBox5->hide();
  connect(CheckBox5, &QCheckBox::clicked, this, &TSDIAppForm::CheckBox5Click);

  ScrollBarFile = MakeScrollBar(page, "ScrollBarFile", 8, 96, 145, 17, 0, 100, 0);
  connect(ScrollBarFile, &QScrollBar::valueChanged, this, &TSDIAppForm::ScrollBarFileChange);

  AddLabel(page, "Label10", QStringLiteral("output filename"), 8, 128, 145, 13)->setEnabled(false);
  EditOut = Make<QLineEdit>(page, "EditOut", 8, 144, 145, 21);
  EditBMP = Make<QLineEdit>(page, "EditBMP", 8, 168, 145, 21);
  for (QLineEdit* e : {EditOut, EditBMP}) {
    e->setText(QStringLiteral("filename"));
    e->setEnabled(false);
  }
  Button2 = MakeButton(page, "Button2", QStringLiteral("print"), 8, 192, 49, 25);
  Button3 = MakeButton(page, "Button3", QStringLiteral("BMP"), 64, 192, 41, 25);
  Button4 = MakeButton(page, "Button4", QStringLiteral("copy"), 112, 192, 41, 25);
  Button3->setEnabled(false);
  Button4->setEnabled(false);
  Button5 = MakeButton(page, "Button5", QStringLiteral("to Clipboard >>"), 8, 224, 145, 25);
  connect(Button5, &QPushButton::clicked, this, &TSDIAppForm::Button5Click);
  connect(Button2, &QPushButton::clicked, this, &TSDIAppForm::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TSDIAppForm::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TSDIAppForm::Button4Click);

  auto speed = [page](const char* objName, const QString& text, int x, int w) {
    auto* b = Make<QToolButton>(page, objName, x, 256, w, 22);
    b->setText(text);
    return b;
  };
  SpeedButtonS1 = speed("SpeedButtonS1", QStringLiteral("|<-->|"), 8, 65);
  SpeedButtonS2 = speed("SpeedButtonS2", QStringLiteral("C"), 80, 33);
  SpeedButtonS3 = speed("SpeedButtonS3", QStringLiteral("AC"), 120, 33);
  connect(SpeedButtonS1, &QToolButton::clicked, this, &TSDIAppForm::SpeedButtonS1Click);
  connect(SpeedButtonS2, &QToolButton::clicked, this, &TSDIAppForm::SpeedButtonS2Click);
  connect(SpeedButtonS3, &QToolButton::clicked, this, &TSDIAppForm::SpeedButtonS3Click);

  // Automatic measurements: row title, right-aligned value, unit.
  struct Row { const char* captionName; const char* caption; const char* value; const char* valueCaption; const char* unit; };
  const Row rows[] = {{"LabelHrCaption", "HR :", "Label51", "Label51", "bpm"},
                      {"LabelRrCaption", "RR :", "Label52", "Label52", "ms"},
                      {"LabelPrCaption", "PR :", "Label53", "Label53", "ms"},
                      {"LabelQrsCaption", "QRS :", "Label54", "Label54", "ms"},
                      {"LabelAxisCaption", "AXIS :", "Label55", "Label55", "deg"},
                      {"LabelQtCaption", "QT :", "Label56", "Label56", "ms"},
                      {"LabelQtcCaption", "QTc :", "Label57", "Label57", "ms"},
                      {"LabelSv1Caption", "SV1 :", "Label58", "Label58", "mV"},
                      {"LabelV5V6Caption", "V5/V6 :", "Label59", "Label59", ""},
                      {"Label50", "RV5/RV6 :", "Label60", "Label60", "mV"}};
  for (int r = 0; r < static_cast<int>(std::size(rows)); ++r) {
    const int y = 288 + 16 * r;
    AddLabel(page, rows[r].captionName, QString::fromUtf8(rows[r].caption), 8, y, 64, 13);
    AddLabel(page, rows[r].value, QString::fromUtf8(rows[r].valueCaption), 72, y, 48, 13)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (*rows[r].unit) AddLabel(page, "", QString::fromUtf8(rows[r].unit), 124, y, 30, 13);
  }

  // Print status, hidden in the colour group's place until a job runs.
  ProgressBar1 = Make<QProgressBar>(page, "ProgressBar1", 8, 448, 150, 17);
  ProgressBar1->setRange(0, 580);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  Label148 = AddLabel(page, "Label148", QStringLiteral("印刷中"), 32, 467, 110, 26);
  QFont status(QStringLiteral("ＭＳ ゴシック"));
  status.setPixelSize(24);
  status.setBold(true);
  Label148->setFont(status);
  Label148->setStyleSheet(QStringLiteral("color: #FF0000"));
  Label148->hide();

  GroupBox13 = Make<QGroupBox>(page, "GroupBox13", 8, 456, 145, 41);
  GroupBox13->setTitle(QStringLiteral("color"));
  const char* colourNames[] = {"RadioButtonCol1", "RadioButtonCol2", "RadioButtonCol3"};
  for (int i = 0; i < 3; ++i) {
    auto* r = AddRadio(GroupBox13, colourNames[i], QString::number(i + 1), i + 1, 16 + 40 * i, 16, 33, 17);
    r->setChecked(i == 0);
    connect(r, &QRadioButton::clicked, this, [this, i] { RadioButtonCol1Click(i + 1); });
  }

  // Calibration panel: one group per lead, factor 1, 1/2, 1/4.
  auto* panel = Make<QWidget>(page, "PanelCalibration", 0, 496, 153, 321);
  AddLabel(panel, "LabelCalibration", QStringLiteral("ECG caliblation"), 8, 8);
  for (int lead = 0; lead < LeadCount; ++lead) {
    const int column = lead / 6, row = lead % 6;
    const QByteArray groupName = "GroupBoxLead" + QByteArray::number(lead);
    auto* group = Make<QGroupBox>(panel, groupName.constData(), 8 + 80 * column, 24 + 48 * row, 65, 41);
    group->setTitle(QString::fromLatin1(LeadNames[static_cast<std::size_t>(lead)].data()));
    const int factors[] = {1, 2, 4};
    for (int f = 0; f < 3; ++f) {
      const QByteArray rbName = "RadioButton" + QByteArray::number(lead * 3 + f + 1);
      const int tag = lead * 10 + factors[f];
      auto* r = AddRadio(group, rbName.constData(), QString(), tag, 8 + 16 * f, 16, 17, 17);
      r->setChecked(f == 0);
      connect(r, &QRadioButton::clicked, this, [this, tag] { RadioButton1Click(tag); });
    }
  }
  // The factor captions stand 12 and 20 px apart: a small face keeps them apart.
  QFont factorFont = font();
  factorFont.setPixelSize(10);
  for (int column = 0; column < 2; ++column) {
    AddLabel(panel, "", QStringLiteral("1"), 16 + 80 * column, 304)->setFont(factorFont);
    AddLabel(panel, "", QStringLiteral("1/2"), 28 + 80 * column, 304)->setFont(factorFont);
    AddLabel(panel, "", QStringLiteral("1/4"), 48 + 80 * column, 304)->setFont(factorFont);
  }

  GroupBoxDisplay = Make<QGroupBox>(page, "GroupBoxDisplay", 8, 816, 145, 41);
  GroupBoxDisplay->setTitle(QStringLiteral("display"));
  auto* d1 = AddRadio(GroupBoxDisplay, "RadioButtonD1", QStringLiteral("5sec"), 1, 16, 16, 57, 17);
  auto* d2 = AddRadio(GroupBoxDisplay, "RadioButtonD2", QStringLiteral("10sec"), 2, 72, 16, 65, 17);
  d1->setChecked(true);
  connect(d1, &QRadioButton::clicked, this, [this] { RadioButtonD1Click(1); });
  connect(d2, &QRadioButton::clicked, this, [this] { RadioButtonD1Click(2); });

  GroupBoxLimb = Make<QGroupBox>(page, "GroupBoxLimb", 8, 816, 145, 41);
  GroupBoxLimb->setTitle(QStringLiteral("limb leads"));
  const char* limbNames[] = {"RadioButtonR1", "RadioButtonR2", "RadioButtonR3"};
  for (int i = 0; i < 3; ++i) {
    auto* r = AddRadio(GroupBoxLimb, limbNames[i], QString::number(i + 1), i + 1, 16 + 40 * i, 16, 41, 17);
    r->setChecked(i == 2);
    connect(r, &QRadioButton::clicked, this, [this, i] { RadioButtonR1Click(i + 1); });
  }
  GroupBoxLimb->hide();

  CheckBoxID = Make<QCheckBox>(page, "CheckBoxID", 8, 864, 81, 17);
  CheckBoxID->setText(QStringLiteral("delete ID"));
  CheckBoxID->setEnabled(false);
  Label147 = AddLabel(page, "Label147", QStringLiteral("0000/0000"), 94, 864, 59, 13);
  Label147->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  // The views: main view over the lower view, the time window's scroll bar under both.
  auto* views = Make<QWidget>(page, "PanelViews", 162, 0, 1046, 882);
  PaintBox1 = Make<PaintBox>(views, "PaintBox1", 2, 2, 1040, 760);
  PaintBox1->setMouseTracking(true);
  PaintBox1->onPaint = [this] { PaintBox1Paint(); };
  PaintBox1->onMouseDown = [this](QMouseEvent* e) {
    PaintBox1MouseDown(e->button(), e->modifiers(), e->position().toPoint().x(), e->position().toPoint().y());
  };
  PaintBox1->onMouseMove = [this](QMouseEvent* e) {
    PaintBox1MouseMove(e->position().toPoint().x(), e->position().toPoint().y());
  };
  PaintBox1->onMouseUp = [this](QMouseEvent* e) { PaintBox1MouseUp(e->button()); };
  PaintBox2 = Make<PaintBox>(views, "PaintBox2", 2, 762, 1040, 100);
  ScrollBar1 = MakeScrollBar(views, "ScrollBar1", 1, 864, 1044, 17, 0, 2499, 0);
  connect(ScrollBar1, &QScrollBar::valueChanged, this, &TSDIAppForm::ScrollBar1Change);
}

void TSDIAppForm::BuildHeaderTab(QWidget* page) {
  struct Row { const char* caption; const char* captionName; const char* value; };
  const Row left[] = {{"サンプリング間隔", "", "Label24"}, {"ＬＳＢの大きさ", "", "Label25"},
                      {"フィルタ情報", "", "Label26"},     {"低域周波数", "", "Label27"},
                      {"高域周波数", "", "Label28"},       {"格納誘導数", "", "Label29"},
                      {"サンプリング数", "", "Label30"},   {"SV1", "", "Label34"},
                      {"V5/V6", "", "Label35"},            {"RV5/RV6", "Label33", "Label36"},
                      {"所見コード１", "", "Label101"},    {"所見コード２", "", "Label102"},
                      {"所見コード３", "", "Label103"},    {"所見コード４", "", "Label104"},
                      {"所見コード５", "", "Label105"},    {"所見コード６", "", "Label106"},
                      {"所見コード７", "", "Label107"},    {"所見コード８", "", "Label108"},
                      {"所見コード９", "", "Label109"}};
  const Row right[] = {{"身長", "", "Label73"},         {"体重", "", "Label74"},
                       {"血圧", "", "Label75"},         {"所属コード１", "", "Label81"},
                       {"所属コード２", "", "Label82"}, {"自覚症状", "", "Label83"},
                       {"投薬情報", "", "Label84"},     {"負荷情報", "", "Label85"},
                       {"収録年上２桁", "", "Label86"}, {"処理結果", "", "Label90"},
                       {"データ種別", "", "Label91"},   {"ミネソタコード１", "", "Label124"},
                       {"ミネソタコード２", "", "Label125"}, {"ミネソタコード３", "", "Label126"},
                       {"ミネソタコード４", "", "Label127"}, {"ミネソタコード５", "", "Label128"},
                       {"ミネソタコード６", "", "Label129"}, {"ミネソタコード７", "", "Label130"},
                       {"ミネソタコード８", "", "Label131"}, {"ミネソタコード９", "", "Label132"},
                       {"ミネソタコード１０", "", "Label133"}, {"ミネソタコード１１", "", "Label134"},
                       {"ミネソタコード１２", "", "Label135"}, {"ミネソタコード１３", "", "Label136"},
                       {"ミネソタコード１４", "", "Label137"}};
  // Design captions of the value labels: the label's own name, but for the
  // amplitude rows, which start with their titles.
  const std::map<QString, QString> captions{{"Label34", "SV1"}, {"Label36", "RV5/RV6"}, {"Label35", "V5/V6"}};
  auto place = [&](const Row* rows, int count, int captionX, int valueX) {
    for (int r = 0; r < count; ++r) {
      const int y = 16 + 24 * r;
      AddLabel(page, rows[r].captionName, QString::fromUtf8(rows[r].caption), captionX, y, 168, 16);
      const QString value = QString::fromLatin1(rows[r].value);
      AddLabel(page, rows[r].value, captions.count(value) ? captions.at(value) : value, valueX, y, 150, 16);
    }
  };
  place(left, static_cast<int>(std::size(left)), 16, 192);
  place(right, static_cast<int>(std::size(right)), 352, 536);

  // Printer settings and status.
  AddLabel(page, "LabelPrinter", QStringLiteral("PRINTER SETUP and STATUS"), 704, 16);
  AddLabel(page, "LabelPixX", QStringLiteral("pix_X"), 704, 48, 72, 16);
  Label140 = AddLabel(page, "Label140", QStringLiteral("000"), 784, 48, 120, 16);
  AddLabel(page, "LabelPixY", QStringLiteral("pix_Y"), 704, 72, 72, 16);
  Label141 = AddLabel(page, "Label141", QStringLiteral("000"), 784, 72, 120, 16);
  AddLabel(page, "LabelPenWidth", QStringLiteral("Pen Width"), 704, 104, 72, 16);
  ScrollBarP = MakeScrollBar(page, "ScrollBarP", 784, 104, 121, 17, 0, 10, 2);
  Label142 = AddLabel(page, "Label142", QStringLiteral("5"), 912, 104, 40, 16);
  AddLabel(page, "LabelMargin", QStringLiteral("Margin"), 704, 128, 72, 16);
  ScrollBarM = MakeScrollBar(page, "ScrollBarM", 784, 128, 121, 17, 10, 200, 50);
  Label144 = AddLabel(page, "Label144", QStringLiteral("5"), 912, 128, 40, 16);
  connect(ScrollBarP, &QScrollBar::valueChanged, this, &TSDIAppForm::ScrollBarPChange);
  connect(ScrollBarM, &QScrollBar::valueChanged, this, &TSDIAppForm::ScrollBarMChange);

  auto* pen = Make<QGroupBox>(page, "GroupBox15", 704, 160, 97, 41);
  pen->setTitle(QStringLiteral("Pen"));
  auto* penA = AddRadio(pen, "RadioButton37", QStringLiteral("A"), 1, 8, 16, 33, 17);
  auto* penB = AddRadio(pen, "RadioButton38", QStringLiteral("B"), 2, 48, 16, 33, 17);
  penB->setChecked(true);
  connect(penA, &QRadioButton::clicked, this, [this] { RadioButton37Click(1); });
  connect(penB, &QRadioButton::clicked, this, [this] { RadioButton37Click(2); });
  auto* grid = Make<QGroupBox>(page, "GroupBox17", 808, 160, 97, 41);
  grid->setTitle(QStringLiteral("Grid Pattern"));
  auto* gridA = AddRadio(grid, "RadioButtonG1", QStringLiteral("A"), 1, 8, 16, 33, 17);
  auto* gridB = AddRadio(grid, "RadioButtonG2", QStringLiteral("B"), 2, 48, 16, 33, 17);
  gridB->setChecked(true);
  connect(gridA, &QRadioButton::clicked, this, [this] { RadioButtonG1Click(1); });
  connect(gridB, &QRadioButton::clicked, this, [this] { RadioButtonG1Click(2); });

  // Every header label, with its design caption, for loading and for resetting.
  for (QLabel* l : findChildren<QLabel*>()) {
    if (l->objectName().isEmpty()) continue;
    designCaptions_[l->objectName()] = l->text();
  }
  const auto texts = PresentHeader(state_->record);
  for (const LabelText& t : texts) {
    QLabel* l = findChild<QLabel*>(QString::fromLatin1(t.control));
    Q_ASSERT(l);
    headerLabels_[QString::fromLatin1(t.control)] = l;
  }
}

// ---------------------------------------------------------------- messages

void TSDIAppForm::Message(QMessageBox::Icon icon, const QString& text) {
  if (showMessage) showMessage(icon, text);
}

// ---------------------------------------------------------------- study list

void TSDIAppForm::SetListButtonsEnabled(bool enabled) {
  Button1->setEnabled(enabled);
  ButtonAdd->setEnabled(enabled);
  ButtonDelete->setEnabled(enabled);
  ButtonAnalyse->setEnabled(enabled && ListBox2->count() > 0);
}

void TSDIAppForm::DirectoryListBox1Change() {
  SetListButtonsEnabled(false);
  setCursor(Qt::WaitCursor);
  ListBox1->clear();
  ListBox2->clear();
  QString directory = DirectoryListBox1->Directory();
  if (!directory.endsWith(u'/')) directory += u'/';
  ScanDirectory(directory);
  SetListButtonsEnabled(true);
  unsetCursor();
}

void TSDIAppForm::Button1Click() { DirectoryListBox1Change(); }

void TSDIAppForm::ScanDirectory(const QString& directory) {
  SetListButtonsEnabled(false);
  setCursor(Qt::WaitCursor);
  // A refresh started while this scan lets events run takes over the list;
  // this scan then stops, so two directories never mix.
  const quint64 generation = ++scanGeneration_;
  // Events run after every file, so the window stays responsive. Names reach
  // the list in batches at most 40 ms apart: one insertion makes the list lay
  // out and repaint all its rows, which for 10,000 files one by one would take
  // seconds; the user still sees the list grow.
  QStringList pending;
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
        ListBox1->addItems(pending);
        pending.clear();
        sinceShown.restart();
      }
      QCoreApplication::processEvents();
      // A refresh run from those events has taken the list over.
      if (generation != scanGeneration_) return;
    }
  }
  ListBox1->addItems(pending);
}

void TSDIAppForm::MoveSelectedItems(QListWidget* from, QListWidget* to) {
  SetListButtonsEnabled(false);
  setCursor(Qt::WaitCursor);
  // Bottom up, always inserting at the old end: the moved items keep their
  // top-to-bottom order after the ones already there.
  const int n = to->count();
  for (int i = from->count() - 1; i >= 0; --i) {
    if (!from->item(i)->isSelected()) continue;
    to->insertItem(n, from->item(i)->text());
    delete from->takeItem(i);
  }
  SetListButtonsEnabled(true);
  unsetCursor();
}

void TSDIAppForm::ButtonAddClick() { MoveSelectedItems(ListBox1, ListBox2); }
void TSDIAppForm::ButtonDeleteClick() { MoveSelectedItems(ListBox2, ListBox1); }

void TSDIAppForm::ButtonAnalyseClick() {
  analysed_ = true;
  PageControl1->setCurrentIndex(1);
  PageControl1->setTabEnabled(1, true);
  PageControl1->setTabEnabled(2, true);
  PageControl1->setCurrentIndex(1);
  ScrollBarFile->setMaximum(ListBox2->count() - 1);
  ScrollBarFile->setValue(0);
  ShowRecord();
}

void TSDIAppForm::ScrollBarFileChange() { ShowRecord(); }

void TSDIAppForm::ShowRecord() {
  const LoadOutcome outcome = LoadRecord();
  if (outcome == LoadOutcome::NoEntry) return;
  DeriveLeadArrays(state_->record, state_->leads);
  RenderGrid();
  RenderTraces();
  if (outcome == LoadOutcome::Unreadable) Message(QMessageBox::Warning, loadError_);
}

void TSDIAppForm::RestoreDesignCaptions() {
  for (const auto& [name, label] : headerLabels_) label->setText(designCaptions_[name]);
}

TSDIAppForm::LoadOutcome TSDIAppForm::LoadRecord() {
  const int position = ScrollBarFile->value();
  const int count = ListBox2->count();
  if (position < 0 || position >= count) {
    Message(QMessageBox::Warning,
            QStringLiteral("The work list has changed since \"Analyse\": it has no record %1 any more (it holds %2).\n"
                           "Press \"Analyse\" again to view the records of the work list.")
                .arg(position + 1)
                .arg(count));
    return LoadOutcome::NoEntry;
  }
  const RecordNames names =
      DeriveRecordNames(DirectoryListBox1->Directory(), ListBox2->item(position)->text(), position, count);
  LabelFile->setText(names.labelFile);
  recordPath_ = names.recordPath;
  setWindowTitle(names.recordPath);
  EditOut->setText(names.editOut);
  EditBMP->setText(names.editBmp);
  if (const auto error = ReadRecordFile(names.recordPath, state_->record)) {
    // Nothing of another record may stay on the screen under this name.
    RestoreDesignCaptions();
    Label147->setText(names.label147);
    loadError_ = QStringLiteral("The record cannot be read.\n%1").arg(error->Describe());
    return LoadOutcome::Unreadable;
  }
  for (const LabelText& t : PresentHeader(state_->record))
    if (t.text) headerLabels_.at(QString::fromLatin1(t.control))->setText(*t.text);
  // A name of twelve full-width characters is wider than its column: the
  // whole name stays readable as the label's tool tip.
  headerLabels_.at(QStringLiteral("Label11"))->setToolTip(headerLabels_.at(QStringLiteral("Label11"))->text());
  Label147->setText(names.label147);
  return LoadOutcome::Loaded;
}

// ---------------------------------------------------------------- display

void TSDIAppForm::RenderGrid() { corvale::RenderGrid(state_->display, state_->leads, grid_, stripGrid_); }

void TSDIAppForm::RenderTraces() {
  corvale::RenderTraces(state_->display, state_->leads, grid_, stripGrid_, trace_, strip_);
  ComposeOverlay();
  PaintBox2->CopyImage(strip_);
}

void TSDIAppForm::ComposeOverlay() { corvale::ComposeOverlay(trace_, state_->measurements, overlay_); }

void TSDIAppForm::PaintBox1Paint() { RenderTraces(); }

void TSDIAppForm::RadioButton1Click(int tag) {
  state_->display.LeadGain[static_cast<std::size_t>(tag / 10)] = tag % 10;
  RenderGrid();
  RenderTraces();
}

void TSDIAppForm::RadioButtonCol1Click(int tag) {
  state_->display.Colors = SchemeColors(tag);
  RenderGrid();
  RenderTraces();
}

void TSDIAppForm::ScrollBar1Change() {
  state_->display.TimeOffset = ScrollBar1->value();
  RenderTraces();
}

void TSDIAppForm::RadioButtonR1Click(int tag) {
  state_->display.LimbLeadMode = tag;
  RenderTraces();
}

void TSDIAppForm::RadioButtonD1Click(int tag) {
  state_->display.DisplaySpan = tag;
  RenderGrid();
  RenderTraces();
  ScrollBar1->setEnabled(state_->display.DisplaySpan != 2);
}

// ---------------------------------------------------------------- calipers

void TSDIAppForm::ShowCaliperPicture(const Picture& picture) {
  QPalette palette = SpeedButtonS1->palette();
  const Color c = CaliperButtonColor(state_->caliper);
  palette.setColor(QPalette::ButtonText, QColor(RedOf(c), GreenOf(c), BlueOf(c)));
  SpeedButtonS1->setPalette(palette);
  Present(picture, state_->measurements, trace_, overlay_);
}

void TSDIAppForm::PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
  const MouseButton b = button == Qt::LeftButton    ? MouseButton::Left
                        : button == Qt::RightButton ? MouseButton::Right
                                                    : MouseButton::Middle;
  const bool remove = modifiers & (Qt::ShiftModifier | Qt::AltModifier);
  ShowCaliperPicture(PointerPressed(state_->measurements, state_->caliper, b, remove, x, y));
}

void TSDIAppForm::PaintBox1MouseMove(int x, int y) {
  ShowCaliperPicture(PointerMoved(state_->measurements, state_->caliper, x, y));
}

void TSDIAppForm::PaintBox1MouseUp(Qt::MouseButton button) {
  PointerReleased(state_->caliper, button == Qt::LeftButton ? MouseButton::Left : MouseButton::Middle);
}

void TSDIAppForm::SpeedButtonS1Click() { ShowCaliperPicture(corvale::ToggleCaliperMode(state_->measurements, state_->caliper)); }
void TSDIAppForm::SpeedButtonS2Click() { ShowCaliperPicture(corvale::RemoveLastMeasurement(state_->measurements, state_->caliper)); }
void TSDIAppForm::SpeedButtonS3Click() { ShowCaliperPicture(corvale::ClearMeasurements(state_->measurements, state_->caliper)); }

void TSDIAppForm::CheckBox5Click() {
  RenderTraces();
  ComposeOverlay();
}

// ---------------------------------------------------------------- output

void TSDIAppForm::Button5Click() {
  CopyImageToClipboard(trace_);
  Message(QMessageBox::Information, QStringLiteral("ファイルをクリップボードへ転送しました。"));
}

void TSDIAppForm::Button3Click() {
  const QString path = OutputFilePath(DirectoryListBox2->Directory(), EditBMP->text());
  if (const auto error = SaveBmp(trace_, path)) {
    Message(QMessageBox::Warning, QStringLiteral("The BMP file was not saved.\n%1").arg(error->Describe()));
    return;
  }
  Message(QMessageBox::Information, QStringLiteral("ＢＭＰファイルを出力しました。"));
}

void TSDIAppForm::Button4Click() {
  const QString path = OutputFilePath(DirectoryListBox2->Directory(), EditOut->text());
  setWindowTitle(recordPath_);
  if (const auto error = CopyRecordFile(state_->record, CheckBoxID->isChecked(), path, recordPath_)) {
    Message(QMessageBox::Warning, QStringLiteral("The record was not copied.\n%1").arg(error->Describe()));
    return;
  }
  Message(QMessageBox::Information, QStringLiteral("ファイルをコピーしました。"));
}

// ---------------------------------------------------------------- printing

void TSDIAppForm::printout1Click() {
  printer_.setCopyCount(1);
  QPrintDialog dialog(&printer_, this);
  dialog.setObjectName(QStringLiteral("PrintDialog1"));
  if (dialog.exec() != QDialog::Accepted) return;
  RunPrintJob();
}

void TSDIAppForm::Button2Click() { RunPrintJob(); }

void TSDIAppForm::U1Click() {
  PrinterSetupDialog dialog(printer_, this);
  dialog.exec();
}

void TSDIAppForm::RunPrintJob() {
  GroupBox13->hide();
  Label148->show();
  ProgressBar1->show();
  setEnabled(false);
  std::optional<QString> error;
  {
    const auto restore = qScopeGuard([this] {
      setEnabled(true);
      GroupBox13->show();
      Label148->hide();
      ProgressBar1->hide();
    });
    error = PrintRecordPage(printer_);
  }
  if (error) Message(QMessageBox::Warning, *error);
}

std::optional<QString> TSDIAppForm::PrintRecordPage(QPrinter& printer) {
  const int position = ScrollBarFile->value();
  if (!analysed_ || position < 0 || position >= ListBox2->count())
    return QStringLiteral("There is no record to print. Choose records for the work list and press \"Analyse\" first.");
  const QString entry = ListBox2->item(position)->text();
  printer.setDocName(QStringLiteral("CORVALE < ") + entry + QStringLiteral(" > "));
  PrintSettings settings;
  settings.PenWidth = ScrollBarP->value();
  settings.Margin = ScrollBarM->value();
  settings.PenPattern = state_->print.PenPattern;
  settings.GridPattern = state_->print.GridPattern;
  PrintHooks hooks;
  hooks.pageGeometry = [this](const PageGeometry& g) {
    Label140->setText(GeneralFormat(g.UsableHeight));
    Label141->setText(GeneralFormat(g.UsableWidth));
  };
  hooks.progress = [this](int p) { ProgressBar1->setValue(p); };
  hooks.processEvents = [] { QCoreApplication::processEvents(); };
  const PrintResult result = corvale::PrintRecordPage(printer, settings, state_->display, state_->leads, hooks);
  if (!result.error) return std::nullopt;
  switch (*result.error) {
    case PrintError::NoPrinter:
      return QStringLiteral("No printer is available. Install one, or choose another in \"印刷設定(&U)\".");
    case PrintError::CannotBegin:
      return QStringLiteral("The printer \"%1\" could not start the job for %2.").arg(printer.printerName(), entry);
    case PrintError::DeviceError:
      return QStringLiteral("The printer \"%1\" reported an error; the page of %2 may be incomplete.")
          .arg(printer.printerName(), entry);
  }
  return std::nullopt;
}

// ---------------------------------------------------------------- printer settings

void TSDIAppForm::ScrollBarPChange() { Label142->setText(QString::number(ScrollBarP->value())); }
void TSDIAppForm::ScrollBarMChange() { Label144->setText(QString::number(ScrollBarM->value())); }
void TSDIAppForm::RadioButton37Click(int tag) { state_->print.PenPattern = tag; }
void TSDIAppForm::RadioButtonG1Click(int tag) { state_->print.GridPattern = tag; }

// ---------------------------------------------------------------- menus

void TSDIAppForm::FileExit1Execute() { close(); }
void TSDIAppForm::HelpAbout1Execute() { aboutBox_->exec(); }

}  // namespace corvale
