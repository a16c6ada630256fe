#include "app/zoomed_screen.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <cmath>

namespace velomar {
namespace {

QGraphicsView* viewOf(const QWidget& window) {
    const QGraphicsProxyWidget* proxy = window.window()->graphicsProxyWidget();
    if (proxy == nullptr || proxy->scene() == nullptr || proxy->scene()->views().isEmpty()) {
        return nullptr;
    }
    return proxy->scene()->views().first();
}

}  // namespace

ZoomedScreen::ZoomedScreen(QWidget& screen, double zoom) : m_screen(screen), m_proxy(nullptr) {
    auto* scene = new QGraphicsScene(this);
    m_proxy = scene->addWidget(&screen);
    setScene(scene);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Edges of widgets at fractional places are drawn whole: antialiased, each let through a
    // faint trace of what lies below a dialog (and orange of the tiles behind its list).
    setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    // What a closing list or dialog uncovers is drawn again whole: updates of scaled, rounded
    // regions left one-pixel leftovers at their edges.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setSceneRect(0, 0, screen.width(), screen.height());
    scale(zoom, zoom);
    setFixedSize(static_cast<int>(std::ceil(screen.width() * zoom)),
                 static_cast<int>(std::ceil(screen.height() * zoom)));
    setWindowTitle(screen.windowTitle());
}

ZoomedScreen::~ZoomedScreen() {
    // The proxy would delete the screen; it belongs to whoever made it.
    m_proxy->setWidget(nullptr);
    m_screen.hide();
}

void ZoomedScreen::closeEvent(QCloseEvent* event) {
    // The topmost dialog of the scene is the one that runs.
    for (QGraphicsItem* item : scene()->items(Qt::DescendingOrder)) {
        const auto* proxy = qgraphicsitem_cast<QGraphicsProxyWidget*>(item);
        auto* dialog = proxy != nullptr ? qobject_cast<QDialog*>(proxy->widget()) : nullptr;
        if (dialog != nullptr && dialog->isVisible()) {
            event->ignore();
            dialog->close();
            return;
        }
    }
    QGraphicsView::closeEvent(event);
}

double SceneZoom(const QWidget& window) {
    const QGraphicsView* view = viewOf(window);
    return view != nullptr ? view->transform().m11() : 1.0;
}

bool PlaceInScene(QWidget& window, const QRect& place) {
    QGraphicsProxyWidget* proxy = window.graphicsProxyWidget();
    if (proxy == nullptr) {
        return false;
    }
    window.resize(place.size());
    // A list of a dialog's control belongs to the dialog's item: its position is the dialog's.
    const QPointF at = proxy->parentItem() != nullptr
                           ? proxy->parentItem()->mapFromScene(QPointF(place.topLeft()))
                           : QPointF(place.topLeft());
    proxy->setPos(at);
    return true;
}

void BlockTheSceneWhileShown(QWidget& dialog) {
    if (QGraphicsProxyWidget* proxy = dialog.graphicsProxyWidget(); proxy && dialog.isModal()) {
        proxy->setFlag(QGraphicsItem::ItemIsPanel);
        proxy->setPanelModality(QGraphicsItem::SceneModal);
    }
}

void LeaveTheScene(QWidget& window) {
    if (QGraphicsProxyWidget* proxy = window.graphicsProxyWidget()) {
        // Without its widget the item deletes nothing but itself; the window's child lists
        // leave with it.
        proxy->setWidget(nullptr);
        delete proxy;
    }
}

void ActivateScreenWindow(QWidget& window) {
    if (QGraphicsView* view = viewOf(window)) {
        view->activateWindow();
        return;
    }
    window.activateWindow();
}

}  // namespace velomar
