#include "data/TextFold.h"

namespace pv {

namespace {

// Plain ASCII, the usual case, needs no decomposition: lower case, one
// space for each run of white space, no space at the ends.
bool foldAscii(const QString &text, QString &out)
{
    out.reserve(text.size());
    bool pendingSpace = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return false;
        if (u == ' ' || (u >= 0x09 && u <= 0x0d)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace) {
            out += QLatin1Char(' ');
            pendingSpace = false;
        }
        out += QChar(u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u);
    }
    return true;
}

} // namespace

QString foldForSearch(const QString &text)
{
    if (QString ascii; foldAscii(text, ascii))
        return ascii;
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    bool pendingSpace = false;
    for (const QChar c : decomposed) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
            continue;
        if (c.isSpace()) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace) {
            out += QLatin1Char(' ');
            pendingSpace = false;
        }
        switch (c.unicode()) {
        case 0x00D8:
        case 0x00F8:
            out += QLatin1Char('o');
            break; // Ø ø
        case 0x00C6:
        case 0x00E6:
            out += QLatin1String("ae");
            break; // Æ æ
        case 0x0152:
        case 0x0153:
            out += QLatin1String("oe");
            break; // Œ œ
        case 0x0141:
        case 0x0142:
            out += QLatin1Char('l');
            break; // Ł ł
        case 0x0110:
        case 0x0111:
            out += QLatin1Char('d');
            break; // Đ đ
        case 0x00DE:
        case 0x00FE:
            out += QLatin1String("th");
            break; // Þ þ
        case 0x0131:
            out += QLatin1Char('i');
            break; // dotless ı
        default:
            out += c;
            break;
        }
    }
    return out.toCaseFolded();
}

} // namespace pv
