#include "app/fonts.h"

#include "screens/layout_rules.h"

namespace velomar {

QFont KoreanFont(int pixelSize) {
    QFont font(QStringLiteral("NanumGothic"));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPixelSize(pixelSize);
    return font;
}

QFont ScreenFont(int pointSize, ScreenSize screen) {
    return KoreanFont(FontPixelSize(pointSize, screen));
}

QFont TemplateFont(const DialogTemplate& dialog, ScreenSize screen) {
    return ScreenFont(dialog.fontPointSize, screen);
}

}  // namespace velomar
