// The csv importer against any bytes (see ImportFuzz.h); read as a stream of
// pieces, the bytes give what they give read whole.
#include "ImportFuzz.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const QByteArrayView text = pv::interchange::detail::checkUtf8(bytes, &error);
    QByteArray copy(bytes);
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    const pv::interchange::ReadResult streamed = pv::interchange::detail::readCsv(device);
    if (error.isEmpty()) {
        const pv::interchange::ReadResult whole = pv::interchange::detail::readCsv(QString::fromUtf8(text));
        pvfuzz::check(streamed.error == whole.error);
        pvfuzz::check(streamed.entries.size() == whole.entries.size());
        for (qsizetype i = 0; i < whole.entries.size(); ++i)
            pvfuzz::check(pvfuzz::normalised(streamed.entries[i].drink) == pvfuzz::normalised(whole.entries[i].drink));
    } else {
        pvfuzz::check(!streamed.error.isEmpty());
    }
    return pvfuzz::fuzzImport(data, size, pv::interchange::Format::Csv);
}
