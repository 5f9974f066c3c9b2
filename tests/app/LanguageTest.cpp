// The window in English: every menu, caption, tool tip, dialog and message the
// window can show, walked control by control, holds no Japanese; texts that
// come from a record file are the only ones allowed to. And the other way
// round: the Japanese translation leaves the design's captions as they are.
#include <sys/stat.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPrinter>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QTextEdit>

#include "JapaneseText.h"
#include "WindowFixture.h"
#include "app/AboutBox.h"
#include "app/CommandLine.h"
#include "app/EcgTab.h"
#include "app/Language.h"
#include "app/PrinterSetupDialog.h"
#include "output/PageAnnotations.h"
#include "record/HeaderPresentation.h"

using namespace corvale;
using namespace corvale::test;

namespace {

// Every text a window shows, each under the path of its control: object
// names from the window down (a control without one by its class and place
// among its siblings), then which of its texts it is.
class TextWalk {
 public:
  QMap<QString, QString> texts;

  void Walk(QWidget* root) { Visit(root, Name(root, 0)); }

 private:
  static QString Name(const QObject* o, int index) {
    return o->objectName().isEmpty()
               ? QStringLiteral("%1#%2").arg(QLatin1String(o->metaObject()->className())).arg(index)
               : o->objectName();
  }
  void Add(const QString& where, const QString& text) {
    if (!text.isEmpty()) texts.insert(where, text);
  }
  void AddAction(const QString& path, const QAction* a) {
    Add(path, a->text());
    Add(path + " (tool tip)", a->toolTip());
    Add(path + " (status tip)", a->statusTip());
    Add(path + " (what's this)", a->whatsThis());
  }
  void Visit(QWidget* w, const QString& path) {
    if (w->isWindow()) Add(path + " (title)", w->windowTitle());
    Add(path + " (tool tip)", w->toolTip());
    Add(path + " (status tip)", w->statusTip());
    Add(path + " (what's this)", w->whatsThis());
    if (auto* label = qobject_cast<QLabel*>(w)) Add(path, label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) Add(path, button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) Add(path, group->title());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      Add(path, edit->text());
      Add(path + " (placeholder)", edit->placeholderText());
    }
    if (auto* text = qobject_cast<QTextEdit*>(w)) Add(path, text->toPlainText());
    if (auto* combo = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < combo->count(); ++i) Add(QStringLiteral("%1 (item %2)").arg(path).arg(i), combo->itemText(i));
    if (auto* list = qobject_cast<QListWidget*>(w))
      for (int i = 0; i < list->count(); ++i)
        Add(QStringLiteral("%1 (item %2)").arg(path).arg(i), list->item(i)->text());
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
      for (int i = 0; i < tabs->count(); ++i) {
        Add(QStringLiteral("%1 (tab %2)").arg(path).arg(i), tabs->tabText(i));
        Add(QStringLiteral("%1 (tab %2 tool tip)").arg(path).arg(i), tabs->tabToolTip(i));
      }
    if (auto* menu = qobject_cast<QMenu*>(w)) Add(path + " (menu)", menu->title());
    int index = 0;
    for (QAction* a : w->actions()) AddAction(path + u'/' + Name(a, index++), a);
    index = 0;
    for (QObject* child : w->children())
      if (auto* c = qobject_cast<QWidget*>(child)) Visit(c, path + u'/' + Name(c, index++));
  }
};

// The controls whose texts come from the file: the record's own header
// texts (its patient name may well be Japanese), its file name, and the
// lists and directory controls, which show names from the disk.
QSet<QString> DataControls() {
  QSet<QString> names = {
      QStringLiteral("LabelFile"),         QStringLiteral("ListBox1"),          QStringLiteral("ListBox2"),
      QStringLiteral("DirectoryListBox1"), QStringLiteral("DirectoryListBox2"), QStringLiteral("DriveComboBox1"),
      QStringLiteral("DriveComboBox2"),    QStringLiteral("EditOut"),           QStringLiteral("EditBMP")};
  for (const HeaderLabel& row : HeaderLabels)
    if (row.rule == HeaderRule::Text) names << QString::fromLatin1(row.control.data());
  return names;
}

// The texts with Japanese left in them, "path: text" each, leaving out the
// file's own texts.
QStringList JapaneseLeft(const QMap<QString, QString>& texts, bool titleIsData = false) {
  static const QSet<QString> data = DataControls();
  QStringList left;
  for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
    const QStringList parts = it.key().section(u' ', 0, 0).split(u'/');
    bool exempt = false;
    for (const QString& part : parts) exempt = exempt || data.contains(part);
    if (titleIsData && it.key() == QStringLiteral("SDIAppForm (title)")) exempt = true;
    if (!exempt && HasJapanese(it.value())) left << it.key() + QStringLiteral(": ") + it.value();
  }
  return left;
}

QString Lines(const QStringList& lines) { return lines.join(u'\n'); }

}  // namespace

class LanguageTest : public WindowFixture {
  Q_OBJECT

  std::unique_ptr<InterfaceLanguage> english;

  // A Japanese patient name (Shift-JIS "見本"): the record's own text, shown as it is.
  static RecordBuilder Patient(int n, const char* processingResult) {
    RecordBuilder b = Numbered(n);
    b.Set(Field::PatientName, "\x8C\xA9\x96\x7B").Set(Field::ProcessingResult, processingResult);
    return b;
  }
  EcgTab* Ecg() const { return Get<EcgTab>("TabSheet2"); }
  QStringList WalkWindow(bool titleIsData = false) const {
    TextWalk walk;
    walk.Walk(w.get());
    return JapaneseLeft(walk.texts, titleIsData);
  }
  // Runs `open`, which opens a modal dialog; walks the dialog once it is up and closes it.
  QStringList WalkModal(const std::function<void()>& open, QString* title = nullptr) {
    QStringList left;
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seen = true;
      TextWalk walk;
      walk.Walk(dialog);
      left = JapaneseLeft(walk.texts);
      if (title) *title = dialog->windowTitle();
      dialog->reject();
    });
    open();
    if (!seen) left << QStringLiteral("no dialog opened");
    return left;
  }
  // The messages so far: each one English, and at least `count` of them.
  void CheckMessages(int count, const QStringList& fragments) {
    QVERIFY2(messages.size() >= count, qPrintable(Lines(messages)));
    for (const QString& m : messages) QVERIFY2(!HasJapanese(m), qPrintable(m));
    const QString all = Lines(messages);
    for (const QString& f : fragments) QVERIFY2(all.contains(f), qPrintable(f + QStringLiteral(" not in:\n") + all));
    messages.clear();
    notices.clear();
  }

 private Q_SLOTS:
  void initTestCase() {
    designLanguage = false;
    english = std::make_unique<InterfaceLanguage>();
    QVERIFY2(english->Use(Language::English), "the English translation is not built into the program");
  }
  void cleanupTestCase() { english.reset(); }
  void init() { Open(); }
  void cleanup() { Close(); }

  void translatorsAreInstalledAndRemoved() {
    const char* caption = "ファイル(&F)";
    const char* message = "The record cannot be read.\n%1";
    QCOMPARE(QCoreApplication::translate("MainMenu", caption), QStringLiteral("&File"));
    {
      // Installed later, asked first.
      InterfaceLanguage japanese;
      QVERIFY(japanese.Use(Language::Japanese));
      QCOMPARE(QCoreApplication::translate("MainMenu", caption), QString::fromUtf8(caption));
      QVERIFY(HasJapanese(QCoreApplication::translate("corvale::TSDIAppForm", message)));
      // Another language replaces the one before, not adds to it.
      QVERIFY(japanese.Use(Language::English));
      QCOMPARE(QCoreApplication::translate("corvale::TSDIAppForm", message), QString::fromLatin1(message));
      QVERIFY(japanese.Use(Language::Japanese));
    }
    QCOMPARE(QCoreApplication::translate("corvale::TSDIAppForm", message), QString::fromLatin1(message));
    QCOMPARE(QCoreApplication::translate("MainMenu", caption), QStringLiteral("&File"));
  }

  void windowMenusAndDialogsBeforeARecord() {
    QVERIFY2(WalkWindow().isEmpty(), qPrintable(Lines(WalkWindow())));
    QCOMPARE(w->windowTitle(), QStringLiteral("CORVALE"));
    QCOMPARE(Get<QMenu>("File1")->title(), QStringLiteral("&File"));
    QCOMPARE(Get<QTabWidget>("PageControl1")->tabText(2), QStringLiteral("Header and Printer Setup"));

    // The printer set-up dialog: as it opens from the menu, and for a PDF file.
    QString title;
    QStringList left = WalkModal([this] { Get<QAction>("U1")->trigger(); }, &title);
    QVERIFY2(left.isEmpty(), qPrintable(Lines(left)));
    QCOMPARE(title, QStringLiteral("Print Setup"));
    {
      QPrinter pdf;
      pdf.setOutputFileName(tmp->filePath("page.pdf"));
      PrinterSetupDialog toFile(pdf, w.get(), PrinterCatalogue{});
      TextWalk walk;
      walk.Walk(&toFile);
      QVERIFY2(JapaneseLeft(walk.texts).isEmpty(), qPrintable(Lines(JapaneseLeft(walk.texts))));
      QVERIFY(walk.texts.values().contains(QStringLiteral("PDF file")));
    }

    // The About box, with its details open.
    left = WalkModal([this] { Get<QAction>("HelpAbout1")->trigger(); }, &title);
    QVERIFY2(left.isEmpty(), qPrintable(Lines(left)));
    QCOMPARE(title, QStringLiteral("About"));
    w->AboutBox()->ShowDetails(true);
    TextWalk about;
    about.Walk(w->AboutBox());
    QVERIFY2(JapaneseLeft(about.texts).isEmpty(), qPrintable(Lines(JapaneseLeft(about.texts))));
    QVERIFY(about.texts.value(QStringLiteral("AboutBox/Details")).contains(QStringLiteral("Licence")));

    // Printing and the preview before "Analyse" are refused.
    Get<QAction>("printout1")->trigger();
    Get<QAction>("printPreview1")->trigger();
    CheckMessages(2, {QStringLiteral("There is no record to print")});
  }

  void startWithPathsThatCannotBeOpened() {
    const QDir root(tmp->path());
    QVERIFY(root.mkpath("empty"));
    QVERIFY(QFile::link(tmp->filePath("gone.nrm"), tmp->filePath("dangling.nrm")));
    QCOMPARE(mkfifo(QFile::encodeName(tmp->filePath("pipe.nrm")).constData(), 0600), 0);
    w->OpenAtStart(ResolveStartPaths({"missing.nrm", "empty", "dangling.nrm", "pipe.nrm"}, tmp->path()), QString());
    w->OpenAtStart(ResolveStartPaths({"empty"}, tmp->path()), QString());
    CheckMessages(
        2, {QStringLiteral("no such file"), QStringLiteral("is a directory"), QStringLiteral("points to nothing"),
            QStringLiteral("not a regular file"), QStringLiteral("holds no record files")});
  }

  void unreadableRecord() {
    RecordBuilder().Write(tmp->filePath("short.nrm"), 100);
    OpenDirectory(tmp->path());
    AddInOrder({"short.nrm"});
    Click("ButtonAnalyse");
    CheckMessages(1, {QStringLiteral("The record cannot be read")});
    QVERIFY2(WalkWindow(true).isEmpty(), qPrintable(Lines(WalkWindow(true))));
    // Nothing to copy, export or print.
    Click("Button5");
    Ecg()->Button3Click();
    Ecg()->Button4Click();
    CheckMessages(3, {QStringLiteral("nothing to export")});
    Click("Button2");
    CheckMessages(1, {QStringLiteral("nothing to print")});
  }

  void recordOnTheScreen_data() {
    QTest::addColumn<QByteArray>("processingResult");
    QTest::addColumn<QString>("label90");
    QTest::newRow("normal end") << QByteArray(" ") << QStringLiteral("Completed normally");
    QTest::newRow("decoding error") << QByteArray("1") << QStringLiteral("Decoding error");
    QTest::newRow("data error") << QByteArray("2") << QStringLiteral("Data error");
  }
  void recordOnTheScreen() {
    QFETCH(QByteArray, processingResult);
    QFETCH(QString, label90);
    Patient(3, processingResult.constData()).Write(tmp->filePath("r3.nrm"));
    OpenDirectory(tmp->path());
    AddInOrder({"r3.nrm"});
    Click("ButtonAnalyse");
    QVERIFY2(messages.isEmpty(), qPrintable(Lines(messages)));
    QCOMPARE(Text("Label90"), label90);
    // The record's own Japanese is shown as stored, and only there.
    QCOMPARE(Text("Label11"), QStringLiteral("見本"));
    QVERIFY2(WalkWindow(true).isEmpty(), qPrintable(Lines(WalkWindow(true))));
  }

  void exportsTellWhatTheyDid() {
    Patient(4, "2").Write(tmp->filePath("r4.nrm"));
    OpenDirectory(tmp->path());
    AddInOrder({"r4.nrm"});
    Click("ButtonAnalyse");
    Click("Button5");
    CheckMessages(1, {QStringLiteral("clipboard")});
    QVERIFY(QDir(tmp->path()).mkdir("out"));
    w->State().output.directory = tmp->filePath("out");
    Ecg()->Button3Click();
    Ecg()->Button4Click();
    CheckMessages(2, {QStringLiteral("BMP file has been written"), QStringLiteral("record file has been copied")});
    QVERIFY(QFile::exists(tmp->filePath("out/r4.BMP")));
    w->State().output.directory = tmp->filePath("missing");
    Ecg()->Button3Click();
    Ecg()->Button4Click();
    CheckMessages(2, {QStringLiteral("BMP file was not saved"), QStringLiteral("record was not copied")});
  }

  void workListChangedAfterAnalyse() {
    AnalyseNumbered(2);
    QVERIFY(messages.isEmpty());
    Select(List(2), {1});
    Click("ButtonDelete");
    Get<QScrollBar>("ScrollBarFile")->setValue(1);
    QTRY_VERIFY(!messages.isEmpty());
    CheckMessages(1, {QStringLiteral("has no record 2 any more")});
    Click("Button2");
    CheckMessages(1, {QStringLiteral("Press \"Analyse\" again, then print")});
  }

  void namesThatCannotBeListed_data() {
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<QString>("note");
    QTest::newRow("one") << QList<QByteArray>{"r\xFF.msd", "r\xFE.msd"}
                         << QStringLiteral(
                                "1 record file is not listed: its name cannot be shown apart from another's");
    QTest::newRow("two") << QList<QByteArray>{"r\xFF.msd", "r\xFE.msd", "r\xFD.msd"}
                         << QStringLiteral(
                                "2 record files are not listed: their names cannot be shown apart from others'");
  }
  void namesThatCannotBeListed() {
    QFETCH(QList<QByteArray>, names);
    QFETCH(QString, note);
    std::vector<std::unique_ptr<NativeFile>> files;
    for (const QByteArray& name : names) {
      files.push_back(std::make_unique<NativeFile>(QFile::encodeName(tmp->path()) + '/' + name, Numbered(1).Bytes()));
      QVERIFY(files.back()->Made());
    }
    OpenDirectory(tmp->path());
    QCOMPARE(Text("LabelScanNote"), note);
    QVERIFY2(WalkWindow().isEmpty(), qPrintable(Lines(WalkWindow())));
  }

  // In Japanese, the page margin speaks Japanese, and a reader's reason (in
  // English) follows a Japanese sentence that says it is the detail.
  void japaneseMarginAndReasons() {
    english.reset();
    {
      InterfaceLanguage language;
      QVERIFY(language.Use(Language::Japanese));
      PageAnnotationInput input;
      input.identity = {"山田", "00424", "47 y.o.", "M", "2003/05/14 09:41:07", "A0005.nrm"};
      QCOMPARE(IdentificationTexts(input), (QStringList{"氏名: 山田", "ID: 00424", "年齢: 47 y.o.", "性別: M",
                                                        "記録日時: 2003/05/14 09:41:07", "ファイル: A0005.nrm"}));
      RecordBuilder().Write(tmp->filePath("short.nrm"), 100);
      OpenDirectory(tmp->path());
      AddInOrder({"short.nrm"});
      Click("ButtonAnalyse");
      QVERIFY(!messages.isEmpty());
      const QString m = messages.last();
      QVERIFY2(m.startsWith(QStringLiteral("記録を読み込めません。\n詳細（英語）: ")), qPrintable(m));
      QVERIFY2(m.contains(QStringLiteral("short.nrm")), qPrintable(m));
      messages.clear();
      notices.clear();
    }
    english = std::make_unique<InterfaceLanguage>();
    QVERIFY(english->Use(Language::English));
  }

  void japaneseKeepsTheDesignCaptions() {
    // The same window built without a translation (the design's texts) and
    // with the Japanese one differ only where the design had no caption.
    english.reset();
    auto texts = [this] {
      Close();
      Open();
      TextWalk walk;
      walk.Walk(w.get());
      return walk.texts;
    };
    const QMap<QString, QString> design = texts();
    QMap<QString, QString> japanese;
    {
      InterfaceLanguage language;
      QVERIFY(language.Use(Language::Japanese));
      japanese = texts();
    }
    english = std::make_unique<InterfaceLanguage>();
    QVERIFY(english->Use(Language::English));
    QCOMPARE(japanese.keys(), design.keys());
    // Ours: the lead names, fiducial marks and annotations check boxes, the
    // filter lists and their caption, the About box's licence, sample note
    // and details.
    const QStringList additions = {QStringLiteral("CheckBoxLeadNames"),
                                   QStringLiteral("CheckBoxFiducials"),
                                   QStringLiteral("ComboBoxBaseline"),
                                   QStringLiteral("ComboBoxMains"),
                                   QStringLiteral("ComboBoxMuscle"),
                                   QStringLiteral("LabelFilters"),
                                   QStringLiteral("CheckBoxAnnotations"),
                                   QStringLiteral("AboutBox/Panel1/Licence"),
                                   QStringLiteral("AboutBox/Panel1/SampleRecordsNote"),
                                   QStringLiteral("AboutBox/DetailsButton"),
                                   QStringLiteral("AboutBox/Details")};
    QStringList changed;
    int ours = 0;
    for (auto it = design.cbegin(); it != design.cend(); ++it) {
      if (japanese.value(it.key()) == it.value()) continue;
      const bool addition =
          std::any_of(additions.begin(), additions.end(), [&](const QString& a) { return it.key().contains(a); });
      if (addition) ++ours;
      else changed << it.key() + QStringLiteral(": ") + it.value() + QStringLiteral(" -> ") + japanese.value(it.key());
    }
    QVERIFY2(changed.isEmpty(), qPrintable(Lines(changed)));
    QVERIFY(ours > 0);  // the translation was in use
    const QStringList menus = japanese.keys().filter(QStringLiteral("/File1 (menu)"));
    QCOMPARE(menus.size(), 1);
    QCOMPARE(japanese.value(menus[0]), QStringLiteral("ファイル(&F)"));
  }
};

QTEST_MAIN(LanguageTest)
#include "LanguageTest.moc"
