#include "app/AboutBox.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>

#include "ProgramInfo.h"
#include "app/Artwork.h"

namespace corvale {
namespace {

// The designed dialog; the details open below it, wider, so that the sample
// records' table fits without scrolling sideways.
constexpr QSize kDesignSize(298, 218);
constexpr QSize kDetailsSize(470, 330);

// The design's "System" face is a narrow bitmap font; its substitutes are
// wider, and the version would be cut off at the panel's edge. Narrow the face
// just enough to show the whole text in `room` pixels; never clip it.
void FitToWidth(QLabel* label, int room) {
  QFont font = label->font();
  for (int stretch = 100; stretch >= 50; stretch -= 2) {
    font.setStretch(stretch);
    if (QFontMetrics(font).horizontalAdvance(label->text()) <= room) break;
  }
  label->setFont(font);
  label->adjustSize();
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(tr("About"));
  QFont dialogFont(QStringLiteral("MS Sans Serif"));
  dialogFont.setPixelSize(11);
  setFont(dialogFont);
  setFixedSize(kDesignSize);

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
  auto* version = new QLabel(tr("Version : %1").arg(QLatin1String(ProgramVersion)), panel);
  version->setObjectName(QStringLiteral("Version"));
  version->setFont(labelFont);
  version->move(136, 40);
  FitToWidth(version, panel->contentsRect().right() - 136);
  auto* licence = new QLabel(tr("Licence : %1").arg(QLatin1String(ProgramLicence)), panel);
  licence->setObjectName(QStringLiteral("Licence"));
  licence->move(136, 72);
  auto* samples = new QLabel(tr("Sample records: public data under their own licences (see Details)."), panel);
  samples->setObjectName(QStringLiteral("SampleRecordsNote"));
  samples->setWordWrap(true);
  samples->setGeometry(24, 116, 241, 32);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(120, 178, 65, 33);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  detailsButton_ = new QPushButton(this);
  detailsButton_->setObjectName(QStringLiteral("DetailsButton"));
  detailsButton_->setGeometry(209, 178, 80, 33);
  detailsButton_->setAutoDefault(false);
  connect(detailsButton_, &QPushButton::clicked, this, [this] { ShowDetails(!DetailsShown()); });

  details_ = new QTextBrowser(this);
  details_->setObjectName(QStringLiteral("Details"));
  details_->setGeometry(8, kDesignSize.height(), kDetailsSize.width() - 16, kDetailsSize.height() - 8);
  details_->setOpenExternalLinks(true);
  details_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  details_->setMarkdown(DetailsText());
  ShowDetails(false);
}

void TAboutBox::ShowDetails(bool shown) {
  details_->setVisible(shown);
  detailsButton_->setText(shown ? tr("Details <<") : tr("Details >>"));
  setFixedSize(shown ? QSize(kDetailsSize.width(), kDesignSize.height() + kDetailsSize.height()) : kDesignSize);
}

bool TAboutBox::DetailsShown() const { return !details_->isHidden(); }

QString TAboutBox::DetailsText() {
  // The notes are a document of their own; their headings sit two levels lower here.
  QString notes = QString::fromUtf8(SampleRecordNotes);
  notes.replace(QRegularExpression(QStringLiteral("^#"), QRegularExpression::MultilineOption), QStringLiteral("###"));
  //: Markdown: keep the ** and ### marks and the blank lines
  return tr("**CORVALE** version %1, built with Qt %2, running on Qt %3.\n\n"
            "### Licence\n\nCORVALE is distributed under the %4 licence:\n\n%5\n\n%6")
      .arg(QLatin1String(ProgramVersion), QLatin1String(QT_VERSION_STR), QLatin1String(qVersion()),
           QLatin1String(ProgramLicence), QString::fromUtf8(ProgramLicenceText), notes);
}

void TAboutBox::showEvent(QShowEvent* event) {
  // Every opening starts from the designed dialog.
  ShowDetails(false);
  QDialog::showEvent(event);
}

}  // namespace corvale
