// The menu bar: File, Edit and Help, one table of items per menu.
#include "app/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>

namespace corvale {
namespace {

// One menu item: the hint is "tool tip|status tip"; a null name is a separator.
// Captions and hints are marked for the translations of the "MainMenu" context.
struct Item {
  const char* name;
  const char* caption;
  const char* shortcut;
  const char* hint;
  QAction* MainMenu::*slot = nullptr;  // where the window finds it, if it connects it
};

struct Menu {
  const char* name;
  const char* caption;
  const char* hint;
};

QString Tr(const char* text) { return QCoreApplication::translate("MainMenu", text); }

QAction* AddItem(QMenu* menu, const Item& item) {
  QAction* a = menu->addAction(Tr(item.caption));
  a->setObjectName(QString::fromLatin1(item.name));
  if (*item.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
  if (*item.hint) {
    const QString hint = Tr(item.hint);
    a->setToolTip(hint.section(u'|', 0, 0));
    a->setStatusTip(hint.section(u'|', 1));
  }
  return a;
}

template <std::size_t N>
QMenu* AddMenu(QMainWindow& window, const Menu& m, const Item (&items)[N], MainMenu& out) {
  QMenu* menu = window.menuBar()->addMenu(Tr(m.caption));
  menu->setObjectName(QString::fromLatin1(m.name));
  menu->menuAction()->setStatusTip(Tr(m.hint));
  for (const Item& item : items) {
    if (!item.name) {
      menu->addSeparator();
      continue;
    }
    QAction* a = AddItem(menu, item);
    if (item.slot) out.*item.slot = a;
  }
  return menu;
}

const Item kFile[] = {
    {"FileNew1", QT_TRANSLATE_NOOP("MainMenu", "新規作成(&N)"), "Ctrl+N",
     QT_TRANSLATE_NOOP("MainMenu", "新規|新規ファイルの作成"), &MainMenu::FileNew1},
    {"FileOpen1", QT_TRANSLATE_NOOP("MainMenu", "開く(&O)..."), "Ctrl+O",
     QT_TRANSLATE_NOOP("MainMenu", "開く|ファイルを開く"), &MainMenu::FileOpen1},
    {"FileSave1", QT_TRANSLATE_NOOP("MainMenu", "上書き保存(&S)"), "Ctrl+S",
     QT_TRANSLATE_NOOP("MainMenu", "保存|現在のファイルを保存"), &MainMenu::FileSave1},
    {"FileSaveAs1", QT_TRANSLATE_NOOP("MainMenu", "名前をつけて保存(&A)..."), "",
     QT_TRANSLATE_NOOP("MainMenu", "別名保存|現在のファイルに別の名前をつけて保存"), &MainMenu::FileSaveAs1},
    {"FileExport1", QT_TRANSLATE_NOOP("MainMenu", "エクスポート(&E)..."), "", "", &MainMenu::FileExport1},
    {"printPreview1", QT_TRANSLATE_NOOP("MainMenu", "印刷プレビュー(&V)..."), "", "", &MainMenu::printPreview1},
    {"printout1", QT_TRANSLATE_NOOP("MainMenu", "印刷(&P)"), "Ctrl+P", "", &MainMenu::printout1},
    {"U1", QT_TRANSLATE_NOOP("MainMenu", "印刷設定(&U)"), "Ctrl+U", "", &MainMenu::U1},
    {nullptr, "", "", ""},
    {"FileExit1", QT_TRANSLATE_NOOP("MainMenu", "終了(&X)"), "",
     QT_TRANSLATE_NOOP("MainMenu", "終了|アプリケーション終了"), &MainMenu::FileExit1},
};

const Item kEdit[] = {
    {"EditCut1", QT_TRANSLATE_NOOP("MainMenu", "切り取り(&T)"), "Ctrl+X",
     QT_TRANSLATE_NOOP("MainMenu", "切り取り|選択部分を切り取りクリップボードに送る")},
    {"EditCopy1", QT_TRANSLATE_NOOP("MainMenu", "コピー(&C)"), "Ctrl+C",
     QT_TRANSLATE_NOOP("MainMenu", "コピー|選択部分をコピーしクリップボードに送る")},
    {"EditPaste1", QT_TRANSLATE_NOOP("MainMenu", "貼り付け(&P)"), "Ctrl+V",
     QT_TRANSLATE_NOOP("MainMenu", "貼り付け|クリップボードの内容を貼り付け")},
};

const Item kHelp[] = {
    {"HelpAbout1", QT_TRANSLATE_NOOP("MainMenu", "バージョン情報(&A)..."), "",
     QT_TRANSLATE_NOOP("MainMenu", "バージョン情報|バージョンなど固有の情報を表示"), &MainMenu::HelpAbout1},
};

const Menu kMenus[] = {
    {"File1", QT_TRANSLATE_NOOP("MainMenu", "ファイル(&F)"), QT_TRANSLATE_NOOP("MainMenu", "ファイルに関連した機能")},
    {"Edit1", QT_TRANSLATE_NOOP("MainMenu", "編集(&E)"), QT_TRANSLATE_NOOP("MainMenu", "編集に関連した機能")},
    {"Help1", QT_TRANSLATE_NOOP("MainMenu", "ヘルプ(&H)"), QT_TRANSLATE_NOOP("MainMenu", "ヘルプトピック")},
};

}  // namespace

MainMenu BuildMainMenu(QMainWindow& window) {
  MainMenu out;
  AddMenu(window, kMenus[0], kFile, out);
  QMenu* edit = AddMenu(window, kMenus[1], kEdit, out);
  AddMenu(window, kMenus[2], kHelp, out);

  // Cut, copy and paste work on the text box that has the focus.
  auto onFocusedEdit = [](auto operation) {
    return [operation] {
      if (auto* e = qobject_cast<QLineEdit*>(QApplication::focusWidget())) (e->*operation)();
    };
  };
  const QList<QAction*> items = edit->actions();
  QObject::connect(items[0], &QAction::triggered, &window, onFocusedEdit(&QLineEdit::cut));
  QObject::connect(items[1], &QAction::triggered, &window, onFocusedEdit(&QLineEdit::copy));
  QObject::connect(items[2], &QAction::triggered, &window, onFocusedEdit(&QLineEdit::paste));
  return out;
}

}  // namespace corvale
