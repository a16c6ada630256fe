#include "app/emulated_dialog.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/dialog_parts.h"
#include "app/fonts.h"
#include "app/qt_text.h"
#include "app/screen_area.h"
#include "app/zoomed_screen.h"
#include "screens/screen_fit.h"

namespace velomar {

CloseBox::CloseBox(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("close"));
}

void CloseBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(isDown() ? QColor(0x3A, 0x5A, 0x9A) : ChromeColor());
    painter.drawRect(box);
    const qreal inset = box.width() / 4;
    painter.setPen(QPen(Qt::white, qMax<qreal>(1.5, box.width() / 8)));
    const QRectF cross = box.adjusted(inset, inset, -inset, -inset);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

CaptionStrip::CaptionStrip(QWidget* parent) : QWidget(parent), m_close(new CloseBox(this)) {}

void CaptionStrip::setTitle(const QString& title) {
    m_title = title;
    update();
}

void CaptionStrip::resizeEvent(QResizeEvent*) {
    m_close->setGeometry(width() - height(), 0, height(), height());
}

void CaptionStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ChromeColor());
    painter.setPen(Qt::white);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const int margin = height() / 4;
    const QRect text = rect().adjusted(margin, 0, -height(), 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(m_title, Qt::ElideRight, text.width()));
}

EmulatedDialog::EmulatedDialog(ScreenSize screen, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_screen(screen),
      m_caption(new CaptionStrip(this)),
      m_client(new QWidget(this)) {
    // The close box closes the dialog as its Cancel does.
    connect(m_caption->closeBox(), &QAbstractButton::clicked, this, &QDialog::reject);
}

EmulatedDialog::~EmulatedDialog() {
    LeaveTheScene(*this);
}

DialogUnits EmulatedDialog::shape(const DialogTemplate& data, DialogUnits units, ScreenSize look) {
    const int captionHeight = DialogCaptionHeight(look);
    const DialogUnits fitted =
        FitDialogUnits(units, data.width, data.height, captionHeight, m_screen);
    const PixelRect client =
        ToPixels({0, 0, data.width, data.height}, fitted).value_or(PixelRect{});
    setFixedSize(client.width, captionHeight + client.height);
    m_caption->setGeometry(0, 0, client.width, captionHeight);
    m_caption->setFont(ScreenFont(kChromeFontPoints, look));
    m_client->setGeometry(0, captionHeight, client.width, client.height);
    setFont(TemplateFont(data, look));
    setWindowTitle(ToQString(data.caption));
    m_caption->setTitle(ToQString(data.caption));
    return fitted;
}

void EmulatedDialog::growBy(int pixels) {
    setFixedSize(width(), height() + pixels);
    m_client->resize(m_client->width(), m_client->height() + pixels);
}

void EmulatedDialog::placeOnScreen() {
    const ScreenArea area = ScreenAreaOf(parentWidget());
    const PixelRect place =
        m_place ? KeepWithinScreen({m_place->x, m_place->y, width(), height()}, area.size)
                : CentreOnScreen(width(), height(), area.size);
    m_screenPlace = QPoint(place.x, place.y);
    if (!PlaceInScene(*this, ToQRect(place))) {
        move(area.toGlobal(place).topLeft());
    }
}

void EmulatedDialog::showEvent(QShowEvent* event) {
    // The title may have been changed after shape().
    m_caption->setTitle(windowTitle());
    QDialog::showEvent(event);
    // After the base: by then a dialog of a zoomed screen has joined its scene.
    placeOnScreen();
    BlockTheSceneWhileShown(*this);
}

void EmulatedDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (m_default != nullptr && m_default->isEnabled()) {
            m_default->click();
        } else if (m_default == nullptr) {
            accept();  // a dialog without buttons closes on Enter as on Escape
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace velomar
