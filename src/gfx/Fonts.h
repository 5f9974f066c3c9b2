// Font names of the window design mapped to the fonts Debian provides.
#pragma once

namespace corvale {

/// Maps "MS UI Gothic" and "ＭＳ ゴシック" to IPA Gothic, "Arial" and
/// "MS Sans Serif" to Liberation Sans, "System" to the default UI font.
/// Safe to call more than once; needs a QGuiApplication.
void InstallFontSubstitutions();

}  // namespace corvale
