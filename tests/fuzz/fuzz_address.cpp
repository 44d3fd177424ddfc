// The web browser's address box: any text typed there becomes a page address
// that can be opened, or a message for the person who typed it; nothing else.
#include "ui/ScreenView.h"
#include "web/WebAddress.h"

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString typed = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const QUrl url = pv::web::addressToUrl(typed);
        check(url.isValid());
        const QString scheme = url.scheme();
        if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
            check(!url.host().isEmpty());
    } catch (const pv::ScreenError &e) {
        check(!e.description().isEmpty());
    }
    return 0;
}
