// Any bytes as a catalogue file, opened and read the way the windows, the
// Drink List and the command line read one: the file is refused with a
// message or read, never a crash, a hang or an exception of another kind.
#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/DrinkIndex.h"
#include "data/RecordCursor.h"
#include "interchange/Interchange.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace {

QString scratch(const char *what)
{
    return QDir::tempPath() + QStringLiteral("/pv-fuzz-%1-%2").arg(::getpid()).arg(QLatin1String(what));
}

// Reads what a window shows: every field of the first rows, a move to the
// end and a search.
void browse(const QString &path, const QString &source)
{
    try {
        pv::RecordCursor c(path, source);
        for (int i = 0; i < 20 && !c.Eof(); ++i, c.MoveNext())
            for (const QString &f : c.fieldNames())
                (void)c.value(f);
        c.MoveLast();
        c.FindFirst(QStringLiteral("DrinkName Like '*a*'"));
    } catch (const pv::DataError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The bound every statement has, kept small so that one input is quick.
    static const bool bounded = [] {
        pv::guard::setStepBudget(2'000'000);
        pv::guard::setNoticeHandler([](const QString &) {});
        return true;
    }();
    (void)bounded;
    const QString path = scratch("catalogue.mdb");
    const QString out = scratch("export.json");
    QFile::remove(path + QStringLiteral("-journal"));
    QFile::remove(path + QStringLiteral("-wal"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    pv::guard::forgetNotices();
    for (const char *source : {"drinklst", "Gin", "joke", "select * from [Toasting]"})
        browse(path, QLatin1String(source));
    try {
        (void)pv::drinkindex::drinksWithIngredient(path, QStringLiteral("gin"));
    } catch (const pv::DataError &) {
    }
    for (auto format : {pv::interchange::Format::Json, pv::interchange::Format::Csv}) {
        pv::interchange::ExportOptions o;
        o.format = format;
        o.collections = format == pv::interchange::Format::Json;
        (void)pv::interchange::exportDrinks(path, out, o);
    }
    QFile::remove(out);
    return 0;
}
