// Building controls at their design places: one helper per kind of control, so
// that each tab reads as a list of controls with their names, captions and
// positions (left, top, width, height in pixels).
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace corvale {

/// A control of type W named `name` at (x, y), w x h.
template <class W>
W* Make(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* widget = new W(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

/// A push button that never becomes the default button.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h);

/// A horizontal scroll bar over [min, max] at `position`, stepping by one.
QScrollBar* MakeScrollBar(QWidget* parent, const char* name, int x, int y, int w, int h, int min, int max,
                          int position);

/// A label; without a width it takes the size of its text. Labels show their
/// text as plain text: much of it comes from record files and file names.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w = 0, int h = 0);

/// A radio button; `tag` is the number its group's handler receives when it is clicked.
QRadioButton* AddRadio(QWidget* parent, const char* name, const QString& text, int tag, int x, int y, int w, int h);

/// Sets a window's title to `text` as it stands ("[*]" is not the modified sign).
void SetLiteralWindowTitle(QWidget* window, const QString& text);

/// A tool tip that shows `text` as it stands, whatever markup it resembles.
QString PlainToolTip(const QString& text);

/// The lists' and the patient name's face, at `pixels` high.
QFont GothicFont(int pixels, bool bold = false);

}  // namespace corvale
