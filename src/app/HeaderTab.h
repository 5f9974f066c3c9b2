// The "Header and Printer Setup" tab: the row captions of the header values
// (the values themselves are header labels, see HeaderLabelSet) and the
// printer block: the page size of the latest job, pen width, margin, pen and
// grid pattern, and whether the page's margin identifies the record. The printer settings live in the viewer state; the
// controls show them and their handlers write them.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QRadioButton;
class QScrollBar;

namespace corvale {

struct PageGeometry;
struct PrintSettings;

class HeaderTab : public QWidget {
  Q_OBJECT
 public:
  /// Builds the tab's controls on itself; `parent` gives them the window's font.
  HeaderTab(PrintSettings& settings, QWidget* parent);

  // Handlers.
  void ScrollBarPChange();
  void ScrollBarMChange();
  void RadioButton37Click(int tag);
  void RadioButtonG1Click(int tag);
  void CheckBoxAnnotationsClick(bool checked);

  /// Sets the controls that differ from the settings as a user would, so
  /// their handlers write the settings: pen width, margin, pen and grid
  /// pattern (1 = A, 2 = B), annotations.
  void Choose(int penWidth, int margin, int penPattern, int gridPattern, bool annotations);

  /// The pen width and margin beside their scroll bars, as the settings hold them.
  void ShowPrintSettings();
  /// pix_X and pix_Y: the usable page of the latest job.
  void ShowPageGeometry(const PageGeometry& g);

 private:
  void BuildRowCaptions();
  void BuildPrinterBlock();

  PrintSettings& settings_;
  QLabel *Label140 = nullptr, *Label141 = nullptr, *Label142 = nullptr, *Label144 = nullptr;
  QScrollBar *ScrollBarP = nullptr, *ScrollBarM = nullptr;
  QRadioButton *penButtons_[2] = {}, *gridButtons_[2] = {};
  QCheckBox* CheckBoxAnnotations = nullptr;
};

}  // namespace corvale
