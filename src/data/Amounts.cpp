#include "data/Amounts.h"

#include <cmath>

namespace pv {

namespace {

double roundTo(double value, double step)
{
    return std::round(value / step) * step;
}

// The step a unit is measured in, when an amount in it is scaled.
double stepOf(const QString &unit, double value)
{
    if (unit == QLatin1String("ml"))
        return value < 20 ? 2.5 : 5;
    if (unit == QLatin1String("cl") || unit == QLatin1String("bar spoon"))
        return 0.5;
    if (unit == QLatin1String("l"))
        return 0.05;
    if (unit == QLatin1String("g"))
        return 1;
    return 0.25;
}

bool usesFractions(const QString &unit)
{
    return unit != QLatin1String("ml") && unit != QLatin1String("cl") && unit != QLatin1String("l") &&
           unit != QLatin1String("g");
}

QString withUnit(const QString &number, const QString &unit, double amount)
{
    if (unit.isEmpty())
        return number;
    return number + QLatin1Char(' ') + unitWordFor(unit, amount);
}

// One amount (or both ends of a range) in `unit`, each end rounded to `step`.
QString rangeText(double low, double high, const QString &unit, double step, bool fractions)
{
    const double a = roundTo(low, step);
    const double b = roundTo(high, step);
    if (a == b)
        return withUnit(formatAmount(a, fractions), unit, a);
    return withUnit(formatAmount(a, fractions) + QChar(0x2013) + formatAmount(b, fractions), unit, b);
}

// A count, a dash or a part scaled: at least the smallest step.
QString scaledInOwnUnit(const Quantity &q, double factor)
{
    double low = q.low * factor;
    double high = q.high * factor;
    double step = stepOf(q.unit, std::max(low, high));
    if (q.kind == QuantityKind::Small)
        step = 1;
    else if (q.kind == QuantityKind::Count)
        step = 0.5;
    low = std::max(low, step);
    high = std::max(high, step);
    return rangeText(low, high, q.unit, step, usesFractions(q.unit));
}

struct Target {
    QString unit;
    double ml;
    bool fractions;
};

Target targetOf(UnitChoice units)
{
    switch (units) {
    case UnitChoice::Oz: return {QStringLiteral("oz"), millilitresPerUnit(QStringLiteral("oz")), true};
    case UnitChoice::Cl: return {QStringLiteral("cl"), 10, false};
    default: return {QStringLiteral("ml"), 1, false};
    }
}

// A volume in the target unit, or an empty text when rounding would change
// it by more than a fifth.
QString convertedVolume(double lowMl, double highMl, const Target &t)
{
    const double low = lowMl / t.ml;
    const double high = highMl / t.ml;
    const double step = stepOf(t.unit, high);
    for (double v : {low, high}) {
        const double r = roundTo(v, step);
        if (r <= 0 || std::abs(r - v) > v / 5)
            return QString();
    }
    return rangeText(low, high, t.unit, step, t.fractions);
}

} // namespace

QString unitChoiceName(UnitChoice units)
{
    switch (units) {
    case UnitChoice::Oz: return QStringLiteral("oz");
    case UnitChoice::Ml: return QStringLiteral("ml");
    case UnitChoice::Cl: return QStringLiteral("cl");
    default: return QStringLiteral("as written");
    }
}

bool unitChoiceFromName(const QString &name, UnitChoice *units)
{
    const QString n = name.trimmed().toLower();
    for (UnitChoice u : {UnitChoice::AsWritten, UnitChoice::Oz, UnitChoice::Ml, UnitChoice::Cl})
        if (n == unitChoiceName(u)) {
            *units = u;
            return true;
        }
    return false;
}

QString formatAmount(double value, bool fractions)
{
    if (!fractions) {
        QString s = QString::number(value, 'f', 2);
        while (s.contains(QLatin1Char('.')) && (s.endsWith(QLatin1Char('0')) || s.endsWith(QLatin1Char('.'))))
            s.chop(1);
        return s;
    }
    const double quarters = std::round(value * 4);
    const long long whole = static_cast<long long>(quarters) / 4;
    const int rest = static_cast<int>(static_cast<long long>(quarters) % 4);
    static const QChar kQuarter[] = {QChar(), QChar(0x00BC), QChar(0x00BD), QChar(0x00BE)};
    if (rest == 0)
        return QString::number(whole);
    return (whole > 0 ? QString::number(whole) : QString()) + kQuarter[rest];
}

QString showAmount(const QString &typed, const Quantity &q, double factor, UnitChoice units, double partMl)
{
    if (!q.isAmount())
        return typed;
    if (q.kind == QuantityKind::Part) {
        const QString parts = factor == 1 ? typed.trimmed() : scaledInOwnUnit(q, 1);
        if (partMl <= 0)
            return parts;
        const Target t = targetOf(units == UnitChoice::AsWritten ? UnitChoice::Ml : units);
        const QString volume = convertedVolume(q.low * partMl * factor, q.high * partMl * factor, t);
        return volume.isEmpty() ? parts : parts + QStringLiteral(" (") + volume + QLatin1Char(')');
    }
    if (q.kind != QuantityKind::Volume) {
        if (factor == 1)
            return typed.trimmed();
        return scaledInOwnUnit(q, factor);
    }
    const Target t = targetOf(units);
    if (units == UnitChoice::AsWritten || q.unit == t.unit) {
        if (factor == 1)
            return typed.trimmed();
        return scaledInOwnUnit(q, factor);
    }
    const double per = millilitresPerUnit(q.unit);
    const QString converted = convertedVolume(q.low * per * factor, q.high * per * factor, t);
    if (!converted.isEmpty())
        return converted;
    return factor == 1 ? typed.trimmed() : scaledInOwnUnit(q, factor);
}

QString showVolume(double ml, UnitChoice units, bool preferOz)
{
    if (units == UnitChoice::AsWritten)
        units = preferOz ? UnitChoice::Oz : UnitChoice::Ml;
    const Target t = targetOf(units);
    const double v = ml / t.ml;
    double step = stepOf(t.unit, v);
    if (v >= 1000 && t.unit == QLatin1String("ml"))
        step = 10;
    const double r = std::max(roundTo(v, step), step);
    return withUnit(formatAmount(r, t.fractions), t.unit, r);
}

} // namespace pv
