#include "mybar/MyBar.h"

#include "ui/ScreenView.h"

#include <QFile>
#include <QSettings>

namespace pv {

namespace {

const char kSection[] = "MyBar";

// A list written by the program (a string list) or by hand (one name per
// line, or a single name).
QStringList readList(const QVariant &value)
{
    QStringList raw;
    if (value.typeId() == QMetaType::QStringList)
        raw = value.toStringList();
    else if (value.canConvert<QString>())
        raw = value.toString().split(QLatin1Char('\n'));
    QStringList out;
    for (const QString &s : raw)
        if (!s.trimmed().isEmpty())
            out << s.trimmed();
    return out;
}

bool readFlag(const QVariant &value, bool fallback)
{
    const QString s = value.toString().trimmed().toLower();
    if (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("yes"))
        return true;
    if (s == QLatin1String("false") || s == QLatin1String("0") || s == QLatin1String("no"))
        return false;
    return fallback;
}

} // namespace

const IngredientVocabulary &bundledVocabulary()
{
    static const IngredientVocabulary v = [] {
        QFile f(QStringLiteral(":/catalogue/ingredients.txt"));
        (void)f.open(QIODevice::ReadOnly);
        return IngredientVocabulary::parse(QString::fromUtf8(f.readAll()));
    }();
    return v;
}

BarShelf loadShelf()
{
    const QString app = Screen().App().Title;
    QSettings s(app, app);
    s.beginGroup(QLatin1String(kSection));
    BarShelf shelf;
    shelf.have = readList(s.value(QStringLiteral("Have")));
    shelf.without = readList(s.value(QStringLiteral("Without")));
    shelf.options.substitutes = readFlag(s.value(QStringLiteral("Substitutes")), false);
    shelf.options.garnishes = readFlag(s.value(QStringLiteral("Garnishes")), false);
    for (const QString &rule : readList(s.value(QStringLiteral("CountAs"))))
        if (rule.count(QLatin1Char('=')) == 1 && !rule.startsWith(QLatin1Char('=')) && !rule.endsWith(QLatin1Char('=')))
            shelf.countAs << rule;
    return shelf;
}

void saveShelf(const BarShelf &shelf)
{
    const QString app = Screen().App().Title;
    QSettings s(app, app);
    s.beginGroup(QLatin1String(kSection));
    // An empty list is kept as empty text, which reads back as no names.
    auto list = [](const QStringList &l) { return l.isEmpty() ? QVariant(QString()) : QVariant(l); };
    s.setValue(QStringLiteral("Have"), list(shelf.have));
    s.setValue(QStringLiteral("Without"), list(shelf.without));
    s.setValue(QStringLiteral("Substitutes"),
               shelf.options.substitutes ? QStringLiteral("True") : QStringLiteral("False"));
    s.setValue(QStringLiteral("Garnishes"), shelf.options.garnishes ? QStringLiteral("True") : QStringLiteral("False"));
    s.setValue(QStringLiteral("CountAs"), list(shelf.countAs));
    s.endGroup();
    s.sync();
    Q_EMIT ShelfNotifier::instance().shelfSaved();
}

ShelfNotifier &ShelfNotifier::instance()
{
    static ShelfNotifier notifier;
    return notifier;
}

QVector<qint64> drinksICanMake(const QString &catalogue)
{
    BarIndex index(bundledVocabulary());
    index.loadCatalogue(catalogue);
    const BarShelf shelf = loadShelf();
    const BarLists lists = index.compute(shelf.haveVector(index), shelf.optionsFor(index));
    QVector<qint64> keys;
    keys.reserve(qsizetype(lists.canMake.size()));
    for (int d : lists.canMake)
        keys << index.drinkKey(d);
    return keys;
}

std::shared_ptr<BarIndex> readBarIndex(const QString &catalogue)
{
    auto index = std::make_shared<BarIndex>(bundledVocabulary());
    try {
        index->loadCatalogue(catalogue);
    } catch (const std::exception &e) {
        Screen().MsgBox(
            QStringLiteral("The drinks of the catalogue could not be read.\n\n%1").arg(QString::fromUtf8(e.what())));
        return nullptr;
    }
    return index;
}

} // namespace pv
