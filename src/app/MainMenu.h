// The main window's menu bar, built in one place from one table per menu:
// each item's object name, caption, shortcut and hint. The window connects the
// items that do something to its handlers.
#pragma once

class QAction;
class QMainWindow;

namespace corvale {

/// The items the window connects. New, save and save-as do nothing; cut,
/// copy and paste act on the focused text box by themselves.
struct MainMenu {
  QAction* FileNew1 = nullptr;
  QAction* FileOpen1 = nullptr;
  QAction* FileSave1 = nullptr;
  QAction* FileSaveAs1 = nullptr;
  QAction* FileExport1 = nullptr;
  QAction* printPreview1 = nullptr;
  QAction* printout1 = nullptr;
  QAction* U1 = nullptr;
  QAction* FileExit1 = nullptr;
  QAction* HelpAbout1 = nullptr;
};

/// Adds the File, Edit and Help menus to `window`'s menu bar.
MainMenu BuildMainMenu(QMainWindow& window);

}  // namespace corvale
