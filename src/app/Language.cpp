#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace corvale {

Language LanguageOfLocale(const QString& localeName) {
  // The language is the part before the territory, script, code set or modifier.
  qsizetype end = 0;
  while (end < localeName.size() && localeName[end].isLetter()) ++end;
  return localeName.first(end).compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0 ? Language::Japanese
                                                                                      : Language::English;
}

QString SystemLanguageName() {
  const QLocale system = QLocale::system();
  const QStringList languages = system.uiLanguages();
  return languages.isEmpty() ? system.name() : languages.front();
}

Language ChooseLanguage(std::optional<Language> requested, const QString& localeName) {
  return requested ? *requested : LanguageOfLocale(localeName);
}

std::optional<Language> LanguageFromName(const QString& name) {
  if (name == QLatin1String("ja")) return Language::Japanese;
  if (name == QLatin1String("en")) return Language::English;
  return std::nullopt;
}

QString NameOfLanguage(Language language) {
  return language == Language::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
}

InterfaceLanguage::InterfaceLanguage() = default;

InterfaceLanguage::~InterfaceLanguage() { Remove(); }

void InterfaceLanguage::Remove() {
  for (const auto& translator : installed_) QCoreApplication::removeTranslator(translator.get());
  installed_.clear();
}

bool InterfaceLanguage::Use(Language language) {
  Remove();
  const QString name = NameOfLanguage(language);
  // The toolkit's first: a translator installed later is asked first, so
  // ours wins where both know a text.
  auto toolkit = std::make_unique<QTranslator>();
  if (toolkit->load(QStringLiteral("qtbase_") + name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(toolkit.get());
    installed_.push_back(std::move(toolkit));
  }
  auto own = std::make_unique<QTranslator>();
  if (!own->load(QStringLiteral(":/i18n/corvale_") + name)) return false;
  QCoreApplication::installTranslator(own.get());
  installed_.push_back(std::move(own));
  return true;
}

}  // namespace corvale
