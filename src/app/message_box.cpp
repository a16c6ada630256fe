#include "app/message_box.h"

#include <QLabel>

#include "app/fonts.h"
#include "app/tile_button.h"
#include "screens/screen_fit.h"

namespace velomar {

MessageBoxDialog::MessageBoxDialog(const QString& text, const QString& title, ScreenSize screen,
                                   QWidget* parent)
    : EmulatedDialog(screen, parent),
      m_text(new QLabel(text, client())),
      m_ok(new TileButton(client())) {
    const QFont font = ScreenFont(kChromeFontPoints, screen);
    setFont(font);
    caption()->setFont(font);
    setWindowTitle(title);
    m_ok->setText(QStringLiteral("OK"));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);

    const int strip = DialogCaptionHeight(screen);
    const int pad = strip / 2;
    const QFontMetrics metrics(font);
    const QSize button(qMax(m_ok->sizeHint().width(), strip * 3), m_ok->sizeHint().height());
    // As wide as the text wants, at least room for the caption, never wider than the screen.
    const int widest = screen.width - 2 * pad;
    const int wanted = qMax(metrics.horizontalAdvance(text) + 2 * pad,
                            metrics.horizontalAdvance(title) + 3 * strip);
    const int width = qBound(button.width() + 2 * pad, wanted, widest);
    const int textHeight = m_text->heightForWidth(width - 2 * pad);
    const int clientHeight =
        qMin(pad + textHeight + pad + button.height() + pad, screen.height - strip);

    setFixedSize(width, strip + clientHeight);
    caption()->setGeometry(0, 0, width, strip);
    client()->setGeometry(0, strip, width, clientHeight);
    m_text->setGeometry(pad, pad, width - 2 * pad, textHeight);
    m_ok->setGeometry((width - button.width()) / 2, clientHeight - pad - button.height(),
                      button.width(), button.height());
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);
    setDefaultButton(m_ok);
}

}  // namespace velomar
