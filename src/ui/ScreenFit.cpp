#include "ui/ScreenFit.h"
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace ScreenFit {
void FitOnScreen(QWidget* window)
{
    if (!window || !window->isWindow() || window->isMaximized() || window->isFullScreen())
        return;
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    // The frame the window manager adds (nothing before the window is first mapped, or without
    // one): the frame is what must fit.
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    const QSize room = (free.size() - frame).expandedTo(window->minimumSize());
    if (inner.width() > room.width() || inner.height() > room.height())
        window->resize(inner.size().boundedTo(room));
    QRect placed = window->frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), free.left(), std::max(free.left(), free.right() + 1 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), free.top(), std::max(free.top(), free.bottom() + 1 - placed.height())));
    if (placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}

CFilter::CFilter(QObject* parent)
    : QObject(parent)
{
}

bool CFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Menus, tooltips and pop-ups place themselves.
        if (widget->windowType() == Qt::Window || widget->windowType() == Qt::Dialog)
            FitOnScreen(widget);
    }
    return QObject::eventFilter(watched, event);
}
} // namespace ScreenFit
