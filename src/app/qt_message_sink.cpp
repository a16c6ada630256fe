#include "app/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/qt_text.h"

namespace velomar {

void QtMessageSink::showMessage(std::u16string_view text, std::u16string_view caption) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr && m_fallbackParent) {
        parent = m_fallbackParent();
    }
    QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

void StderrMessageSink::showMessage(std::u16string_view text, std::u16string_view caption) {
    const QByteArray line = (ToQString(caption) + QStringLiteral(": ") + ToQString(text)).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
}

}  // namespace velomar
