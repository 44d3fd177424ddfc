#include "data/BarMatcher.h"

#include "data/CatalogueGuard.h"
#include "data/TextFold.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pv {

namespace {

unsigned long long textHash(std::string_view t)
{
    const char *p = t.data();
    size_t n = t.size();
    unsigned long long h = 0x9E3779B97F4A7C15ull ^ n;
    while (n >= 8) {
        unsigned long long w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
        p += 8;
        n -= 8;
    }
    unsigned long long w = 0;
    std::memcpy(&w, p, n);
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 29);
}

} // namespace

BarIndex::BarIndex(IngredientVocabulary vocabulary) : m_vocabulary(std::move(vocabulary))
{
    const int n = m_vocabulary.size();
    m_parent.resize(n);
    std::vector<std::vector<int>> children(n);
    for (int i = 0; i < n; ++i) {
        m_parent[i] = m_vocabulary.at(i).parent;
        if (m_parent[i] >= 0)
            children[m_parent[i]].push_back(i);
    }
    m_first.assign(n, 0);
    m_last.assign(n, 0);
    m_usage.assign(n, 0);
    // Preorder numbering, so that "is a kind of" is a range test.
    int counter = 0;
    std::vector<std::pair<int, bool>> stack;
    for (int root = n - 1; root >= 0; --root)
        if (m_parent[root] < 0)
            stack.emplace_back(root, false);
    while (!stack.empty()) {
        auto [node, done] = stack.back();
        stack.pop_back();
        if (done) {
            m_last[node] = counter;
            continue;
        }
        m_first[node] = counter++;
        m_preorder.push_back(node);
        stack.emplace_back(node, true);
        for (auto it = children[node].rbegin(); it != children[node].rend(); ++it)
            stack.emplace_back(*it, false);
    }
    m_ingStart.push_back(0);
    m_nameStart.push_back(0);
    // Recipes mostly spell a text as the vocabulary does; those need no folding.
    for (const auto &[text, index] : m_vocabulary.writtenTexts()) {
        const std::string_view t(text.constData(), size_t(text.size()));
        const unsigned long long hash = textHash(t);
        if (!findRaw(t, hash))
            addRaw(t, hash, index);
    }
}

QString BarIndex::ingredientName(int i) const
{
    const int n = m_vocabulary.size();
    return i < n ? m_vocabulary.at(i).name : m_otherNames[i - n];
}

IngredientKind BarIndex::ingredientKind(int i) const
{
    return i < m_vocabulary.size() ? m_vocabulary.at(i).kind : IngredientKind::Other;
}

int BarIndex::ingredientOf(const QString &text) const
{
    const QString folded = foldForSearch(text);
    if (folded.isEmpty())
        return -1;
    const int known = m_vocabulary.texts().value(folded, -1);
    return known >= 0 ? known : m_otherByFold.value(folded, -1);
}

int BarIndex::addOther(const QString &text, const QString &folded)
{
    const int i = int(m_parent.size());
    m_otherNames << text.simplified();
    m_otherByFold.insert(folded, i);
    m_parent.push_back(-1);
    m_first.push_back(int(m_preorder.size()));
    m_last.push_back(int(m_preorder.size()) + 1);
    m_preorder.push_back(i);
    m_usage.push_back(0);
    return i;
}

const BarIndex::RawSlot *BarIndex::findRaw(std::string_view text, unsigned long long hash) const
{
    const size_t mask = m_rawSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const RawSlot &s = m_rawSlots[i];
        if (!s.used)
            return nullptr;
        if (s.hash == hash && s.size == text.size() &&
            std::memcmp(m_rawText.data() + s.offset, text.data(), text.size()) == 0)
            return &s;
    }
}

void BarIndex::addRaw(std::string_view text, unsigned long long hash, int value)
{
    if (2 * (m_rawCount + 1) > m_rawSlots.size()) {
        std::vector<RawSlot> old(m_rawSlots.size() * 2);
        old.swap(m_rawSlots);
        const size_t mask = m_rawSlots.size() - 1;
        for (const RawSlot &s : old)
            if (s.used) {
                size_t i = s.hash & mask;
                while (m_rawSlots[i].used)
                    i = (i + 1) & mask;
                m_rawSlots[i] = s;
            }
    }
    const size_t mask = m_rawSlots.size() - 1;
    size_t i = hash & mask;
    while (m_rawSlots[i].used)
        i = (i + 1) & mask;
    m_rawSlots[i] = RawSlot{hash, unsigned(m_rawText.size()), unsigned(text.size()), value, true};
    m_rawText.append(text);
    ++m_rawCount;
}

int BarIndex::place(const char *utf8, int size)
{
    // Recipe texts repeat; the same bytes are folded once.
    const std::string_view probe(utf8, size_t(size));
    const unsigned long long hash = textHash(probe);
    if (const RawSlot *s = findRaw(probe, hash))
        return s->value;
    const QString text = QString::fromUtf8(utf8, size);
    const QString folded = foldForSearch(text);
    int i = -1;
    if (!folded.isEmpty()) {
        i = m_vocabulary.texts().value(folded, -1);
        if (i < 0)
            i = m_otherByFold.value(folded, -1);
        if (i < 0)
            i = addOther(text, folded);
    }
    addRaw(probe, hash, i);
    return i;
}

void BarIndex::addDrink(qint64 key, const QString &name, const QStringList &ingredients)
{
    m_keys.push_back(key);
    const QByteArray n = name.toUtf8();
    m_names.append(n.constData(), size_t(n.size()));
    m_nameStart.push_back(unsigned(m_names.size()));
    const size_t start = m_ings.size();
    for (const QString &t : ingredients) {
        const QByteArray u = t.toUtf8();
        const int i = place(u.constData(), int(u.size()));
        if (i >= 0 && std::find(m_ings.begin() + start, m_ings.end(), i) == m_ings.end()) {
            m_ings.push_back(i);
            ++m_usage[i];
        }
    }
    m_ingStart.push_back(unsigned(m_ings.size()));
}

void BarIndex::loadCatalogue(const QString &path)
{
    sqlite3 *db = nullptr;
    auto fail = [&db](const char *what) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error(std::string(what) + ": " + why);
    };
    // One connection on one thread: the engine's own locking is not needed.
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
        fail("cannot open the catalogue");
    try {
        guard::secure(db, path);
    } catch (const std::exception &e) {
        sqlite3_close(db);
        throw std::runtime_error(e.what());
    }
    sqlite3_stmt *st = nullptr;
    // The highest key is a cheap upper bound on the rows to come.
    if (sqlite3_prepare_v2(db, "SELECT max(rowid) FROM drinklst", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        const size_t rows = size_t(std::max<sqlite3_int64>(0, sqlite3_column_int64(st, 0)));
        m_keys.reserve(m_keys.size() + rows);
        m_nameStart.reserve(m_nameStart.size() + rows);
        m_ingStart.reserve(m_ingStart.size() + rows);
        m_ings.reserve(m_ings.size() + rows * 6);
    }
    sqlite3_finalize(st);
    st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT rowid, DrinkName, Ing1, Ing2, Ing3, Ing4, Ing5, Ing6, Ing7, Ing8, Ing9, Ing10 "
                           "FROM drinklst ORDER BY rowid",
                           -1, &st, nullptr) != SQLITE_OK)
        fail("cannot read the drinks");
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        m_keys.push_back(sqlite3_column_int64(st, 0));
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
        if (name)
            m_names.append(name, size_t(sqlite3_column_bytes(st, 1)));
        m_nameStart.push_back(unsigned(m_names.size()));
        const size_t start = m_ings.size();
        for (int c = 2; c < 12; ++c) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
            if (!text)
                continue;
            const int i = place(text, sqlite3_column_bytes(st, c));
            if (i >= 0 && std::find(m_ings.begin() + start, m_ings.end(), i) == m_ings.end()) {
                m_ings.push_back(i);
                ++m_usage[i];
            }
        }
        m_ingStart.push_back(unsigned(m_ings.size()));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        fail("cannot read the drinks");
    sqlite3_close(db);
}

QString BarIndex::drinkName(int d) const
{
    return QString::fromUtf8(m_names.data() + m_nameStart[d], qsizetype(m_nameStart[d + 1] - m_nameStart[d]));
}

std::vector<int> BarIndex::drinkIngredients(int d) const
{
    return std::vector<int>(m_ings.begin() + m_ingStart[d], m_ings.begin() + m_ingStart[d + 1]);
}

int BarIndex::coverRoot(int wanted, const BarOptions &options) const
{
    return options.substitutes && m_parent[wanted] >= 0 ? m_parent[wanted] : wanted;
}

bool BarIndex::satisfies(int had, int wanted, const BarOptions &options) const
{
    return within(coverRoot(wanted, options), had);
}

BarLists BarIndex::compute(const std::vector<char> &have, const BarOptions &options) const
{
    const int n = ingredientCount();
    // held[i]: something at hand is i or a more specific kind of it.
    std::vector<char> held(n, 0);
    for (int i = 0; i < n && i < int(have.size()); ++i)
        held[i] = have[i] != 0;
    for (auto it = m_preorder.rbegin(); it != m_preorder.rend(); ++it)
        if (held[*it] && m_parent[*it] >= 0)
            held[m_parent[*it]] = 1;
    // wanted[i]: 0 satisfied or optional, else 1 + the root of what would stand in.
    std::vector<int> wanted(n, 0);
    for (int i = 0; i < n; ++i) {
        const bool optional = !options.garnishes && ingredientKind(i) == IngredientKind::Garnish;
        const int root = coverRoot(i, options);
        wanted[i] = optional || held[root] ? 0 : root + 1;
    }

    BarLists out;
    out.unlockAt.resize(n);
    const int drinks = drinkCount();
    for (int d = 0; d < drinks; ++d) {
        int missing = 0;
        int first = -1;
        int deepest = -1; // the one ingredient whose bottles complete the drink
        for (unsigned k = m_ingStart[d]; k < m_ingStart[d + 1]; ++k) {
            const int w = wanted[m_ings[k]];
            if (!w)
                continue;
            const int root = w - 1;
            if (++missing == 1) {
                first = m_ings[k];
                deepest = root;
            } else if (deepest >= 0) {
                if (within(deepest, root))
                    deepest = root;
                else if (!within(root, deepest))
                    deepest = -1; // no single bottle covers both
            }
        }
        if (missing == 0) {
            out.canMake.push_back(d);
            continue;
        }
        if (missing == 1)
            out.oneAway.push_back({d, first});
        if (deepest >= 0)
            out.unlockAt[deepest].push_back(d);
    }

    // A bottle completes the drinks waiting on it or on any kind it is of.
    // Only the most specific bottles are offered: each completes at least
    // what its parent would.
    for (int i = 0; i < n; ++i) {
        if (hasChildren(i) || held[i])
            continue;
        int gain = 0;
        for (int a = i; a >= 0; a = m_parent[a])
            gain += int(out.unlockAt[a].size());
        if (gain > 0)
            out.buyNext.push_back({i, gain});
    }
    std::sort(out.buyNext.begin(), out.buyNext.end(), [this](const BarLists::Buy &a, const BarLists::Buy &b) {
        if (a.drinks != b.drinks)
            return a.drinks > b.drinks;
        return ingredientName(a.ingredient).compare(ingredientName(b.ingredient), Qt::CaseInsensitive) < 0;
    });
    return out;
}

std::vector<int> BarIndex::unlockedBy(const BarLists &lists, int ingredient) const
{
    std::vector<int> out;
    for (int a = ingredient; a >= 0; a = m_parent[a])
        out.insert(out.end(), lists.unlockAt[a].begin(), lists.unlockAt[a].end());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<char> BarShelf::haveVector(const BarIndex &index) const
{
    std::vector<char> v(index.ingredientCount(), 0);
    for (int i = 0; i < index.ingredientCount(); ++i)
        v[i] = index.ingredientKind(i) == IngredientKind::Pantry;
    for (const QString &name : have)
        if (const int i = index.ingredientOf(name); i >= 0)
            v[i] = 1;
    for (const QString &name : without)
        if (const int i = index.ingredientOf(name); i >= 0 && index.ingredientKind(i) == IngredientKind::Pantry)
            v[i] = 0;
    return v;
}

BarShelf BarShelf::withTicks(const BarIndex &index, const std::vector<char> &ticks) const
{
    BarShelf out;
    out.options = options;
    for (const QString &name : have)
        if (index.ingredientOf(name) < 0)
            out.have << name;
    for (int i = 0; i < index.ingredientCount() && i < int(ticks.size()); ++i) {
        const bool pantry = index.ingredientKind(i) == IngredientKind::Pantry;
        if (ticks[i] && !pantry)
            out.have << index.ingredientName(i);
        else if (!ticks[i] && pantry)
            out.without << index.ingredientName(i);
    }
    return out;
}

} // namespace pv
