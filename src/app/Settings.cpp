#include "app/Settings.h"

#include <sys/stat.h>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace corvale {
namespace {

// Keys, grouped as a user would look for them in the file.
const QString kDirectory = QStringLiteral("files/directory");
const QString kColorScheme = QStringLiteral("display/colorScheme");
const QString kSpan = QStringLiteral("display/span");
const QString kLimbLeads = QStringLiteral("display/limbLeadLayout");
const QString kLeadNames = QStringLiteral("display/leadNames");
const QString kFiducialMarks = QStringLiteral("display/fiducialMarks");
const QString kFilterBaseline = QStringLiteral("filters/baseline");
const QString kFilterMains = QStringLiteral("filters/mains");
const QString kFilterMuscle = QStringLiteral("filters/muscle");
const QString kPrinter = QStringLiteral("printer/name");
const QString kPaper = QStringLiteral("printer/paper");
const QString kOrientation = QStringLiteral("printer/orientation");
const QString kPenWidth = QStringLiteral("printer/penWidth");
const QString kMargin = QStringLiteral("printer/margin");
const QString kPenPattern = QStringLiteral("printer/penPattern");
const QString kGridPattern = QStringLiteral("printer/gridPattern");
const QString kAnnotations = QStringLiteral("printer/annotations");
const QString kWindowX = QStringLiteral("window/x");
const QString kWindowY = QStringLiteral("window/y");

// A window further out than this is no place on any desktop.
constexpr int kFarthest = 100000;

// A setting's text as the file holds it; a list or an odd type gives none.
std::optional<QString> Text(const QSettings& store, const QString& key) {
  const QVariant v = store.value(key);
  if (!v.isValid() || v.typeId() != QMetaType::QString) return std::nullopt;
  return v.toString();
}

void ReadInt(const QSettings& store, const QString& key, int min, int max, int& into) {
  const std::optional<QString> text = Text(store, key);
  if (!text) return;
  bool ok = false;
  const int n = text->trimmed().toInt(&ok);
  if (ok && n >= min && n <= max) into = n;
}

// Only the words the store writes; QVariant would take any other text as true.
void ReadBool(const QSettings& store, const QString& key, bool& into) {
  const std::optional<QString> text = Text(store, key);
  if (text == QLatin1String("true")) into = true;
  if (text == QLatin1String("false")) into = false;
}

std::optional<QPageSize::PageSizeId> PaperFromKey(const QString& key) {
  for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
    const auto size = static_cast<QPageSize::PageSizeId>(id);
    if (size != QPageSize::Custom && QPageSize::key(size) == key) return size;
  }
  return std::nullopt;
}

// One filter's value as --filter writes it ("0.67", "50"), or "off".
QString FilterValue(const FilterSettings& one) {
  const QString text = FormatFilterSettings(one);
  const qsizetype eq = text.indexOf(u'=');
  return eq < 0 ? QStringLiteral("off") : text.mid(eq + 1);
}

// The filter `name` set as the store says, through the command line's parser;
// none when the value is no value of that filter.
std::optional<FilterSettings> ReadFilter(const QSettings& store, const QString& key, QLatin1String name) {
  const std::optional<QString> value = Text(store, key);
  // One value, never a list that would set another filter on the way.
  if (!value || value->isEmpty() || value->contains(u',') || value->contains(u'=')) return std::nullopt;
  const FilterParse parsed = ParseFilterSettings(name + u'=' + *value);
  return parsed.Ok() ? std::optional(parsed.settings) : std::nullopt;
}

}  // namespace

ViewerSettings ReadSettings(QSettings& store) {
  // The file is parsed when its keys are first asked for, and only then does
  // the status tell a damaged one.
  (void)store.allKeys();
  ViewerSettings s;
  if (store.status() != QSettings::NoError) return s;
  if (const auto directory = Text(store, kDirectory); directory && !directory->isEmpty()) s.directory = *directory;
  ReadInt(store, kColorScheme, 1, 3, s.colorScheme);
  ReadInt(store, kSpan, 1, 2, s.displaySpan);
  ReadInt(store, kLimbLeads, 1, 3, s.limbLeadMode);
  ReadBool(store, kLeadNames, s.leadNames);
  ReadBool(store, kFiducialMarks, s.fiducialMarks);
  if (const auto f = ReadFilter(store, kFilterBaseline, QLatin1String("baseline"))) s.filters.baseline = f->baseline;
  if (const auto f = ReadFilter(store, kFilterMains, QLatin1String("mains"))) s.filters.mains = f->mains;
  if (const auto f = ReadFilter(store, kFilterMuscle, QLatin1String("muscle"))) s.filters.muscle = f->muscle;
  if (const auto printer = Text(store, kPrinter)) s.printerName = *printer;
  if (const auto paper = Text(store, kPaper)) s.paper = PaperFromKey(*paper);
  const std::optional<QString> orientation = Text(store, kOrientation);
  if (orientation == QLatin1String("portrait")) s.orientation = QPageLayout::Portrait;
  if (orientation == QLatin1String("landscape")) s.orientation = QPageLayout::Landscape;
  ReadInt(store, kPenWidth, MinPenWidth, MaxPenWidth, s.penWidth);
  ReadInt(store, kMargin, MinMargin, MaxMargin, s.margin);
  ReadInt(store, kPenPattern, 1, 2, s.penPattern);
  ReadInt(store, kGridPattern, 1, 2, s.gridPattern);
  ReadBool(store, kAnnotations, s.annotations);
  // The position only as a pair: half of one is no place.
  int x = kFarthest + 1, y = kFarthest + 1;
  ReadInt(store, kWindowX, -kFarthest, kFarthest, x);
  ReadInt(store, kWindowY, -kFarthest, kFarthest, y);
  if (x <= kFarthest && y <= kFarthest) s.windowPosition = QPoint(x, y);
  return s;
}

std::unique_ptr<QSettings> OpenSettingsStore(QString* refused) {
  // Where QSettings looks on this platform: the user's and the system's
  // configuration directories, the application's file and the organisation's.
  QStringList directories = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
  directories << QStringLiteral("/etc/xdg");
  const QString organisation = QCoreApplication::organizationName();
  const QString application = QCoreApplication::applicationName();
  for (const QString& directory : directories) {
    for (const QString& file : {QStringLiteral("%1/%2/%3.conf").arg(directory, organisation, application),
                                QStringLiteral("%1/%2.conf").arg(directory, organisation)}) {
      // The type by the name, as the record reader checks it: stat() never opens.
      struct stat st {};
      if (::stat(QFile::encodeName(file).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (refused) *refused = file;
        return nullptr;
      }
    }
  }
  return std::make_unique<QSettings>();
}

void WriteSettings(QSettings& store, const ViewerSettings& s) {
  auto setOrRemove = [&store](const QString& key, const std::optional<QString>& value) {
    if (value) store.setValue(key, *value);
    else store.remove(key);
  };
  // Everything as text, so that the file reads the same whatever wrote it.
  setOrRemove(kDirectory, s.directory.isEmpty() ? std::nullopt : std::optional(s.directory));
  store.setValue(kColorScheme, QString::number(s.colorScheme));
  store.setValue(kSpan, QString::number(s.displaySpan));
  store.setValue(kLimbLeads, QString::number(s.limbLeadMode));
  store.setValue(kLeadNames, s.leadNames ? QStringLiteral("true") : QStringLiteral("false"));
  store.setValue(kFiducialMarks, s.fiducialMarks ? QStringLiteral("true") : QStringLiteral("false"));
  store.setValue(kFilterBaseline, FilterValue({s.filters.baseline, MainsFilter::Off, MuscleFilter::Off}));
  store.setValue(kFilterMains, FilterValue({BaselineFilter::Off, s.filters.mains, MuscleFilter::Off}));
  store.setValue(kFilterMuscle, FilterValue({BaselineFilter::Off, MainsFilter::Off, s.filters.muscle}));
  setOrRemove(kPrinter, s.printerName.isEmpty() ? std::nullopt : std::optional(s.printerName));
  setOrRemove(kPaper, s.paper ? std::optional(QPageSize::key(*s.paper)) : std::nullopt);
  setOrRemove(kOrientation, !s.orientation                             ? std::nullopt
                            : *s.orientation == QPageLayout::Landscape ? std::optional(QStringLiteral("landscape"))
                                                                       : std::optional(QStringLiteral("portrait")));
  store.setValue(kPenWidth, QString::number(s.penWidth));
  store.setValue(kMargin, QString::number(s.margin));
  store.setValue(kPenPattern, QString::number(s.penPattern));
  store.setValue(kGridPattern, QString::number(s.gridPattern));
  store.setValue(kAnnotations, s.annotations ? QStringLiteral("true") : QStringLiteral("false"));
  setOrRemove(kWindowX, s.windowPosition ? std::optional(QString::number(s.windowPosition->x())) : std::nullopt);
  setOrRemove(kWindowY, s.windowPosition ? std::optional(QString::number(s.windowPosition->y())) : std::nullopt);
}

}  // namespace corvale
