#pragma once

#include <QFont>

namespace ui {

// The windows and receipts name Windows fonts (宋体, 黑体, 方正兰亭刊黑_GBK, MS Sans Serif, Arial).
// This maps each to an installed font that renders simplified Chinese, with Noto CJK SC as the
// fallback so Han characters never come out in Japanese or Korean glyph forms. Safe to call again.
void installFontSubstitutions();

// The two faces the windows use; both install the substitutions first.
QFont songFont(int pixelSize, bool bold = false);
QFont heiFont(int pixelSize, bool bold = false);

} // namespace ui
