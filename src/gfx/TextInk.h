// Text as a set of pixels: the screen images draw text without a background
// box, unsmoothed, so that the same label gives the same pixels every time and
// the paper shows through between the strokes.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>

#include "gfx/Canvas.h"

namespace corvale {

/// The QFont a TextFont stands for (with the window's font substitutions).
/// `unsmoothed` turns antialiasing off, as the screen images draw.
QFont QtTextFont(const TextFont& font, bool unsmoothed);

/// The ink of a text drawn unsmoothed with its baseline starting at (0, 0).
struct TextInk {
  QImage mask;   // Format_Alpha8 of bounds.size(): 255 where a glyph pixel is, 0 elsewhere
  QRect bounds;  // tight box of the ink relative to the baseline start; empty for blank text
};

/// The ink of `text` in `font`. Kept once rendered (labels are drawn on every
/// render); safe to call from more than one thread.
TextInk RenderTextInk(const QString& text, const TextFont& font);

/// Where the pixel at (dx, dy) from a text's baseline start lands when the text
/// is turned by `quarterTurns` x 90 degrees counter-clockwise about that start.
QPoint TurnedPixel(int dx, int dy, int quarterTurns);

}  // namespace corvale
