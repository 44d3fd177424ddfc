#include "web/WebAddress.h"

#include "ui/ScreenView.h"

namespace pv::web {

QUrl addressToUrl(const QString &address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        throw ScreenError(QStringLiteral("Type the address of a web page first."));
    // fromUserInput turns an address it cannot read into a guess at a host
    // name ("http://a b" becomes "http://http//a b"), so a full address is
    // taken as written.
    const QUrl url = text.contains(QLatin1String("://")) ? QUrl(text) : QUrl::fromUserInput(text);
    const bool needsHost = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
                           url.scheme() == QLatin1String("ftp");
    if (!url.isValid() || (needsHost && url.host().isEmpty()))
        throw ScreenError(QStringLiteral("\"%1\" is not a web address that can be opened.").arg(text));
    return url;
}

} // namespace pv::web
