// The interface's language. The window's texts are written in the design's
// Japanese (with its English captions and our English messages); English is
// a translation of them. The language follows the user's locale unless the
// command line names one, and is applied by installing translators: ours,
// built into the program, and the toolkit's own for its dialogs, where the
// system has them.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QTranslator;

namespace corvale {

enum class Language { Japanese, English };

/// Japanese for a locale of the Japanese language, however it is written
/// ("ja", "ja_JP", "ja-JP", "ja_JP.UTF-8", "ja_JP@euro"); English for every
/// other, including "C", "POSIX" and an empty name.
Language LanguageOfLocale(const QString& localeName);

/// The user's locale as LanguageOfLocale reads it: the system locale's first
/// interface language (which honours LANGUAGE), else its name.
QString SystemLanguageName();

/// The language asked for on the command line, else the locale's.
Language ChooseLanguage(std::optional<Language> requested, const QString& localeName);

/// The values `--lang` takes: "ja" and "en". Anything else is no language.
std::optional<Language> LanguageFromName(const QString& name);
QString NameOfLanguage(Language language);

/// The translators of one language, installed in the running application
/// for as long as this object lives.
class InterfaceLanguage {
 public:
  InterfaceLanguage();
  ~InterfaceLanguage();
  InterfaceLanguage(const InterfaceLanguage&) = delete;
  InterfaceLanguage& operator=(const InterfaceLanguage&) = delete;

  /// Installs the translators of `language` in place of those installed
  /// before. Returns false if the program's own translation is missing (a
  /// fault of the build); the toolkit's is used where present and is not
  /// required.
  bool Use(Language language);

 private:
  void Remove();
  std::vector<std::unique_ptr<QTranslator>> installed_;
};

}  // namespace corvale
