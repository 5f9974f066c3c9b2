// Building controls at their design places (see Controls.h).
#include "app/Controls.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace corvale {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
  auto* b = Make<QPushButton>(parent, name, x, y, w, h);
  b->setText(text);
  b->setAutoDefault(false);
  return b;
}

QScrollBar* MakeScrollBar(QWidget* parent, const char* name, int x, int y, int w, int h, int min, int max,
                          int position) {
  auto* s = Make<QScrollBar>(parent, name, x, y, w, h);
  s->setOrientation(Qt::Horizontal);
  s->setRange(min, max);
  s->setValue(position);
  s->setSingleStep(1);
  s->setPageStep(1);
  return s;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
  auto* l = new QLabel(parent);
  l->setTextFormat(Qt::PlainText);
  l->setText(text);
  l->setObjectName(QString::fromLatin1(name));
  if (w > 0) {
    l->setGeometry(x, y, w, h > 0 ? h : 13);
  } else {
    l->adjustSize();
    l->move(x, y);
  }
  return l;
}

QRadioButton* AddRadio(QWidget* parent, const char* name, const QString& text, int tag, int x, int y, int w, int h) {
  auto* r = Make<QRadioButton>(parent, name, x, y, w, h);
  r->setText(text);
  r->setProperty("handlerValue", tag);
  return r;
}

void SetLiteralWindowTitle(QWidget* window, const QString& text) {
  // A doubled "[*]" shows the characters themselves.
  QString title = text;
  window->setWindowTitle(title.replace(QLatin1String("[*]"), QLatin1String("[*][*]")));
}

QString PlainToolTip(const QString& text) {
  // Tool tips guess their format: text that looks like markup goes escaped in
  // an unbroken span, which is always read as rich text and shows the
  // characters on one line, as a plain tool tip would.
  return Qt::mightBeRichText(text) ? QStringLiteral("<nobr>%1</nobr>").arg(text.toHtmlEscaped()) : text;
}

QFont GothicFont(int pixels, bool bold) {
  QFont f(QStringLiteral("MS UI Gothic"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace corvale
