// The window's header labels, one per row of the header label table.
#include "app/HeaderLabels.h"

#include <QCoreApplication>
#include <QLabel>

#include "app/Controls.h"

namespace corvale {
namespace {

QString Utf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The texts the header table gives for the processing result's codes: ours,
// so they are translated; every other header text is the record's own.
const char* const kProcessingResults[] = {QT_TRANSLATE_NOOP("HeaderLabels", "正常終了"),
                                          QT_TRANSLATE_NOOP("HeaderLabels", "デコードエラー"),
                                          QT_TRANSLATE_NOOP("HeaderLabels", "データエラー")};

QString Translated(const HeaderLabel& row, const QString& text) {
  if (row.rule != HeaderRule::ProcessingResult) return text;
  for (const char* result : kProcessingResults)
    if (text == QString::fromUtf8(result)) return QCoreApplication::translate("HeaderLabels", result);
  return text;
}

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
    // A code without a text leaves the label empty: what another record left
    // there would be that record's value under this record's name, and the
    // design caption would look like a value ("y.o.").
    labels_[i]->setText(texts[i] ? Translated(HeaderLabels[i], *texts[i]) : QString());
    if (HeaderLabels[i].look == HeaderLook::PatientName) labels_[i]->setToolTip(PlainToolTip(labels_[i]->text()));
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
