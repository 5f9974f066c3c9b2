// The viewer's entry point.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("CORVALE"));
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("CORVALE"));
  window.setFixedSize(1216, 918);
  window.show();
  return app.exec();
}
