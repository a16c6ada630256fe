#include "app/tile_button.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "app/focus_mark.h"
#include "app/fonts.h"
#include "app/qt_text.h"

namespace velomar {
namespace {

QColor faceColor(TileFace face) {
    return face == TileFace::Orange ? QColor(0xEE, 0x7D, 0x1E) : QColor(0xB4, 0xB4, 0xB4);
}

QColor inkColor(TileInk ink) {
    return ink == TileInk::White ? Qt::white : Qt::black;
}

// A bent arrow: up from the lower end, then across, the head pointing back or forward.
void paintBentArrow(QPainter& painter, const QRectF& box, TileArrow arrow, const QColor& ink) {
    const bool back = arrow == TileArrow::Back;
    const qreal head = box.height() * 0.45;
    const qreal tip = back ? box.left() : box.right();
    const qreal corner = back ? box.right() - head * 0.3 : box.left() + head * 0.3;
    const qreal level = box.top() + head / 2;
    QPen pen(ink, qMax<qreal>(1.5, box.height() / 7));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    QPainterPath stem;
    stem.moveTo(corner, box.bottom());
    stem.lineTo(corner, level);
    stem.lineTo(back ? tip + head * 0.6 : tip - head * 0.6, level);
    painter.drawPath(stem);
    const qreal inward = back ? head * 0.7 : -head * 0.7;
    QPolygonF arrowHead;
    arrowHead << QPointF(tip, level) << QPointF(tip + inward, level - head / 2)
              << QPointF(tip + inward, level + head / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPolygon(arrowHead);
}

}  // namespace

void PaintButtonTile(QPainter& painter, const ButtonTile& tile, const QRect& area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor face = faceColor(tile.face);
    QLinearGradient shade(area.topLeft(), area.bottomLeft());
    shade.setColorAt(0.0, face.lighter(125));
    shade.setColorAt(0.5, face);
    shade.setColorAt(1.0, face.darker(115));
    const QRectF box = QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin(area.height(), area.width()) / 6.0;
    painter.setPen(QPen(face.darker(150), 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(box, radius, radius);

    const QColor ink = inkColor(tile.ink);
    const bool arrow = tile.arrow != TileArrow::None;
    QFont font = KoreanFont(qMax(8, arrow ? area.height() * 3 / 10 : area.height() * 11 / 20));
    font.setBold(true);
    QRect textArea = area;
    if (arrow) {
        // Lettering in the lower half, the arrow above it.
        const int split = area.top() + area.height() * 11 / 20;
        textArea.setTop(split);
        const qreal side = area.height() * 0.42;
        QRectF arrowBox(area.center().x() - side * 0.75, area.top() + area.height() * 0.1,
                        side * 1.5, side);
        paintBentArrow(painter, arrowBox, tile.arrow, ink);
        textArea.setBottom(area.bottom() - area.height() / 12);
    }
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(textArea, Qt::AlignCenter, ToQString(tile.lettering));
    painter.restore();
}

QPixmap RenderButtonTile(const ButtonTile& tile) {
    QPixmap pixmap(tile.width, tile.height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintButtonTile(painter, tile, pixmap.rect());
    return pixmap;
}

TileButton::TileButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool TileButton::setTiles(int normalTile, int pressedTile) {
    const ButtonTile* normal = FindButtonTile(normalTile);
    const ButtonTile* pressed = FindButtonTile(pressedTile);
    if (normal == nullptr || pressed == nullptr) {
        return false;
    }
    m_normal = normal;
    m_pressed = pressed;
    resize(normal->width, normal->height);
    update();
    return true;
}

QSize TileButton::sizeHint() const {
    if (m_normal != nullptr) {
        return {m_normal->width, m_normal->height};
    }
    return {fontMetrics().horizontalAdvance(text()) + 12, fontMetrics().height() + 8};
}

void TileButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (isEnabled()) {
            click();
        }
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TileButton::paintEvent(QPaintEvent*) {
    if (m_normal != nullptr) {
        QPainter painter(this);
        const ButtonTile& tile = isDown() ? *m_pressed : *m_normal;
        PaintButtonTile(painter, tile, QRect(0, 0, tile.width, tile.height));
        if (hasFocus()) {
            // The focus frame of the handheld's buttons: dotted, just inside the edge.
            PaintFocusMark(painter, QRect(0, 0, tile.width, tile.height),
                           tile.ink == TileInk::White ? Qt::white : Qt::black,
                           qMax(2, tile.height / 10));
        }
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    if (isDown()) {
        option.state |= QStyle::State_Sunken;
    }
    painter.drawControl(QStyle::CE_PushButton, option);
    if (hasFocus()) {
        PaintFocusMark(painter, rect(), Qt::black, 3);
    }
}

}  // namespace velomar
