#include "ui/WindowPlacement.h"

#include "ui/ScreenView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace pv {

double placementSetting(const QString &key, double fallback, double lo, double hi)
{
    const QString text = Screen().GetSetting(Screen().App().Title, QStringLiteral("Settings"), key,
                                             QString::number(fallback));
    bool ok = false;
    const float v = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(v))
        return fallback;
    return std::clamp(double(v), lo, hi);
}

bool reachable(const QRect &edge)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *s : screens)
        if (s->availableGeometry().intersects(edge))
            return true;
    return screens.isEmpty();
}

QRect screenAreaFor(const QWidget *anchor)
{
    QScreen *screen = nullptr;
    if (anchor && anchor->isVisible())
        screen = QGuiApplication::screenAt(anchor->frameGeometry().center());
    if (!screen && anchor)
        screen = anchor->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect fitInArea(const QRect &outer, const QMargins &frame, const QRect &area, const QRect &centreOn)
{
    if (area.isEmpty())
        return outer;
    const int minW = frame.left() + frame.right() + 1, minH = frame.top() + frame.bottom() + 1;
    QRect r(outer.topLeft(), QSize(std::max(minW, std::min(outer.width(), area.width())),
                                   std::max(minH, std::min(outer.height(), area.height()))));
    if (centreOn.isValid())
        r.moveCenter(centreOn.center());
    // Right and bottom first, so that the title bar stays reachable.
    r.moveRight(std::min(r.right(), area.right()));
    r.moveBottom(std::min(r.bottom(), area.bottom()));
    r.moveLeft(std::max(r.left(), area.left()));
    r.moveTop(std::max(r.top(), area.top()));
    return r;
}

QMargins frameOf(const QWidget *window, const QWidget *anchor)
{
    auto margins = [](const QWidget *w) {
        const QRect outer = w->frameGeometry(), inner = w->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    };
    if (window && window->isVisible())
        return margins(window);
    if (anchor && anchor->isVisible())
        return margins(anchor);
    return QMargins();
}

void keepOnScreen(QWidget *window, const QWidget *anchor)
{
    if (!window || window->isMaximized() || window->isFullScreen() || window->isMinimized())
        return;
    if (anchor == window)
        anchor = nullptr;
    const QRect area = screenAreaFor(anchor ? anchor : window);
    const QMargins frame = frameOf(window, anchor);
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    // pos() is where the frame begins, also before the window is first shown.
    const QRect outer(window->pos(), window->size() + extra);
    const bool placed = window->isVisible() || window->testAttribute(Qt::WA_Moved);
    const QRect centre = placed ? QRect() : (anchor && anchor->isVisible() ? anchor->frameGeometry() : area);
    const QRect fitted = fitInArea(outer, frame, area, centre);
    if (fitted.size() != outer.size())
        window->resize(fitted.size() - extra);
    if (fitted.topLeft() != outer.topLeft() || !placed)
        window->move(fitted.topLeft());
}

} // namespace pv
