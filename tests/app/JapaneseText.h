// Whether a text holds Japanese writing: kana, kanji, Japanese punctuation or
// full-width forms. What an English interface must not show.
#pragma once

#include <QString>

namespace corvale::test {

inline bool IsJapaneseCharacter(char32_t c) {
  return (c >= 0x3000 && c <= 0x30FF)        // ideographic space and punctuation, hiragana, katakana
         || (c >= 0x31F0 && c <= 0x31FF)     // small katakana
         || (c >= 0x3400 && c <= 0x4DBF)     // kanji, extension A
         || (c >= 0x4E00 && c <= 0x9FFF)     // kanji
         || (c >= 0xF900 && c <= 0xFAFF)     // compatibility kanji
         || (c >= 0xFF00 && c <= 0xFFEF)     // full-width and half-width forms
         || (c >= 0x20000 && c <= 0x3FFFF);  // kanji, later extensions
}

inline bool HasJapanese(const QString& text) {
  for (const char32_t c : text.toUcs4())
    if (IsJapaneseCharacter(c)) return true;
  return false;
}

}  // namespace corvale::test
