#include "app/HeaderLabels.h"

#include <QLabel>

#include "app/Controls.h"

namespace corvale {
namespace {

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

HeaderLabelSet::HeaderLabelSet(QWidget* ecgPage, QWidget* headerPage) {
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) {
    const HeaderLabel& row = HeaderLabels[i];
    QWidget* page = row.page == HeaderPage::Ecg ? ecgPage : headerPage;
    // The table's names are string literals: data() ends in a NUL.
    QLabel* label = AddLabel(page, row.control.data(), Utf8(row.caption), row.x, row.y, row.width, row.height);
    switch (row.look) {
      case HeaderLook::Plain: break;
      case HeaderLook::RightAligned: label->setAlignment(Qt::AlignRight | Qt::AlignVCenter); break;
      case HeaderLook::PatientName: label->setFont(GothicFont(16, true)); break;
    }
    labels_[i] = label;
  }
}

void HeaderLabelSet::Show(const HeaderTexts& texts) {
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) {
    if (texts[i]) labels_[i]->setText(*texts[i]);
    if (HeaderLabels[i].look == HeaderLook::PatientName) labels_[i]->setToolTip(labels_[i]->text());
  }
}

void HeaderLabelSet::ShowDesignCaptions() {
  for (std::size_t i = 0; i < HeaderLabelCount; ++i) {
    labels_[i]->setText(Utf8(HeaderLabels[i].caption));
    // No name of another record may stay, not even as a tool tip.
    if (HeaderLabels[i].look == HeaderLook::PatientName) labels_[i]->setToolTip(QString());
  }
}

}  // namespace corvale
