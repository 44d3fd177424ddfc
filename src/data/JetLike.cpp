#include "data/JetLike.h"

#include "data/DataError.h"

#include <QChar>
#include <QList>

namespace pv {

char32_t foldCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

namespace {

std::u32string toU32(const QString &s)
{
    std::u32string out;
    out.reserve(s.size());
    for (char32_t c : s.toUcs4())
        out.push_back(c);
    return out;
}

// Decodes UTF-8 leniently: a malformed byte stands for itself as U+FFFD.
void decodeUtf8(std::string_view in, std::vector<char32_t> &out)
{
    out.clear();
    const auto *p = reinterpret_cast<const unsigned char *>(in.data());
    const auto *end = p + in.size();
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            out.push_back(b);
            ++p;
            continue;
        }
        int len = (b >= 0xF0 && b < 0xF8) ? 4 : (b >= 0xE0) ? 3 : (b >= 0xC0) ? 2 : 0;
        if (len == 0 || end - p < len) {
            out.push_back(0xFFFD);
            ++p;
            continue;
        }
        char32_t c = b & (0x7F >> len);
        bool ok = true;
        for (int i = 1; i < len; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (p[i] & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++p;
            continue;
        }
        out.push_back(c);
        p += len;
    }
}

} // namespace

LikePattern::LikePattern(const QString &pattern)
{
    const std::u32string p = toU32(pattern);
    size_t i = 0;
    while (i < p.size()) {
        const char32_t c = p[i];
        if (c == U'*') {
            // Runs of stars are one star.
            if (m_tokens.empty() || m_tokens.back().kind != Kind::Star)
                m_tokens.push_back({Kind::Star});
            ++i;
        } else if (c == U'?') {
            m_tokens.push_back({Kind::One});
            ++i;
        } else if (c == U'#') {
            m_tokens.push_back({Kind::Digit});
            ++i;
        } else if (c == U'[') {
            size_t j = i + 1;
            Token t{Kind::List};
            if (j < p.size() && p[j] == U'!') {
                t.negate = true;
                ++j;
            }
            const size_t bodyStart = j;
            while (j < p.size() && p[j] != U']')
                ++j;
            if (j >= p.size())
                throw DataError(ErrInvalidPattern, QStringLiteral("an opening bracket has no closing bracket"));
            const size_t bodyEnd = j;
            if (bodyStart == bodyEnd && !t.negate) {
                // `[]` stands for nothing at all.
                i = j + 1;
                continue;
            }
            t.firstRange = int(m_ranges.size());
            for (size_t k = bodyStart; k < bodyEnd; ++k) {
                const char32_t lo = p[k];
                // A dash between two members forms a range; first or last it is literal.
                if (k + 2 < bodyEnd && p[k + 1] == U'-') {
                    const char32_t hi = p[k + 2];
                    if (hi < lo)
                        throw DataError(ErrInvalidPattern, QStringLiteral("a range runs backwards"));
                    m_ranges.push_back({lo, hi});
                    k += 2;
                } else {
                    m_ranges.push_back({lo, lo});
                }
            }
            t.rangeCount = int(m_ranges.size()) - t.firstRange;
            // Long lists (an accent-blind letter has dozens of members)
            // answer ASCII text from a table.
            std::uint64_t table[2] = {0, 0};
            for (char32_t a = 0; a < 128; ++a)
                if (tokenMatches(t, foldCase(a), a))
                    table[a >> 6] |= std::uint64_t(1) << (a & 63);
            t.ascii[0] = table[0];
            t.ascii[1] = table[1];
            m_tokens.push_back(t);
            i = j + 1;
        } else {
            m_tokens.push_back({Kind::Literal, false, foldCase(c)});
            ++i;
        }
    }

    if (m_tokens.size() >= 3 && m_tokens.front().kind == Kind::Star && m_tokens.back().kind == Kind::Star) {
        m_isAsciiContains = true;
        for (size_t k = 1; k + 1 < m_tokens.size(); ++k) {
            const Token &t = m_tokens[k];
            if (t.kind != Kind::Literal || t.ch >= 0x80) {
                m_isAsciiContains = false;
                break;
            }
            m_needle.push_back(char(t.ch));
        }
    }
}

std::string LikePattern::containedLetters() const
{
    if (!m_isAsciiContains)
        return std::string();
    for (const char c : m_needle)
        if (c < 'a' || c > 'z')
            return std::string();
    return m_needle;
}

bool LikePattern::tokenMatches(const Token &t, char32_t folded, char32_t original) const
{
    switch (t.kind) {
    case Kind::Literal:
        return t.ch == folded;
    case Kind::One:
        return true;
    case Kind::Digit:
        return original >= U'0' && original <= U'9';
    case Kind::List: {
        if (original < 0x80 && (t.ascii[0] | t.ascii[1]))
            return (t.ascii[original >> 6] >> (original & 63)) & 1;
        // Membership ignores case: test the character as typed, folded, and in both cases.
        const char32_t upper = original < 0x80 ? ((original >= 'a' && original <= 'z') ? original - 32 : original)
                                               : char32_t(QChar::toUpper(original));
        const char32_t lower = original < 0x80 ? ((original >= 'A' && original <= 'Z') ? original + 32 : original)
                                               : char32_t(QChar::toLower(original));
        bool in = false;
        for (int r = t.firstRange; r < t.firstRange + t.rangeCount && !in; ++r) {
            const Range &rg = m_ranges[size_t(r)];
            for (char32_t c : {original, folded, upper, lower})
                if (c >= rg.lo && c <= rg.hi) {
                    in = true;
                    break;
                }
        }
        return in != t.negate;
    }
    case Kind::Star:
        break;
    }
    return false;
}

template <class Ch>
bool LikePattern::run(const Ch *folded, const Ch *orig, size_t n) const
{
    // Classic wildcard matching with backtracking to the last star: every
    // other token consumes exactly one character, so this is complete.
    const size_t m = m_tokens.size();
    size_t ti = 0, si = 0;
    size_t starTok = SIZE_MAX, starText = 0;
    while (si < n) {
        if (ti < m && m_tokens[ti].kind == Kind::Star) {
            starTok = ti++;
            starText = si;
        } else if (ti < m && tokenMatches(m_tokens[ti], folded[si], orig[si])) {
            ++ti;
            ++si;
        } else if (starTok != SIZE_MAX) {
            ti = starTok + 1;
            si = ++starText;
        } else {
            return false;
        }
    }
    while (ti < m && m_tokens[ti].kind == Kind::Star)
        ++ti;
    return ti == m;
}

bool LikePattern::matches(const QString &text) const
{
    const QList<uint> u = text.toUcs4();
    std::vector<char32_t> orig(u.begin(), u.end());
    std::vector<char32_t> folded(orig.size());
    for (size_t i = 0; i < orig.size(); ++i)
        folded[i] = foldCase(orig[i]);
    return run(folded.data(), orig.data(), orig.size());
}

// 1: found, 0: not found in an ASCII text, -1: the text is not ASCII (a
// character outside ASCII may fold onto the needle, so the caller decides).
int LikePattern::containsAscii(std::string_view text) const
{
    const size_t m = m_needle.size();
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const size_t n = text.size();
    const unsigned char first = static_cast<unsigned char>(m_needle[0]);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = p[i];
        if (c >= 0x80)
            return -1;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c + 32);
        if (c != first || i + m > n)
            continue;
        size_t k = 1;
        for (; k < m; ++k) {
            unsigned char d = p[i + k];
            if (d >= 'A' && d <= 'Z')
                d = static_cast<unsigned char>(d + 32);
            if (d != static_cast<unsigned char>(m_needle[k]))
                break;
        }
        if (k == m)
            return 1;
    }
    return 0;
}

bool LikePattern::matchesUtf8(std::string_view utf8) const
{
    if (m_isAsciiContains) {
        const int r = containsAscii(utf8);
        if (r >= 0)
            return r == 1;
    }
    bool ascii = true;
    for (char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        thread_local std::string folded;
        folded.resize(utf8.size());
        for (size_t i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            folded[i] = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        }
        return run(reinterpret_cast<const unsigned char *>(folded.data()),
                   reinterpret_cast<const unsigned char *>(utf8.data()), utf8.size());
    }
    thread_local std::vector<char32_t> orig;
    thread_local std::vector<char32_t> folded;
    decodeUtf8(utf8, orig);
    folded.resize(orig.size());
    for (size_t i = 0; i < orig.size(); ++i)
        folded[i] = foldCase(orig[i]);
    return run(folded.data(), orig.data(), orig.size());
}

QString LikePattern::quoteLiteral(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('[')) {
            out += QLatin1Char('[');
            out += c;
            out += QLatin1Char(']');
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace pv
