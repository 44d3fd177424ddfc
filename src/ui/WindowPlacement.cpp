#include "ui/WindowPlacement.h"

#include "ui/ScreenView.h"

#include <QGuiApplication>
#include <QScreen>

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

} // namespace pv
