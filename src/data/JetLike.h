#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// A compiled Like pattern with the classic desktop-database wildcards:
// `*` any run, `?` one character, `#` one digit, `[list]` / `[!list]` one
// character in / not in the list (ranges `a-z`). Matching is anchored at both
// ends, works on characters (not bytes) and ignores letter case but not accents.
class LikePattern {
public:
    // Throws DataError(ErrInvalidPattern) for an unterminated `[` or a
    // descending range.
    explicit LikePattern(const QString &pattern);

    bool matches(const QString &text) const;
    bool matchesUtf8(std::string_view utf8) const;

    // For `*letters*` with plain letters a-z only (any case), those letters
    // in lower case; else empty.
    std::string containedLetters() const;

    // A pattern that matches exactly `text` (pattern characters bracketed).
    static QString quoteLiteral(const QString &text);

private:
    struct Range {
        char32_t lo, hi;
    };
    enum class Kind : unsigned char { Literal, One, Digit, List, Star };
    struct Token {
        Kind kind;
        bool negate = false;
        char32_t ch = 0;      // Literal: already case-folded
        int firstRange = 0;   // List: index into m_ranges
        int rangeCount = 0;
        std::uint64_t ascii[2] = {0, 0}; // List: the answer for each ASCII character
    };

    bool tokenMatches(const Token &t, char32_t folded, char32_t original) const;
    template <class Ch>
    bool run(const Ch *folded, const Ch *orig, size_t n) const;
    int containsAscii(std::string_view text) const;

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
    // `*text*` with plain ASCII text, the usual search: matched by a
    // substring scan when the text is ASCII too.
    bool m_isAsciiContains = false;
    std::string m_needle; // lower case
};

// Folds a character for case-insensitive comparison.
char32_t foldCase(char32_t c);

} // namespace pv
