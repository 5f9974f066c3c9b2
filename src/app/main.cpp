// The viewer's entry point: no arguments, no saved state.
#include <QApplication>

#include "app/SdiAppForm.h"
#include "gfx/Fonts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("CORVALE"));
  corvale::InstallFontSubstitutions();
  corvale::TSDIAppForm window;
  window.show();
  return app.exec();
}
