#include "app/qt_message_sink.h"

#include <QApplication>
#include <cstdio>

#include "app/message_box.h"
#include "app/qt_text.h"
#include "app/screen_area.h"

namespace velomar {

void QtMessageSink::showMessage(std::u16string_view text, std::u16string_view caption) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr && m_fallbackParent) {
        parent = m_fallbackParent();
    }
    MessageBoxDialog box(ToQString(text), ToQString(caption), ScreenAreaOf(parent).size, parent);
    box.exec();
}

void StderrMessageSink::showMessage(std::u16string_view text, std::u16string_view caption) {
    const QByteArray line = (ToQString(caption) + QStringLiteral(": ") + ToQString(text)).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
}

}  // namespace velomar
