// The Like matcher and the criterion parser: the classic wildcard rules.
#include "TestSupport.h"

#include "data/Criterion.h"
#include "data/DataError.h"
#include "data/JetLike.h"

using pv::Criterion;
using pv::DataError;
using pv::LikePattern;

class TestLike : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void documentedTable_data();
    void documentedTable();
    void caseAndCharacters();
    void malformedPatterns();
    void quotedLiteralMatchesItself();
    void criterionParsing();
    void criterionErrors();
};

void TestLike::documentedTable_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    struct Row {
        const char *p, *t;
        bool e;
    };
    const Row rows[] = {
        {"a*a", "aa", true},        {"a*a", "aBa", true},     {"a*a", "aBBBa", true},   {"a*a", "aBC", false},
        {"*ab*", "abc", true},      {"*ab*", "AABB", true},   {"*ab*", "Xab", true},    {"*ab*", "aZb", false},
        {"*ab*", "bac", false},     {"a[*]a", "a*a", true},   {"a[*]a", "aaa", false},  {"ab*", "abcdefg", true},
        {"ab*", "cab", false},      {"ab*", "aab", false},    {"a?a", "aaa", true},     {"a?a", "a3a", true},
        {"a?a", "aBBBa", false},    {"a#a", "a0a", true},     {"a#a", "a2a", true},     {"a#a", "aaa", false},
        {"a#a", "a10a", false},     {"[a-z]", "f", true},     {"[a-z]", "2", false},    {"[a-z]", "&", false},
        {"[!a-z]", "9", true},      {"[!a-z]", "%", true},    {"[!a-z]", "b", false},   {"[!0-9]", "A", true},
        {"[!0-9]", "0", false},     {"a[!b-m]#", "An9", true}, {"a[!b-m]#", "az0", true}, {"a[!b-m]#", "a99", true},
        {"a[!b-m]#", "abc", false}, {"a[!b-m]#", "aj0", false}, {"b[ae]ll", "bell", true}, {"b[ae]ll", "bill", false},
        {"b[a-c]d", "bbd", true},   {"B?T*", "BAT123khg", true}, {"B?T*", "CAT123khg", false},
        {"a[L-P]#[!c-e]", "aM5b", true}, {"a*b", "ab", true},  {"a[*]b", "axxxxxb", false}, {"a[[]*", "a[xyz", true},
        {"a*a", "a", false},        {"*ab", "aab", true},     {"a[]b", "ab", true},     {"a]b", "a]b", true},
        {"", "", true},             {"*", "", true},          {"?", "", false},         {"a%c", "abc", false},
        {"a_c", "a_c", true},       {"a_c", "abc", false},    {"[a-]", "-", true},      {"[-a]", "-", true},
    };
    for (const Row &r : rows)
        QTest::addRow("'%s' like '%s'", r.t, r.p) << QString::fromUtf8(r.p) << QString::fromUtf8(r.t) << r.e;
}

void TestLike::documentedTable()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const LikePattern p(pattern);
    QCOMPARE(p.matches(text), expected);
    QCOMPARE(p.matchesUtf8(text.toUtf8().toStdString()), expected);
}

void TestLike::caseAndCharacters()
{
    // Letters match in any case, also beyond ASCII; accents count.
    QVERIFY(LikePattern(QStringLiteral("*GIN*")).matches(QStringLiteral("Pink gin")));
    QVERIFY(LikePattern(QStringLiteral("*é*")).matches(QStringLiteral("CAFÉ")));
    QVERIFY(!LikePattern(QStringLiteral("*e*")).matches(QStringLiteral("CAFÉ")));
    QVERIFY(LikePattern(QStringLiteral("[a-c]")).matches(QStringLiteral("B")));
    // `?` is one character, not one byte.
    QVERIFY(LikePattern(QStringLiteral("caf?")).matchesUtf8("café"));
    QVERIFY(LikePattern(QStringLiteral("??")).matches(QStringLiteral("日本")));
    QVERIFY(LikePattern(QStringLiteral("?")).matchesUtf8("🍸"));
    // The quick ASCII scan must not miss a character that folds onto ASCII.
    QVERIFY(LikePattern(QStringLiteral("*k*")).matchesUtf8("ab\u212A"));
    QVERIFY(LikePattern(QStringLiteral("*ab*")).matchesUtf8("xxAB\u00e9"));
    QVERIFY(!LikePattern(QStringLiteral("*ab*")).matchesUtf8("a\u00e9b"));
    // Malformed UTF-8 does not crash and does not match what it is not.
    QVERIFY(!LikePattern(QStringLiteral("abc")).matchesUtf8(std::string_view("\xff\xfe", 2)));
}

void TestLike::malformedPatterns()
{
    for (const char *bad : {"a[*", "[abc", "[z-a]", "["}) {
        try {
            LikePattern p(QString::fromUtf8(bad));
            QFAIL(qPrintable(QStringLiteral("accepted ") + QString::fromUtf8(bad)));
        } catch (const DataError &e) {
            QCOMPARE(e.number(), int(pv::ErrInvalidPattern));
        }
    }
}

void TestLike::quotedLiteralMatchesItself()
{
    // Whatever a person types, quoting it finds exactly names that contain it.
    for (const QString &typed : {QStringLiteral("Planter's"), QStringLiteral("*"), QStringLiteral("?"),
                                 QStringLiteral("#1"), QStringLiteral("[x]"), QStringLiteral("a[!b]")}) {
        const LikePattern p(QStringLiteral("*") + LikePattern::quoteLiteral(typed) + QStringLiteral("*"));
        QVERIFY2(p.matches(QStringLiteral("before ") + typed + QStringLiteral(" after")), qPrintable(typed));
    }
    QVERIFY(!LikePattern(QStringLiteral("*") + LikePattern::quoteLiteral(QStringLiteral("?")) + QStringLiteral("*"))
                 .matches(QStringLiteral("Gin")));
    QVERIFY(!LikePattern(QStringLiteral("*") + LikePattern::quoteLiteral(QStringLiteral("#")) + QStringLiteral("*"))
                 .matches(QStringLiteral("No 7")));
}

void TestLike::criterionParsing()
{
    Criterion c = Criterion::parse(QStringLiteral("DrinkName Like '*gin*'"));
    QCOMPARE(c.field, QStringLiteral("DrinkName"));
    QVERIFY(c.pattern.matches(QStringLiteral("Pink Gin")));

    // Doubled apostrophes are undone before the pattern is read.
    c = Criterion::parse(QStringLiteral("DrinkName Like '*Planter''s*'"));
    QVERIFY(c.pattern.matches(QStringLiteral("Planter's Punch")));
    QVERIFY(!c.pattern.matches(QStringLiteral("Planters Punch")));

    c = Criterion::parse(QStringLiteral("  [Drink Name]   LIKE \"a\"\"b\"  "));
    QCOMPARE(c.field, QStringLiteral("Drink Name"));
    QVERIFY(c.pattern.matches(QStringLiteral("A\"B")));
}

void TestLike::criterionErrors()
{
    const char *bad[] = {"DrinkName Like '*Planter's*'", "DrinkName = 'x'", "DrinkName Like x", "Like 'x'",
                         "DrinkName Like 'x", "DrinkName Likely 'x'", ""};
    for (const char *b : bad) {
        try {
            Criterion::parse(QString::fromUtf8(b));
            QFAIL(b);
        } catch (const DataError &e) {
            QCOMPARE(e.number(), int(pv::ErrSyntax));
        }
    }
}

PV_TEST_MAIN(TestLike)
#include "tst_like.moc"
