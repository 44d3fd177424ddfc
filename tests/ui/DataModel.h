#pragma once

// The reference model of a window with a data control: what each button does
// to the stored rows, the position, the boxes on screen, the caption and the
// messages. Plain C++ on purpose: it shares no code with the program, so the
// two can be compared. docs/data-control.md is the same table in words.

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace model {

enum class Kind { Main, Sayings, Games };

enum class Act {
    First,
    Previous,
    Next,
    Last,
    Add,
    Delete,
    Refresh,
    Update,
    Type,     // clear box `field`, then type `text`
    Search,   // main: type `text` into the search box, press Search
    FindNext, // main: type `text` into the search box, press Find Next
    Close,    // collections: close the window and open it again
    Foreign,  // another program: `field` 0 appends a row, 1 deletes row `text`
    Undo,     // Edit > Undo (the window's Ctrl+Z)
    Redo,
};

struct Step {
    Step(Act a = Act::First, int f = 0, std::string t = {}) : act(a), field(f), text(std::move(t)) {}
    Act act;
    int field;
    std::string text;
};

// The window's own texts.
struct Words {
    std::string prefix, end, beginning, emptyList, emptyDelete, nothingToDelete, listEmptied, nothingChanged,
        noRowToSave, notWholeNumber, rowGone, mustEnter, noMatch, noMore;
    std::string nameRequired; // main: a drink is not saved without a name
};

using Value = std::optional<std::string>;
using Row = std::vector<Value>;

struct FileRow {
    std::int64_t key;
    Row fields;
};

inline std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

inline bool wholeNumber(const std::string &s)
{
    size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i >= s.size() || s.size() - i > 18)
        return false;
    for (; i < s.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

class Window {
public:
    Window(Kind kind, Words words, int fields, int idField, std::vector<FileRow> file)
        : kind(kind), w(std::move(words)), nFields(fields), idField(idField), file(std::move(file))
    {
        open();
    }

    Kind kind;
    Words w;
    int nFields;
    int idField; // the box that takes whole numbers only, or -1
    std::vector<FileRow> file;

    // The cursor: its keys, as listed when the rows were opened.
    std::vector<std::int64_t> keys;
    int pos = -1;
    bool bof = true, eof = true, onDeleted = false, adding = false;
    std::optional<std::int64_t> lastModified;
    bool noMatch = false;

    std::vector<std::string> screen;
    std::vector<bool> dirty;
    std::string caption;
    bool findNextEnabled = false;
    std::string searchText;
    std::vector<std::string> messages; // of the last step

    void apply(const Step &s)
    {
        messages.clear();
        switch (s.act) {
        case Act::First:
        case Act::Last:
            toEnd(s.act == Act::First);
            break;
        case Act::Next:
            if (eof)
                return say(w.end);
            if (leave())
                moveNext(), show();
            break;
        case Act::Previous:
            if (bof)
                return say(w.beginning);
            if (leave())
                movePrevious(), show();
            break;
        case Act::Add:
            if (leave()) {
                adding = true;
                show();
            }
            break;
        case Act::Delete:
            remove();
            break;
        case Act::Refresh:
            if (leave()) {
                open();
                noMatch = false;
            }
            break;
        case Act::Update:
            update();
            break;
        case Act::Type:
            type(s.field, s.text);
            break;
        case Act::Search:
            search(s.text, true);
            break;
        case Act::FindNext:
            search(s.text, false);
            break;
        case Act::Close:
            close();
            break;
        case Act::Foreign:
            foreign(s.field, s.text);
            break;
        case Act::Undo:
        case Act::Redo:
            undoRedo(s.act == Act::Undo);
            break;
        }
    }

    // The session's saved changes of this window's table, newest last.
    struct Change {
        enum Kind { Deleted, Edited, Added } kind;
        std::int64_t key;
        Row before, after; // Deleted: `after` is the row
    };
    std::vector<Change> done, undone;

    int absolutePosition() const
    {
        if (bof || eof || onDeleted || adding || pos < 0 || pos >= int(keys.size()))
            return -1;
        return pos;
    }

    // The engine gives a new row the key after the highest one in the file.
    std::int64_t retired = 0;
    std::int64_t nextKey() const
    {
        std::int64_t k = 0;
        for (const FileRow &r : file)
            k = std::max(k, r.key);
        return k + 1;
    }

    const FileRow *row(std::int64_t key) const
    {
        for (const FileRow &r : file)
            if (r.key == key)
                return &r;
        return nullptr;
    }

private:
    void say(const std::string &m) { messages.push_back(m); }
    bool typed() const { return std::find(dirty.begin(), dirty.end(), true) != dirty.end(); }
    bool blank() const
    {
        return std::all_of(screen.begin(), screen.end(), [](const std::string &t) { return t.empty(); });
    }
    void forgetTyping() { dirty.assign(size_t(nFields), false); }
    bool collection() const { return kind != Kind::Main; }

    void open()
    {
        keys.clear();
        for (const FileRow &r : file)
            keys.push_back(r.key);
        adding = false;
        onDeleted = false;
        if (keys.empty()) {
            pos = -1;
            bof = eof = true;
        } else {
            landOn(0);
        }
        show();
    }

    void landOn(int i)
    {
        pos = i;
        bof = eof = onDeleted = false;
    }

    // The boxes show the current row; the caption follows (a reposition).
    void show()
    {
        screen.assign(size_t(nFields), std::string());
        const int at = absolutePosition();
        if (at >= 0)
            if (const FileRow *r = row(keys[size_t(at)]))
                for (int f = 0; f < nFields; ++f)
                    screen[size_t(f)] = r->fields[size_t(f)].value_or(std::string());
        forgetTyping();
        caption = w.prefix + std::to_string(at + 1);
    }

    // The automatic save as the row is left. False: the action stops, told why.
    bool leave()
    {
        if (!typed()) {
            adding = false; // an untouched new row is dropped
            return true;
        }
        if (adding && blank()) {
            adding = false;
            forgetTyping();
            return true;
        }
        if (!adding && absolutePosition() < 0) {
            forgetTyping();
            say(w.noRowToSave);
            return false;
        }
        if (!collection() && screen[0].empty()) {
            say(w.nameRequired); // the typing stays, as after a failed write
            return false;
        }
        if (idField >= 0 && dirty[size_t(idField)] && !screen[size_t(idField)].empty() &&
            !wholeNumber(screen[size_t(idField)])) {
            say(w.notWholeNumber);
            return false;
        }
        return store();
    }

    Value boxValue(int f) const
    {
        const std::string &t = screen[size_t(f)];
        if (f == idField)
            return t.empty() ? Value() : Value(std::to_string(std::stoll(t)));
        return t;
    }

    bool store()
    {
        if (adding) {
            FileRow r{nextKey(), Row(size_t(nFields))};
            for (int f = 0; f < nFields; ++f)
                if (dirty[size_t(f)])
                    r.fields[size_t(f)] = boxValue(f);
            if (idField >= 0 && !r.fields[size_t(idField)]) {
                // A number left empty is the next free one.
                std::optional<std::int64_t> top;
                for (const FileRow &o : file)
                    if (o.fields[size_t(idField)])
                        top = std::max<std::int64_t>(top.value_or(INT64_MIN), std::stoll(*o.fields[size_t(idField)]));
                r.fields[size_t(idField)] = std::to_string(top.value_or(0) + 1);
            }
            file.push_back(r);
            record({Change::Added, r.key, {}, r.fields});
            // A key the engine hands out again (another program deleted the
            // last row) leaves the old place a deleted row.
            for (std::int64_t &k : keys)
                if (k == r.key)
                    k = -(++retired);
            keys.push_back(r.key);
            if (bof && eof)
                bof = false;
            if (eof)
                pos = int(keys.size());
            lastModified = r.key;
            adding = false;
        } else {
            const std::int64_t key = keys[size_t(pos)];
            FileRow *r = const_cast<FileRow *>(row(key));
            if (!r) {
                forgetTyping();
                say(w.rowGone);
                return false;
            }
            const Row before = r->fields;
            for (int f = 0; f < nFields; ++f)
                if (dirty[size_t(f)])
                    r->fields[size_t(f)] = boxValue(f);
            if (r->fields != before)
                record({Change::Edited, key, before, r->fields});
            lastModified = key;
        }
        forgetTyping();
        return true;
    }

    void moveNext()
    {
        const int target = onDeleted ? pos : bof ? 0 : pos + 1;
        if (target >= int(keys.size())) {
            pos = int(keys.size());
            eof = true;
            bof = onDeleted = false;
        } else {
            landOn(target);
        }
    }

    void movePrevious()
    {
        const int target = eof ? int(keys.size()) - 1 : pos - 1;
        if (target < 0) {
            pos = -1;
            bof = true;
            eof = onDeleted = false;
        } else {
            landOn(target);
        }
    }

    void toEnd(bool first)
    {
        if (!leave())
            return;
        if (keys.empty())
            return say(w.emptyList);
        landOn(first ? 0 : int(keys.size()) - 1);
        show();
    }

    void remove()
    {
        if (adding) {
            // Delete on a new row abandons it, and only it.
            adding = false;
            show();
            return;
        }
        if (!collection() && keys.empty())
            return say(w.emptyDelete);
        if (absolutePosition() < 0)
            return say(w.nothingToDelete);
        const std::int64_t key = keys[size_t(pos)];
        if (const FileRow *gone = row(key))
            record({Change::Deleted, key, {}, gone->fields});
        file.erase(std::remove_if(file.begin(), file.end(), [key](const FileRow &r) { return r.key == key; }),
                   file.end());
        keys.erase(keys.begin() + pos);
        onDeleted = true;
        forgetTyping();
        if (!collection() && keys.empty()) {
            moveNext();
            show();
            return say(w.listEmptied);
        }
        moveNext();
        show();
        if (eof) {
            if (keys.empty())
                return say(w.listEmptied);
            landOn(int(keys.size()) - 1);
            show();
        }
    }

    void update()
    {
        if (!collection())
            return; // the main window saves only as the row is left
        if (!typed() || (adding && blank()))
            return say(w.nothingChanged);
        if (!leave())
            return;
        const auto it = std::find(keys.begin(), keys.end(), *lastModified);
        landOn(int(it - keys.begin()));
        show();
    }

    void type(int f, const std::string &text)
    {
        std::string &box = screen[size_t(f)];
        if (!box.empty() || !text.empty())
            dirty[size_t(f)] = true;
        box = text;
    }

    bool matches(std::int64_t key) const
    {
        const FileRow *r = row(key);
        return r && r->fields[0] && lower(*r->fields[0]).find(lower(searchText)) != std::string::npos;
    }

    void search(const std::string &text, bool first)
    {
        searchText = text;
        if (first) {
            if (text.empty())
                return say(w.mustEnter);
            findNextEnabled = true;
        } else if (!findNextEnabled) {
            return; // the button does not answer
        }
        if (first || !noMatch) {
            if (!leave())
                return;
            int start = 0;
            if (!first)
                start = bof ? 0 : eof ? int(keys.size()) : onDeleted ? pos : pos + 1;
            noMatch = true;
            for (int i = start; i < int(keys.size()); ++i)
                if (matches(keys[size_t(i)])) {
                    landOn(i);
                    noMatch = false;
                    break;
                }
            show();
        }
        if (noMatch) {
            findNextEnabled = false;
            say(first ? w.noMatch : w.noMore);
        }
    }

    void close()
    {
        // Closing saves as leaving does; a save that can still succeed later
        // keeps the window open.
        if (typed()) {
            const bool noRow = !adding && absolutePosition() < 0;
            std::vector<std::string> told;
            messages.swap(told);
            const bool ok = leave();
            if (!ok) {
                const std::string why = messages.empty() ? std::string() : messages.front();
                messages = told;
                say("Data error event hit err:" + why);
                if (!noRow && why == w.notWholeNumber)
                    return;
            }
        }
        noMatch = false;
        open();
    }

    void record(Change c)
    {
        done.push_back(std::move(c));
        undone.clear(); // a new change ends what Redo could bring again
    }

    void undoRedo(bool back)
    {
        if (typed()) {
            if (!back)
                return;
            // Typing on screen is saved first, then taken back.
            const bool wasAdding = adding;
            if (!leave())
                return;
            if (wasAdding)
                show();
        }
        std::vector<Change> &from = back ? done : undone;
        if (from.empty())
            return;
        Change c = from.back();
        std::int64_t shown = -1;
        const bool putBack = (c.kind == Change::Deleted) == back;
        if (c.kind == Change::Edited || !putBack) {
            auto it = std::find_if(file.begin(), file.end(), [&c](const FileRow &r) { return r.key == c.key; });
            if (it == file.end()) {
                // Its row went meanwhile: the step goes too, with a word.
                from.pop_back();
                return say(w.rowGone);
            }
            if (c.kind == Change::Edited) {
                it->fields = back ? c.before : c.after;
                shown = c.key;
            } else {
                c.after = it->fields;
                file.erase(it);
            }
        } else {
            const std::int64_t old = c.key;
            if (row(c.key))
                c.key = nextKey();
            // Rows stand in key order, so a row put back is at its place.
            FileRow r{c.key, c.after};
            file.insert(std::lower_bound(file.begin(), file.end(), r,
                                         [](const FileRow &a, const FileRow &b) { return a.key < b.key; }),
                        r);
            for (std::vector<Change> *list : {&done, &undone})
                for (Change &o : *list)
                    if (o.key == old)
                        o.key = c.key;
            shown = c.key;
        }
        from.pop_back();
        (back ? undone : done).push_back(c);
        // The window reads its rows anew and shows the row brought back, else
        // the one it showed, else the one at its place.
        const int at = absolutePosition();
        const std::int64_t here = at >= 0 ? keys[size_t(at)] : -1;
        open();
        noMatch = false;
        for (std::int64_t target : {shown, here}) {
            const auto k = std::find(keys.begin(), keys.end(), target);
            if (target >= 0 && k != keys.end()) {
                landOn(int(k - keys.begin()));
                return show();
            }
        }
        if (at > 0 && !keys.empty()) {
            landOn(std::min(at, int(keys.size()) - 1));
            show();
        }
    }

    void foreign(int what, const std::string &arg)
    {
        if (what == 0) {
            FileRow r{nextKey(), Row(size_t(nFields))};
            for (int f = 0; f < nFields; ++f)
                r.fields[size_t(f)] = f == idField ? std::to_string(900 + r.key) : "other " + std::to_string(r.key);
            file.push_back(r);
        } else if (!file.empty()) {
            file.erase(file.begin() + long(std::stoul(arg) % file.size()));
        }
    }
};

} // namespace model
