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
    m_up.assign(n, {});
    m_groupOf.assign(n, {});
    m_madeFrom.assign(n, {});
    m_depth.assign(n, 0);
    m_wantAs.resize(n);
    m_usage.assign(n, 0);
    // What each ingredient serves, through every chain of parents.
    for (int i = 0; i < n; ++i) {
        std::vector<int> &up = m_up[i];
        std::vector<int> stack{i};
        while (!stack.empty()) {
            const int a = stack.back();
            stack.pop_back();
            if (std::find(up.begin(), up.end(), a) != up.end())
                continue;
            up.push_back(a);
            for (int p : m_vocabulary.at(a).parents)
                stack.push_back(p);
        }
        std::sort(up.begin(), up.end());
        for (int a = m_vocabulary.at(i).parent; a >= 0; a = m_vocabulary.at(a).parent)
            ++m_depth[i];
        for (int c : m_vocabulary.at(i).madeFrom)
            m_madeFrom[i].push_back(c);
        int want = i;
        while (m_vocabulary.at(want).anyOfParent)
            want = m_vocabulary.at(want).parent;
        m_wantAs[i] = want;
    }
    for (const QList<int> &group : m_vocabulary.substituteGroups())
        for (int a : group)
            for (int b : group)
                if (a != b && std::find(m_groupOf[a].begin(), m_groupOf[a].end(), b) == m_groupOf[a].end())
                    m_groupOf[a].push_back(b);
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
    const int i = int(m_up.size());
    m_otherNames << text.simplified();
    m_otherByFold.insert(folded, i);
    m_up.push_back({i});
    m_groupOf.emplace_back();
    m_madeFrom.emplace_back();
    m_depth.push_back(0);
    m_wantAs.push_back(i);
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

bool BarIndex::garnishUse(int ingredient, const char *quantity, int size) const
{
    const IngredientKind kind = ingredientKind(ingredient);
    if (kind == IngredientKind::Garnish)
        return true;
    if (kind != IngredientKind::Fruit && kind != IngredientKind::Herb)
        return false;
    // One twist, slice, wedge or sprig dresses the glass; more are muddled,
    // and a leaf count or a measure goes into the drink.
    static const char *const measures[] = {"twist", "slice", "wedge", "wheel", "sprig",
                                           "stalk", "leaf",  "chunk", "peel"};
    std::string_view q(quantity, size_t(std::max(0, size)));
    while (!q.empty() && q.front() == ' ')
        q.remove_prefix(1);
    while (!q.empty() && q.back() == ' ')
        q.remove_suffix(1);
    if (q.size() < 3 || q[0] != '1' || q[1] != ' ')
        return false;
    q.remove_prefix(2);
    for (const char *m : measures)
        if (q.size() == std::strlen(m) && std::equal(q.begin(), q.end(), m, [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
            }))
            return true;
    return false;
}

void BarIndex::addLine(size_t start, int i, bool garnish)
{
    if (i < 0)
        return;
    const int want = m_wantAs[i];
    const auto begin = m_ings.begin() + std::ptrdiff_t(start);
    const auto it = std::find(begin, m_ings.end(), want);
    if (it != m_ings.end()) {
        // The same ingredient twice (mint leaves and a sprig): needed if either line is.
        char &g = m_garnish[size_t(it - m_ings.begin())];
        g = char(g && garnish);
        return;
    }
    m_ings.push_back(want);
    m_garnish.push_back(garnish);
    ++m_usage[want];
}

void BarIndex::finishDrink(size_t start, const char *name, int size)
{
    // A garnish that makes the drink what it is is needed even so.
    const auto &needed = m_vocabulary.neededGarnishes();
    if (!needed.isEmpty() &&
        std::find(m_garnish.begin() + std::ptrdiff_t(start), m_garnish.end(), 1) != m_garnish.end()) {
        const auto it = needed.constFind(foldForSearch(QString::fromUtf8(name, size)));
        if (it != needed.cend())
            for (size_t k = start; k < m_ings.size(); ++k)
                for (int g : *it)
                    if (m_wantAs[g] == m_ings[k])
                        m_garnish[k] = 0;
    }
    m_ingStart.push_back(unsigned(m_ings.size()));
}

void BarIndex::addDrink(qint64 key, const QString &name, const QStringList &ingredients, const QStringList &quantities)
{
    m_keys.push_back(key);
    const QByteArray n = name.toUtf8();
    m_names.append(n.constData(), size_t(n.size()));
    m_nameStart.push_back(unsigned(m_names.size()));
    const size_t start = m_ings.size();
    for (qsizetype k = 0; k < ingredients.size(); ++k) {
        const QByteArray u = ingredients[k].toUtf8();
        const QByteArray q = quantities.value(k).toUtf8();
        const int i = place(u.constData(), int(u.size()));
        addLine(start, i, i >= 0 && garnishUse(i, q.constData(), int(q.size())));
    }
    finishDrink(start, n.constData(), int(n.size()));
}

void BarIndex::loadCatalogue(const QString &path)
{
    sqlite3 *db = nullptr;
    auto fail = [&db](const char *what) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error(std::string(what) + ": " + why);
    };
    try {
        guard::requireOrdinaryFile(path);
    } catch (const std::exception &e) {
        throw std::runtime_error(e.what());
    }
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
        m_garnish.reserve(m_garnish.size() + rows * 6);
    }
    sqlite3_finalize(st);
    st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT rowid, DrinkName, Ing1, Ing2, Ing3, Ing4, Ing5, Ing6, Ing7, Ing8, Ing9, Ing10, "
                           "Qty1, Qty2, Qty3, Qty4, Qty5, Qty6, Qty7, Qty8, Qty9, Qty10 FROM drinklst ORDER BY rowid",
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
            bool garnish = false;
            if (i >= 0 && ingredientKind(i) != IngredientKind::Other) {
                const auto *qty = reinterpret_cast<const char *>(sqlite3_column_text(st, c + 10));
                garnish = garnishUse(i, qty ? qty : "", qty ? sqlite3_column_bytes(st, c + 10) : 0);
            }
            addLine(start, i, garnish);
        }
        finishDrink(start, name ? name : "", name ? sqlite3_column_bytes(st, 1) : 0);
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

std::vector<int> BarIndex::servedUsage() const
{
    const int n = ingredientCount();
    std::vector<std::vector<int>> servedBy(n);
    for (int i = 0; i < n; ++i)
        for (int w : m_up[i])
            servedBy[w].push_back(i);
    std::vector<int> out(n, 0), seen(n, -1);
    for (int d = 0; d < drinkCount(); ++d)
        for (unsigned k = m_ingStart[d]; k < m_ingStart[d + 1]; ++k)
            for (int i : servedBy[m_ings[k]])
                if (seen[i] != d) {
                    seen[i] = d;
                    ++out[i];
                }
    return out;
}

std::vector<std::vector<int>> BarIndex::coverage(const BarOptions &options) const
{
    const int n = ingredientCount();
    std::vector<std::vector<int>> out(n);
    std::vector<std::vector<int>> countsAs(n);
    for (const auto &[x, y] : options.countAs)
        if (x >= 0 && x < n && y >= 0 && y < n)
            countsAs[x].push_back(y);
    std::vector<int> stack;
    for (int b = 0; b < n; ++b) {
        std::vector<int> &c = out[b];
        // What the bottle is, and what the user's rules count it as, in turn.
        stack.assign(1, b);
        std::vector<int> as;
        while (!stack.empty()) {
            const int x = stack.back();
            stack.pop_back();
            if (std::find(as.begin(), as.end(), x) != as.end())
                continue;
            as.push_back(x);
            for (int y : countsAs[x])
                stack.push_back(y);
        }
        for (int x : as)
            c.insert(c.end(), m_up[x].begin(), m_up[x].end());
        if (options.substitutes) {
            const size_t plain = c.size();
            for (size_t k = 0; k < plain; ++k)
                c.insert(c.end(), m_groupOf[c[k]].begin(), m_groupOf[c[k]].end());
        }
        std::sort(c.begin(), c.end());
        c.erase(std::unique(c.begin(), c.end()), c.end());
    }
    return out;
}

BarLists BarIndex::compute(const std::vector<char> &have, const BarOptions &options) const
{
    const int n = ingredientCount();
    const std::vector<std::vector<int>> cover = coverage(options);
    BarLists out;
    out.ok.assign(n, 0);
    std::vector<char> &ok = out.ok;
    for (int i = 0; i < n && i < int(have.size()); ++i)
        if (have[i])
            for (int w : cover[i])
                ok[w] = 1;
    // A house-made ingredient is at hand when all it is made of is.
    for (int i = 0; i < n; ++i)
        if (!ok[i] && !m_madeFrom[i].empty())
            ok[i] = std::all_of(m_madeFrom[i].begin(), m_madeFrom[i].end(), [&ok](int c) { return ok[c] != 0; });

    // The bottles that would serve each line not served now.
    std::vector<std::vector<int>> servedBy(n);
    for (int b = 0; b < n; ++b)
        if (m_madeFrom[b].empty() && !(b < int(have.size()) && have[b]))
            for (int w : cover[b])
                if (!ok[w])
                    servedBy[w].push_back(b);
    auto covers = [&cover](int b, int w) { return std::binary_search(cover[b].begin(), cover[b].end(), w); };

    out.unlockAt.resize(n);
    out.needStart.push_back(0);
    std::vector<int> need;
    const int drinks = drinkCount();
    for (int d = 0; d < drinks; ++d) {
        need.clear();
        for (unsigned k = m_ingStart[d]; k < m_ingStart[d + 1]; ++k) {
            const int w = m_ings[k];
            if (ok[w] || (m_garnish[k] && !options.garnishes))
                continue;
            if (m_madeFrom[w].empty())
                need.push_back(w);
            else
                for (int c : m_madeFrom[w])
                    if (!ok[c] && std::find(need.begin(), need.end(), c) == need.end())
                        need.push_back(c);
        }
        if (need.empty()) {
            out.canMake.push_back(d);
            continue;
        }
        out.open.push_back(d);
        out.needs.insert(out.needs.end(), need.begin(), need.end());
        out.needStart.push_back(unsigned(out.needs.size()));
        if (need.size() == 1)
            out.oneAway.push_back({d, need.front()});
        for (int b : servedBy[need.front()]) {
            bool all = true;
            for (size_t k = 1; k < need.size() && all; ++k)
                all = covers(b, need[k]);
            if (all)
                out.unlockAt[b].push_back(d);
        }
    }

    // Honest advice: a bottle whose plainer kind adds as many drinks gives
    // way to it, and a plain kind gives way to a bottle that adds more.
    std::vector<char> hidden(n, 0);
    for (int b = 0; b < n; ++b) {
        const size_t gain = out.unlockAt[b].size();
        if (!gain)
            continue;
        for (int a : m_up[b]) {
            if (a == b || a >= n)
                continue;
            const size_t other = out.unlockAt[a].size();
            if (other >= gain)
                hidden[b] = 1;
            else if (other > 0)
                hidden[a] = 1;
        }
    }
    for (int b = 0; b < n; ++b)
        if (!hidden[b] && !out.unlockAt[b].empty())
            out.buyNext.push_back({b, int(out.unlockAt[b].size())});
    std::sort(out.buyNext.begin(), out.buyNext.end(), [this](const BarLists::Buy &a, const BarLists::Buy &b) {
        if (a.drinks != b.drinks)
            return a.drinks > b.drinks;
        if (m_depth[a.ingredient] != m_depth[b.ingredient])
            return m_depth[a.ingredient] < m_depth[b.ingredient];
        return ingredientName(a.ingredient).compare(ingredientName(b.ingredient), Qt::CaseInsensitive) < 0;
    });
    return out;
}

std::vector<int> BarIndex::unlockedBy(const BarLists &lists, int ingredient) const
{
    if (ingredient < 0 || ingredient >= int(lists.unlockAt.size()))
        return {};
    return lists.unlockAt[ingredient];
}

BarOptions BarShelf::optionsFor(const BarIndex &index) const
{
    BarOptions o = options;
    o.countAs.clear();
    for (const QString &rule : countAs) {
        const int x = index.ingredientOf(rule.section(QLatin1Char('='), 0, 0));
        const int y = index.ingredientOf(rule.section(QLatin1Char('='), 1));
        if (x >= 0 && y >= 0 && x != y)
            o.countAs.emplace_back(x, y);
    }
    return o;
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
    out.countAs = countAs;
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
