// Recipes on a saved web page: schema.org Recipe data as JSON-LD in a
// script element, or as microdata in the page's own elements. The page is
// read as text only; nothing in it is fetched or run.

#include "interchange/Interchange.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace pv::interchange::detail {

namespace {

// Deeper nesting than this is read as if flat: no page needs it, and it
// keeps the work bounded.
constexpr int kMaxDepth = 256;
// A saved recipe page has some thousands of elements; each costs far more
// than its few bytes, so a page of millions of "<b>" is not read.
constexpr qsizetype kMaxNodes = 1'000'000;

struct Node {
    QString name; // lower case; empty for text
    QHash<QString, QString> attrs;
    QString text;
    QList<int> children;
    int parent = -1;
    int line = 1;
};

const QHash<QString, uint> &namedEntities()
{
    // The entities recipe pages use; numeric ones cover the rest.
    static const QHash<QString, uint> map = {
        {QStringLiteral("amp"), '&'},       {QStringLiteral("lt"), '<'},        {QStringLiteral("gt"), '>'},
        {QStringLiteral("quot"), '"'},      {QStringLiteral("apos"), '\''},     {QStringLiteral("nbsp"), 0xA0},
        {QStringLiteral("frac12"), 0xBD},   {QStringLiteral("frac14"), 0xBC},   {QStringLiteral("frac34"), 0xBE},
        {QStringLiteral("frac13"), 0x2153}, {QStringLiteral("frac23"), 0x2154}, {QStringLiteral("frac18"), 0x215B},
        {QStringLiteral("deg"), 0xB0},      {QStringLiteral("ndash"), 0x2013},  {QStringLiteral("mdash"), 0x2014},
        {QStringLiteral("lsquo"), 0x2018},  {QStringLiteral("rsquo"), 0x2019},  {QStringLiteral("ldquo"), 0x201C},
        {QStringLiteral("rdquo"), 0x201D},  {QStringLiteral("hellip"), 0x2026}, {QStringLiteral("eacute"), 0xE9},
        {QStringLiteral("egrave"), 0xE8},   {QStringLiteral("ecirc"), 0xEA},    {QStringLiteral("aacute"), 0xE1},
        {QStringLiteral("agrave"), 0xE0},   {QStringLiteral("iacute"), 0xED},   {QStringLiteral("oacute"), 0xF3},
        {QStringLiteral("uacute"), 0xFA},   {QStringLiteral("ntilde"), 0xF1},   {QStringLiteral("uuml"), 0xFC},
        {QStringLiteral("ouml"), 0xF6},     {QStringLiteral("auml"), 0xE4},     {QStringLiteral("szlig"), 0xDF},
        {QStringLiteral("ccedil"), 0xE7},   {QStringLiteral("times"), 0xD7},    {QStringLiteral("copy"), 0xA9},
        {QStringLiteral("reg"), 0xAE},      {QStringLiteral("trade"), 0x2122},  {QStringLiteral("middot"), 0xB7},
        {QStringLiteral("bull"), 0x2022},   {QStringLiteral("laquo"), 0xAB},    {QStringLiteral("raquo"), 0xBB},
        {QStringLiteral("lsaquo"), 0x2039}, {QStringLiteral("rsaquo"), 0x203A}, {QStringLiteral("half"), 0xBD},
    };
    return map;
}

QString decodeEntities(QStringView s)
{
    if (!s.contains(QLatin1Char('&')))
        return s.toString();
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('&')) {
            out += s[i];
            continue;
        }
        const qsizetype semi = s.indexOf(QLatin1Char(';'), i + 1);
        if (semi < 0 || semi - i > 12) {
            out += s[i];
            continue;
        }
        const QStringView name = s.sliced(i + 1, semi - i - 1);
        uint code = 0;
        bool ok = false;
        if (name.startsWith(QLatin1Char('#'))) {
            const bool hex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
            code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            ok = ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        } else {
            const auto it = namedEntities().constFind(name.toString());
            ok = it != namedEntities().cend();
            if (ok)
                code = it.value();
        }
        if (!ok) {
            out += s[i];
            continue;
        }
        const char32_t c = code;
        out += QString::fromUcs4(&c, 1);
        i = semi;
    }
    return out;
}

bool isVoid(const QString &name)
{
    static const QSet<QString> names = {"area", "base",  "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return names.contains(name);
}

bool isBlock(const QString &name)
{
    static const QSet<QString> names = {"p",  "div", "ul", "ol",    "li",      "h1",      "h2",      "h3",
                                        "h4", "h5",  "h6", "table", "tr",      "section", "article", "br",
                                        "dl", "dt",  "dd", "td",    "th",      "header",  "footer",  "blockquote"};
    return names.contains(name);
}

class Page {
public:
    explicit Page(const QString &text) : m_text(text)
    {
        m_nodes.append(Node{QStringLiteral("#document"), {}, {}, {}, -1, 1});
        parse();
    }
    const QList<Node> &nodes() const { return m_nodes; }
    // True when the page has more elements than are read.
    bool tooLarge() const { return m_nodes.size() >= kMaxNodes; }

private:
    void addText(int parent, QString text, int line)
    {
        Node n;
        n.text = std::move(text);
        n.parent = parent;
        n.line = line;
        m_nodes.append(n);
        m_nodes[parent].children << int(m_nodes.size() - 1);
    }

    // Closes the open elements up to and with the innermost `name`, if one
    // is open below any of `stops`.
    void closeOpen(QList<int> &open, const QSet<QString> &names, const QSet<QString> &stops)
    {
        for (qsizetype k = open.size() - 1; k > 0; --k) {
            const QString &n = m_nodes[open[k]].name;
            if (stops.contains(n))
                return;
            if (names.contains(n)) {
                open.resize(k);
                return;
            }
        }
    }

    void parse()
    {
        const QString &t = m_text;
        const qsizetype n = t.size();
        QList<int> open = {0};
        int line = 1;
        qsizetype i = 0;
        auto countLines = [&](qsizetype from, qsizetype to) {
            line += int(QStringView(t).sliced(from, to - from).count(QLatin1Char('\n')));
        };
        while (i < n && !tooLarge()) {
            const qsizetype lt = t.indexOf(QLatin1Char('<'), i);
            const qsizetype textEnd = lt < 0 ? n : lt;
            if (textEnd > i) {
                addText(open.last(), decodeEntities(QStringView(t).sliced(i, textEnd - i)), line);
                countLines(i, textEnd);
            }
            if (lt < 0)
                break;
            i = lt;
            if (t.mid(i, 4) == QLatin1String("<!--")) {
                qsizetype end = t.indexOf(QLatin1String("-->"), i + 4);
                end = end < 0 ? n : end + 3;
                countLines(i, end);
                i = end;
                continue;
            }
            const bool closing = i + 1 < n && t[i + 1] == QLatin1Char('/');
            qsizetype p = i + (closing ? 2 : 1);
            const qsizetype nameStart = p;
            while (p < n && (t[p].isLetterOrNumber() || t[p] == QLatin1Char('-') || t[p] == QLatin1Char(':')))
                ++p;
            if (p == nameStart) {
                // "<!DOCTYPE ...>", "<?xml ...?>", or a lone "<" in text.
                if (!closing && i + 1 < n && (t[i + 1] == QLatin1Char('!') || t[i + 1] == QLatin1Char('?'))) {
                    qsizetype end = t.indexOf(QLatin1Char('>'), i);
                    end = end < 0 ? n : end + 1;
                    countLines(i, end);
                    i = end;
                } else {
                    addText(open.last(), QStringLiteral("<"), line);
                    ++i;
                }
                continue;
            }
            const QString name = t.mid(nameStart, p - nameStart).toLower();
            QHash<QString, QString> attrs;
            const int tagLine = line;
            // Attributes, to the closing ">".
            while (p < n && t[p] != QLatin1Char('>')) {
                if (t[p].isSpace() || t[p] == QLatin1Char('/')) {
                    ++p;
                    continue;
                }
                const qsizetype a = p;
                while (p < n && !t[p].isSpace() && t[p] != QLatin1Char('=') && t[p] != QLatin1Char('>') &&
                       t[p] != QLatin1Char('/'))
                    ++p;
                const QString attr = t.mid(a, p - a).toLower();
                QString value;
                while (p < n && t[p].isSpace())
                    ++p;
                if (p < n && t[p] == QLatin1Char('=')) {
                    ++p;
                    while (p < n && t[p].isSpace())
                        ++p;
                    if (p < n && (t[p] == QLatin1Char('"') || t[p] == QLatin1Char('\''))) {
                        const QChar q = t[p];
                        qsizetype end = t.indexOf(q, p + 1);
                        if (end < 0)
                            end = n;
                        value = decodeEntities(QStringView(t).sliced(p + 1, end - p - 1));
                        p = std::min(n, end + 1);
                    } else {
                        const qsizetype v = p;
                        while (p < n && !t[p].isSpace() && t[p] != QLatin1Char('>'))
                            ++p;
                        value = decodeEntities(QStringView(t).sliced(v, p - v));
                    }
                }
                if (!attr.isEmpty() && !attrs.contains(attr))
                    attrs.insert(attr, value);
            }
            const qsizetype tagEnd = std::min(n, p + 1);
            countLines(i, tagEnd);
            i = tagEnd;
            if (closing) {
                for (qsizetype k = open.size() - 1; k > 0; --k)
                    if (m_nodes[open[k]].name == name) {
                        open.resize(k);
                        break;
                    }
                continue;
            }
            // The end tags pages leave out.
            static const QSet<QString> listStops = {"ul", "ol"};
            static const QSet<QString> tableStops = {"table"};
            if (name == QLatin1String("li"))
                closeOpen(open, {"li"}, listStops);
            else if (name == QLatin1String("dt") || name == QLatin1String("dd"))
                closeOpen(open, {"dt", "dd"}, {"dl"});
            else if (name == QLatin1String("tr"))
                closeOpen(open, {"tr"}, tableStops);
            else if (name == QLatin1String("td") || name == QLatin1String("th"))
                closeOpen(open, {"td", "th"}, {"tr", "table"});
            if (isBlock(name))
                closeOpen(open, {"p"}, {"div", "li", "td", "th", "section", "article"});
            Node node;
            node.name = name;
            node.attrs = std::move(attrs);
            node.parent = open.last();
            node.line = tagLine;
            m_nodes.append(std::move(node));
            const int index = int(m_nodes.size() - 1);
            m_nodes[open.last()].children << index;
            // Script and style hold raw text to their end tag.
            if (name == QLatin1String("script") || name == QLatin1String("style") ||
                name == QLatin1String("textarea") || name == QLatin1String("title")) {
                qsizetype end = t.indexOf(QStringLiteral("</") + name, i, Qt::CaseInsensitive);
                if (end < 0)
                    end = n;
                addText(index, name == QLatin1String("script") || name == QLatin1String("style")
                                   ? t.mid(i, end - i)
                                   : decodeEntities(QStringView(t).sliced(i, end - i)),
                        line);
                countLines(i, end);
                qsizetype close = t.indexOf(QLatin1Char('>'), end);
                i = close < 0 ? n : close + 1;
                continue;
            }
            if (!isVoid(name) && open.size() < kMaxDepth && !(p > 0 && t[p - 1] == QLatin1Char('/')))
                open << index;
        }
    }

    QString m_text;
    QList<Node> m_nodes;
};

void textContent(const QList<Node> &nodes, int index, QString &out, int depth = 0)
{
    const Node &node = nodes[index];
    if (node.name.isEmpty()) {
        out += node.text;
        return;
    }
    if (node.name == QLatin1String("script") || node.name == QLatin1String("style") || depth > kMaxDepth)
        return;
    const bool block = isBlock(node.name);
    if (block)
        out += QLatin1Char('\n');
    for (int c : node.children)
        textContent(nodes, c, out, depth + 1);
    if (block)
        out += QLatin1Char('\n');
}

QString singleSpaced(const QString &s)
{
    return s.simplified();
}

QString typeOf(const QString &itemtype)
{
    // "https://schema.org/Recipe" -> "Recipe"; the first of several types.
    const QString first = itemtype.simplified().section(QLatin1Char(' '), 0, 0);
    return first.section(QLatin1Char('/'), -1);
}

QJsonObject microdataItem(const QList<Node> &nodes, int index, int depth);

QJsonValue propertyValue(const QList<Node> &nodes, int index, int depth)
{
    const Node &n = nodes[index];
    if (n.attrs.contains(QStringLiteral("itemscope")))
        return microdataItem(nodes, index, depth + 1);
    if (n.name == QLatin1String("meta"))
        return n.attrs.value(QStringLiteral("content"));
    if (n.name == QLatin1String("a") || n.name == QLatin1String("link") || n.name == QLatin1String("area"))
        return n.attrs.value(QStringLiteral("href"));
    if (n.name == QLatin1String("img") || n.name == QLatin1String("source") || n.name == QLatin1String("video") ||
        n.name == QLatin1String("audio"))
        return n.attrs.value(QStringLiteral("src"));
    if (n.name == QLatin1String("time") && n.attrs.contains(QStringLiteral("datetime")))
        return n.attrs.value(QStringLiteral("datetime"));
    if ((n.name == QLatin1String("data") || n.name == QLatin1String("meter")) && n.attrs.contains(QStringLiteral("value")))
        return n.attrs.value(QStringLiteral("value"));
    QString text;
    textContent(nodes, index, text);
    return singleSpaced(text);
}

void collectProperties(const QList<Node> &nodes, int index, QHash<QString, QJsonArray> &props, int depth)
{
    if (depth > kMaxDepth)
        return;
    for (int c : nodes[index].children) {
        const Node &child = nodes[c];
        if (child.name.isEmpty())
            continue;
        const QStringList names =
            child.attrs.value(QStringLiteral("itemprop")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!names.isEmpty()) {
            const QJsonValue v = propertyValue(nodes, c, depth);
            for (const QString &p : names)
                props[p] << v;
        }
        // A nested item keeps its own properties.
        if (!child.attrs.contains(QStringLiteral("itemscope")))
            collectProperties(nodes, c, props, depth + 1);
    }
}

QJsonObject microdataItem(const QList<Node> &nodes, int index, int depth)
{
    QJsonObject o;
    if (depth > 16)
        return o;
    o.insert(QStringLiteral("@type"), typeOf(nodes[index].attrs.value(QStringLiteral("itemtype"))));
    QHash<QString, QJsonArray> props;
    collectProperties(nodes, index, props, depth);
    for (auto it = props.cbegin(); it != props.cend(); ++it) {
        // The older vocabulary's name for the ingredient lines.
        const QString key = it.key() == QLatin1String("ingredients") ? QStringLiteral("recipeIngredient") : it.key();
        QJsonArray values = o.value(key).toArray();
        for (const QJsonValue &v : it.value())
            values << v;
        o.insert(key, values.size() == 1 && key != QLatin1String("recipeIngredient") ? values.first()
                                                                                      : QJsonValue(values));
    }
    return o;
}

void findRecipeItems(const QList<Node> &nodes, int index, QList<QJsonObject> &out, int depth)
{
    if (depth > kMaxDepth)
        return;
    const Node &n = nodes[index];
    if (n.attrs.contains(QStringLiteral("itemscope")) &&
        typeOf(n.attrs.value(QStringLiteral("itemtype"))) == QLatin1String("Recipe")) {
        out << microdataItem(nodes, index, 0);
        return; // a recipe inside a recipe is its part, not another drink
    }
    for (int c : n.children)
        findRecipeItems(nodes, c, out, depth + 1);
}

QString decodePage(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QString error;
    const QByteArray copy = QByteArray::fromRawData(bytes.data(), bytes.size());
    const QByteArrayView checked = checkUtf8(copy, &error);
    if (error.isEmpty())
        return QString::fromUtf8(checked);
    // Older pages in a single-byte code page: their letters are kept as
    // Latin-1, which covers the recipes' accents.
    return QString::fromLatin1(bytes);
}

} // namespace

QString htmlToText(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral("<[A-Za-z/!]"));
    if (!html.contains(tag))
        return decodeEntities(html).simplified();
    const Page page(html);
    QString text;
    textContent(page.nodes(), 0, text);
    return text.simplified();
}

ReadResult readHtml(QByteArrayView bytes)
{
    ReadResult out;
    const QString text = decodePage(bytes);
    if (text.trimmed().isEmpty()) {
        out.error = QStringLiteral("The file is empty.");
        return out;
    }
    const Page page(text);
    if (page.tooLarge()) {
        out.error = QStringLiteral("The page holds more than %1 elements, more than Pourvale reads from one page. "
                                   "Nothing was imported.")
                        .arg(QLocale(QLocale::English).toString(kMaxNodes));
        return out;
    }
    const QList<Node> &nodes = page.nodes();
    QList<QJsonObject> recipes;
    QStringList broken;
    for (const Node &n : nodes) {
        if (n.name != QLatin1String("script") ||
            !n.attrs.value(QStringLiteral("type")).contains(QLatin1String("ld+json"), Qt::CaseInsensitive) ||
            n.children.isEmpty())
            continue;
        QJsonParseError err;
        const QByteArray json = nodes[n.children.first()].text.trimmed().toUtf8();
        QString tooMuch;
        if (!jsonWithinBounds(json, &tooMuch)) {
            out.error = tooMuch;
            return out;
        }
        const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
        if (err.error != QJsonParseError::NoError) {
            broken << QStringLiteral("line %1").arg(n.line);
            continue;
        }
        collectRecipeNodes(doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object()), recipes, 0);
    }
    // Microdata only where the page gives no JSON-LD recipe: most pages that
    // carry both describe the same recipe twice.
    if (recipes.isEmpty())
        findRecipeItems(nodes, 0, recipes, 0);
    if (recipes.isEmpty()) {
        out.error = broken.isEmpty()
                        ? QStringLiteral("The page holds no recipe (no schema.org Recipe as JSON-LD or microdata).")
                        : QStringLiteral("The page holds no recipe that can be read: the JSON-LD at %1 is not valid "
                                         "JSON.")
                              .arg(broken.join(QStringLiteral(", ")));
        return out;
    }
    readRecipeNodes(recipes, true, out);
    return out;
}

} // namespace pv::interchange::detail
