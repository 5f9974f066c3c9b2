// The About dialog: the designed panel, and on request the details (licence,
// the sample records' sources and licences, the toolkit's version).
#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

namespace corvale {

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  /// Shows or hides the details below the designed dialog.
  void ShowDetails(bool shown);
  bool DetailsShown() const;
  /// The details as Markdown: version, licence with its text, the sample records' notes.
  static QString DetailsText();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* detailsButton_ = nullptr;
  QTextBrowser* details_ = nullptr;
};

}  // namespace corvale
