// The About dialog.
#pragma once

#include <QDialog>

namespace corvale {

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace corvale
