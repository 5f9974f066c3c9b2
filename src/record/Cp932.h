// Shift-JIS (Windows code page 932) text of patient names and header fields.
// Converted with the C library's iconv rather than QStringDecoder: the latter
// (ICU on Debian's Qt 6.4) marks a bad byte with U+001A, an invisible control
// character, and silently drops a lead byte cut off by the field's end.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace corvale {

/// Decodes cp932 bytes. Bytes that do not form a valid character each become
/// U+FFFD, and decoding goes on after them, so nothing that follows is hidden.
QString DecodeCp932(std::span<const std::uint8_t> bytes);

/// Encodes text as cp932; empty optional when a character has no cp932 form.
std::optional<QByteArray> EncodeCp932(const QString& text);

}  // namespace corvale
