#pragma once

// The one place the application's font is made. Every text is Korean in one family, which
// holds every glyph the screens use: no fallback searches, and without hinting the glyphs
// load much faster.

#include <QFont>

#include "platform/host.h"
#include "screens/dialog_template.h"

namespace velomar {

// NanumGothic at a size in pixels.
QFont KoreanFont(int pixelSize);
// At a size in points on the emulated screen (its dots per inch follow its width).
QFont ScreenFont(int pointSize, ScreenSize screen);
// The font of a template on the emulated screen.
QFont TemplateFont(const DialogTemplate& dialog, ScreenSize screen);

}  // namespace velomar
