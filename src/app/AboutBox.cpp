#include "app/AboutBox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/Artwork.h"

namespace corvale {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  QFont dialogFont(QStringLiteral("MS Sans Serif"));
  dialogFont.setPixelSize(11);
  setFont(dialogFont);
  setFixedSize(298, 218);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 281, 161);
  auto* picture = new QLabel(panel);
  picture->setObjectName(QStringLiteral("ProgramIcon"));
  picture->setGeometry(24, 16, 97, 89);
  picture->setPixmap(ProgramPicture(97, 89));
  QFont labelFont(QStringLiteral("System"));
  labelFont.setPixelSize(13);
  labelFont.setBold(true);
  auto* product = new QLabel(QStringLiteral("CORVALE"), panel);
  product->setObjectName(QStringLiteral("ProductName"));
  product->setFont(labelFont);
  product->move(136, 16);
  auto* version = new QLabel(QStringLiteral("Version : 1.41421356"), panel);
  version->setObjectName(QStringLiteral("Version"));
  version->setFont(labelFont);
  version->move(136, 40);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(120, 178, 65, 33);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace corvale
