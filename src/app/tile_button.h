#pragma once

#include <QAbstractButton>

#include "screens/layout_rules.h"

namespace velomar {

// Draws a button tile of the tile table.
void PaintButtonTile(QPainter& painter, const ButtonTile& tile, const QRect& area);
// The tile as an image of its own size.
QPixmap RenderButtonTile(const ButtonTile& tile);

// A button of the main screen: a plain push button showing its template text until it is
// given its tiles, then exactly the size of its tile. Enter and Space press it when it has
// the focus, which a dotted frame inside it shows.
class TileButton : public QAbstractButton {
  public:
    explicit TileButton(QWidget* parent = nullptr);

    // Unknown ids leave the button as it is; false then.
    bool setTiles(int normalTile, int pressedTile);
    int normalTile() const { return m_normal ? m_normal->resourceId : 0; }
    int pressedTile() const { return m_pressed ? m_pressed->resourceId : 0; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    const ButtonTile* m_normal = nullptr;
    const ButtonTile* m_pressed = nullptr;
};

}  // namespace velomar
