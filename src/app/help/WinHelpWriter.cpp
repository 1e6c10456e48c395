#include "WinHelpWriter.h"
#include "WinHelpCodec.h"
#include "WinHelpPicture.h"

#include <QHash>
#include <QMap>
#include <algorithm>

namespace help {
namespace {

using namespace help::winhelp;

void put16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void put32(QByteArray &b, qint64 v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int((v >> 16) & 0xFFFF));
}
void set32(QByteArray &b, qsizetype at, qint64 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}
void putCUShort(QByteArray &b, quint32 v)
{
    if (v < 0x80) {
        b.append(char(v << 1));
    } else {
        b.append(char(((v & 0x7F) << 1) | 1));
        b.append(char(v >> 7));
    }
}
void putCULong(QByteArray &b, quint32 v)
{
    if (v < 0x8000)
        put16(b, int(v << 1));
    else
        put32(b, qint64((v << 1) | 1));
}

// The signed forms of topic records: the value plus half the unsigned range.
void putCShort(QByteArray &b, int v)
{
    if (v >= -0x40 && v < 0x40) {
        b.append(char((v + 0x40) << 1));
    } else {
        const int w = qBound(0, v + 0x4000, 0x7FFF);
        b.append(char(((w & 0x7F) << 1) | 1));
        b.append(char(w >> 7));
    }
}
void putCLong(QByteArray &b, qint32 v)
{
    if (v >= -0x4000 && v < 0x4000)
        put16(b, (v + 0x4000) << 1);
    else
        put32(b, qint64((quint32(v + 0x40000000) << 1) | 1));
}

// One B+ tree leaf entry: the key bytes as an index page repeats them, and the rest.
struct TreeEntry {
    QByteArray key;
    QByteArray value;
};

QByteArray buildBtree(const QList<TreeEntry> &entries, int pageSize, const char *structure, int flags,
                      QList<std::pair<qint32, int>> *leafStarts = nullptr)
{
    struct Page {
        QByteArray body;
        int entries = 0;
        QByteArray firstKey;
        int previous = -1; // index pages: the child before the first key
    };
    QList<Page> pages;
    QList<int> level; // page numbers of the level being built

    // Leaves, chained both ways.
    {
        Page page;
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QByteArray item = entries[i].key + entries[i].value;
            if (page.entries > 0 && 8 + page.body.size() + item.size() > pageSize) {
                level.append(int(pages.size()));
                pages.append(page);
                page = Page();
            }
            if (page.entries == 0) {
                page.firstKey = entries[i].key;
                if (leafStarts)
                    leafStarts->append({qint32(i), int(pages.size())});
            }
            page.body += item;
            ++page.entries;
        }
        level.append(int(pages.size()));
        pages.append(page);
    }
    const int leaves = int(pages.size());
    int levels = 1;
    while (level.size() > 1) {
        QList<int> upper;
        Page page;
        for (int child : level) {
            const QByteArray item = pages[child].firstKey + [&] { QByteArray b; put16(b, child); return b; }();
            if (page.previous < 0) {
                page.previous = child;
                page.firstKey = pages[child].firstKey;
                continue;
            }
            if (6 + page.body.size() + item.size() > pageSize) {
                upper.append(int(pages.size()));
                pages.append(page);
                page = Page();
                page.previous = child;
                page.firstKey = pages[child].firstKey;
                continue;
            }
            page.body += item;
            ++page.entries;
        }
        upper.append(int(pages.size()));
        pages.append(page);
        level = upper;
        ++levels;
    }

    QByteArray out;
    put16(out, 0x293B);
    put16(out, flags);
    put16(out, pageSize);
    QByteArray s(structure);
    s.resize(16, '\0');
    out += s;
    put16(out, 0);
    put16(out, 0);
    put16(out, level.first());
    put16(out, -1);
    put16(out, int(pages.size()));
    put16(out, levels);
    put32(out, entries.size());
    for (int i = 0; i < pages.size(); ++i) {
        const Page &p = pages[i];
        QByteArray page;
        const bool leaf = i < leaves;
        const int header = leaf ? 8 : 6;
        put16(page, pageSize - header - int(p.body.size()));
        put16(page, p.entries);
        if (leaf) {
            put16(page, i > 0 ? i - 1 : -1);
            put16(page, i + 1 < leaves ? i + 1 : -1);
        } else {
            put16(page, p.previous);
        }
        page += p.body;
        page.resize(pageSize, '\0');
        out += page;
    }
    return out;
}

// Phrase tables: whole words that repeat, found in the texts they will shorten.
class PhraseCoder {
public:
    PhraseCoder(WinHelpWriteOptions::Phrases kind, const QList<QByteArray> &texts) : kind_(kind)
    {
        if (kind == WinHelpWriteOptions::Phrases::None)
            return;
        QHash<QByteArray, int> counts;
        for (const QByteArray &text : texts)
            for (const QByteArray &word : words(text))
                if (word.size() >= 3)
                    ++counts[word];
        QList<std::pair<int, QByteArray>> ranked;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() >= 2)
                ranked.append({it.value() * int(it.key().size()), it.key()});
        std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
            return a.first != b.first ? a.first > b.first : a.second < b.second;
        });
        const int limit = kind == WinHelpWriteOptions::Phrases::Old ? 1900 : 128 + 64 * 256;
        for (const auto &r : ranked) {
            if (phrases_.size() >= limit)
                break;
            index_.insert(r.second, int(phrases_.size()));
            phrases_.append(r.second);
        }
    }

    const QList<QByteArray> &phrases() const { return phrases_; }

    // Returns the compressed form, or the text itself when coding does not pay.
    QByteArray code(const QByteArray &text) const
    {
        if (phrases_.isEmpty())
            return text;
        QByteArray out, literal;
        bool ok = true;
        auto flushLiteral = [&]() {
            for (qsizetype i = 0; i < literal.size(); i += 32) {
                const QByteArray part = literal.mid(i, 32);
                out.append(char(((part.size() - 1) << 3) | 3));
                out += part;
            }
            literal.clear();
        };
        const bool old = kind_ == WinHelpWriteOptions::Phrases::Old;
        for (qsizetype i = 0; i < text.size();) {
            const bool wordStart = (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\0') && text[i] != ' '
                                   && text[i] != '\0';
            qsizetype end = i;
            while (end < text.size() && text[end] != ' ' && text[end] != '\0')
                ++end;
            const int phrase = wordStart ? index_.value(text.mid(i, end - i), -1) : -1;
            if (phrase >= 0) {
                if (old) {
                    const bool space = end < text.size() && text[end] == ' ';
                    const int n = phrase * 2 + (space ? 1 : 0);
                    out.append(char((n >> 8) + 1));
                    out.append(char(n & 0xFF));
                    i = end + (space ? 1 : 0);
                } else {
                    flushLiteral();
                    if (phrase < 128) {
                        out.append(char(phrase << 1));
                    } else {
                        const int n = phrase - 128;
                        out.append(char(((n >> 8) << 2) | 1));
                        out.append(char(n & 0xFF));
                    }
                    i = end;
                }
                continue;
            }
            const char c = text[i];
            if (old) {
                if (c > 0 && c <= 15)
                    ok = false; // such bytes would read as phrase numbers
                out.append(c);
                ++i;
            } else if (c == ' ' || c == '\0') {
                flushLiteral();
                qsizetype run = 1;
                while (run < 16 && i + run < text.size() && text[i + run] == c)
                    ++run;
                out.append(char(((run - 1) << 4) | (c == ' ' ? 0x07 : 0x0F)));
                i += run;
            } else {
                literal.append(c);
                ++i;
            }
        }
        flushLiteral();
        return ok && out.size() < text.size() ? out : text;
    }

    QMap<QByteArray, QByteArray> files(bool lz77Phrases) const
    {
        QMap<QByteArray, QByteArray> out;
        if (phrases_.isEmpty())
            return out;
        QByteArray text;
        for (const QByteArray &p : phrases_)
            text += p;
        if (kind_ == WinHelpWriteOptions::Phrases::Old) {
            QByteArray f;
            put16(f, int(phrases_.size()));
            put16(f, 0x0100);
            put32(f, text.size());
            int at = 2 * int(phrases_.size() + 1);
            put16(f, at);
            for (const QByteArray &p : phrases_)
                put16(f, at += int(p.size()));
            f += lz77Phrases ? lz77Compress(text) : text;
            out.insert("|Phrases", f);
            return out;
        }
        const QByteArray image = lz77Compress(text);
        const bool pack = image.size() < text.size();
        QByteArray bits;
        quint32 word = 0;
        int used = 0;
        auto bit = [&](bool b) {
            if (b)
                word |= 1u << used;
            if (++used == 32) {
                put32(bits, word);
                word = 0;
                used = 0;
            }
        };
        constexpr int kBitCount = 4;
        for (const QByteArray &p : phrases_) {
            const int n = int(p.size()) - 1; // lengths are stored less one
            for (int q = n >> kBitCount; q > 0; --q)
                bit(true);
            bit(false);
            for (int k = 0; k < kBitCount; ++k)
                bit((n >> k) & 1);
        }
        if (used > 0)
            put32(bits, word);
        QByteArray index;
        put32(index, 1);
        put32(index, phrases_.size());
        put32(index, bits.size());
        put32(index, text.size());
        put32(index, pack ? image.size() : text.size());
        put32(index, 0);
        put16(index, kBitCount);
        put16(index, 0x4A00);
        index += bits;
        index += QByteArray((phrases_.size() + 7) / 8, '\0');
        out.insert("|PhrIndex", index);
        out.insert("|PhrImage", pack ? image : text);
        return out;
    }

private:
    static QList<QByteArray> words(const QByteArray &text)
    {
        QList<QByteArray> out;
        for (const QByteArray &part : text.split('\0'))
            for (const QByteArray &w : part.split(' '))
                if (!w.isEmpty())
                    out.append(w);
        return out;
    }

    WinHelpWriteOptions::Phrases kind_;
    QList<QByteArray> phrases_;
    QHash<QByteArray, int> index_;
};

struct Link {
    int type = 0;
    QByteArray data1;
    QByteArray text;   // LinkData2 before phrase coding
    QByteArray stored; // LinkData2 as written
    int topic = 0;
    int characters = 0;
    qsizetype at = 0; // where the link starts in the topic stream
    qsizetype size() const { return 21 + data1.size() + stored.size(); }
};

// Fonts the runs need, font 0 being the plain body text.
class FontTable {
public:
    static constexpr int kBodyHalfPoints = 20;
    FontTable() { number(HelpRun()); }
    int number(const HelpRun &run)
    {
        const Key key{run.bold, run.italic, run.underline, run.halfPoints > 0 ? run.halfPoints : kBodyHalfPoints};
        const qsizetype at = keys_.indexOf(key);
        if (at >= 0)
            return int(at);
        keys_.append(key);
        return int(keys_.size() - 1);
    }
    // |FONT with one face and the old 11-byte descriptors.
    QByteArray file() const
    {
        QByteArray font;
        put16(font, 1);
        put16(font, int(keys_.size()));
        put16(font, 8);
        put16(font, 8 + 32);
        QByteArray face("Arial");
        face.resize(32, '\0');
        font += face;
        for (const Key &k : keys_) {
            font.append(char((k.bold ? 0x01 : 0) | (k.italic ? 0x02 : 0) | (k.underline ? 0x04 : 0)));
            font.append(char(k.halfPoints));
            font.append(char(0x03)); // swiss
            put16(font, 0);
            font += QByteArray(3, '\0');
            font += QByteArray(3, char(0xFF));
        }
        return font;
    }
private:
    struct Key {
        bool bold, italic, underline;
        int halfPoints;
        bool operator==(const Key &) const = default;
    };
    QList<Key> keys_;
};

// Context hashes the writer gives topics; jumps and |CONTEXT agree on them.
quint32 topicHash(int topic) { return 0x6A09E667u ^ (quint32(topic + 1) * 0x9E3779B1u); }

struct DisplayContext {
    FontTable &fonts;
    int codePage;
    const HelpDocument &doc;
};

// Paragraph settings in the compilers' bit layout.
QByteArray paragraphInfo(const HelpParagraph &p)
{
    int bits = 0;
    const int fields[] = {p.spaceAbove, p.spaceBelow, p.lineSpacing, p.leftIndent, p.rightIndent, p.firstIndent};
    for (int i = 0; i < 6; ++i)
        if (fields[i] != 0)
            bits |= 0x0002 << i;
    if (p.border)
        bits |= 0x0100;
    if (!p.tabs.isEmpty())
        bits |= 0x0200;
    if (p.align == HelpParagraph::Right)
        bits |= 0x0400;
    else if (p.align == HelpParagraph::Center)
        bits |= 0x0800;
    QByteArray out;
    out.append('\0');
    out.append(char(0x80));
    put16(out, 0); // id
    put16(out, bits);
    for (int i = 0; i < 6; ++i)
        if (fields[i] != 0)
            putCShort(out, fields[i]);
    if (p.border) {
        out.append(char(p.border));
        put16(out, 1);
    }
    if (!p.tabs.isEmpty()) {
        putCShort(out, int(p.tabs.size()));
        for (int t : p.tabs)
            putCUShort(out, quint32(t & 0x3FFF));
    }
    return out;
}

// Text and commands of paragraphs that share one paragraph setting (a whole text
// record, or one table cell); each paragraph ends with 0x82.
void writeParagraphs(const QList<HelpParagraph> &paragraphs, DisplayContext &cx, QByteArray &commands, QByteArray &text)
{
    QByteArray pending;
    auto flush = [&](int command) {
        text += pending;
        text.append('\0');
        pending.clear();
        commands.append(char(command));
    };
    int font = 0;
    HelpLink link;
    auto endLink = [&]() {
        if (link.kind != HelpLink::None)
            flush(0x89);
        link = HelpLink();
    };
    for (const HelpParagraph &paragraph : paragraphs) {
        for (const HelpRun &run : paragraph.runs) {
            if (run.link != link) {
                endLink();
                if (run.link.kind == HelpLink::Macro) {
                    flush(0xC8);
                    const QByteArray macro = encode(run.link.macro, cx.codePage) + QByteArray(1, '\0');
                    put16(commands, int(macro.size()));
                    commands += macro;
                } else if (run.link.kind != HelpLink::None && run.link.file.isEmpty()) {
                    flush(run.link.kind == HelpLink::Jump ? 0xE3 : 0xE2);
                    put32(commands, run.link.topic >= 0 ? topicHash(run.link.topic) : run.link.hash);
                } else if (run.link.kind != HelpLink::None) {
                    flush(run.link.kind == HelpLink::Jump ? 0xEB : 0xEA);
                    QByteArray x;
                    x.append(char(run.link.window.isEmpty() ? 4 : 6));
                    put32(x, run.link.hash);
                    x += encode(run.link.file, cx.codePage) + QByteArray(1, '\0');
                    if (!run.link.window.isEmpty())
                        x += encode(run.link.window, cx.codePage) + QByteArray(1, '\0');
                    put16(commands, int(x.size()));
                    commands += x;
                }
                link = run.link;
            }
            const int wanted = cx.fonts.number(run);
            if (wanted != font) {
                flush(0x80);
                font = wanted;
                put16(commands, font);
            }
            if (run.picture >= 0 && run.picture < cx.doc.pictures.size()) {
                flush(0x86); // as a character of the line
                commands.append(char(0x03));
                putCLong(commands, 4);
                put16(commands, 0);
                put16(commands, cx.doc.pictures[run.picture].number);
            }
            for (QChar c : run.text) {
                if (c == u'\n')
                    flush(0x81);
                else if (c == u'\t')
                    flush(0x83);
                else if (c == QChar(0x00A0))
                    flush(0x8B);
                else if (c == QChar(0x2011))
                    flush(0x8C);
                else
                    pending += encode(QString(c), cx.codePage);
            }
        }
        endLink();
        flush(0x82);
    }
    if (font != 0) {
        flush(0x80);
        put16(commands, 0);
    }
}

Link displayLink(const QList<HelpParagraph> &paragraphs, DisplayContext &cx)
{
    QByteArray commands, text;
    Link link;
    const bool table = paragraphs.first().row >= 0;
    if (!table) {
        commands += paragraphInfo(paragraphs.first());
        writeParagraphs(paragraphs, cx, commands, text);
        text.append('\0');
        commands.append(char(0xFF));
        link.type = 0x20;
    } else {
        int columns = 0;
        for (const HelpParagraph &p : paragraphs)
            columns = qMax(columns, p.column + 1);
        columns = qBound(1, columns, 32);
        QByteArray head;
        head.append(char(columns));
        head.append('\0'); // table type 0: a minimum width follows
        put16(head, 0);
        for (int c = 0; c < columns; ++c) {
            put16(head, 0);    // gap
            put16(head, 1000); // width
        }
        commands += head;
        for (qsizetype i = 0; i < paragraphs.size();) {
            qsizetype end = i + 1;
            while (end < paragraphs.size() && paragraphs[end].column == paragraphs[i].column)
                ++end;
            put16(commands, qBound(0, paragraphs[i].column, columns - 1));
            put16(commands, 0);
            commands.append('\0');
            commands += paragraphInfo(paragraphs[i]);
            writeParagraphs(paragraphs.mid(i, end - i), cx, commands, text);
            text.append('\0');
            commands.append(char(0xFF));
            i = end;
        }
        put16(commands, -1);
        link.type = 0x23;
    }
    putCLong(link.data1, qint32(qMin<qsizetype>(text.size(), 0x3FFFFFFF)));
    putCUShort(link.data1, quint32(qMin<qsizetype>(text.size(), 0x7FFF)));
    link.data1 += commands;
    link.text = text;
    link.characters = int(text.size());
    return link;
}

// A |bmN container holding one picture, packed as the compilers pack it.
QByteArray pictureFile(const HelpPicture &picture, int packing)
{
    QByteArray body;
    body.append(char(picture.metafile ? 8 : 6));
    body.append(char(packing));
    QByteArray data;
    if (picture.metafile) {
        putCUShort(body, 8); // anisotropic
        put16(body, picture.width);
        put16(body, picture.height);
        data = QByteArray(16, '\0'); // no drawing records: the viewer shows only a frame
        putCULong(body, quint32(data.size()));
    } else {
        // Our own .bmp layout: 14 + 40 bytes of headers, then the palette and the rows.
        const QByteArray &bmp = picture.bmp;
        auto le = [&](qsizetype at, int n) {
            quint32 v = 0;
            for (int i = n - 1; i >= 0; --i)
                v = (v << 8) | (at + i < bmp.size() ? static_cast<unsigned char>(bmp[at + i]) : 0u);
            return v;
        };
        const quint32 bitsAt = le(10, 4);
        const int bitCount = int(le(28, 2));
        const quint32 colors = le(46, 4);
        putCULong(body, 96);
        putCULong(body, 96);
        putCUShort(body, 1);
        putCUShort(body, quint32(bitCount));
        putCULong(body, quint32(picture.width));
        putCULong(body, quint32(picture.height));
        putCULong(body, colors);
        putCULong(body, 0);
        data = bmp.mid(bitsAt);
        QByteArray palette = bmp.mid(54, qsizetype(colors) * 4);
        // The sizes and offsets follow, then the palette, then the packed rows.
        QByteArray packed = data;
        if (packing == 1 || packing == 3) {
            QByteArray runs;
            for (qsizetype i = 0; i < packed.size();) {
                qsizetype same = 1;
                while (i + same < packed.size() && same < 0x7F && packed[i + same] == packed[i])
                    ++same;
                if (same >= 3) {
                    runs.append(char(same));
                    runs.append(packed[i]);
                    i += same;
                } else {
                    const qsizetype n = qMin<qsizetype>(0x7F, packed.size() - i);
                    qsizetype take = 0;
                    while (take < n && !(i + take + 2 < packed.size() && packed[i + take] == packed[i + take + 1]
                                         && packed[i + take] == packed[i + take + 2]))
                        ++take;
                    take = qMax<qsizetype>(take, 1);
                    runs.append(char(0x80 | take));
                    runs.append(packed.constData() + i, take);
                    i += take;
                }
            }
            packed = runs;
        }
        if (packing == 2 || packing == 3)
            packed = lz77Compress(packed);
        QByteArray tail;
        putCULong(tail, quint32(packed.size()));
        putCULong(tail, 0);
        const qsizetype dataAt = body.size() + tail.size() + 8 + palette.size();
        put32(tail, dataAt);
        put32(tail, 0);
        body += tail;
        body += palette;
        body += packed;
        QByteArray out;
        put16(out, 0x506C);
        put16(out, 1);
        put32(out, 8);
        return out + body;
    }
    putCULong(body, quint32(data.size()));
    putCULong(body, 0);
    put32(body, body.size() + 8);
    put32(body, 0);
    body += data;
    QByteArray out;
    put16(out, 0x506C);
    put16(out, 1);
    put32(out, 8);
    return out + body;
}

class TopicWriter {
public:
    TopicWriter(QList<Link> links, bool lz77) : links_(std::move(links)), lz77_(lz77)
    {
        qsizetype at = 0;
        for (Link &l : links_) {
            l.at = at;
            at += l.size();
        }
        total_ = at;
    }

    QByteArray build()
    {
        const qsizetype ds = decompressSize();
        if (!lz77_) {
            layout_.clear();
            for (qsizetype at = 0; at < total_; at += ds)
                layout_.append(qMin(ds, total_ - at));
            return blocks(serialize());
        }
        // Block boundaries depend on how well each block compresses, which in turn
        // depends on the positions written into it; a few rounds settle it.
        layout_.clear();
        for (int round = 0; round < 8; ++round) {
            const QByteArray stream = serialize();
            QList<qsizetype> chunks;
            QList<QByteArray> packed;
            for (qsizetype at = 0; at < stream.size();) {
                qsizetype used = 0;
                packed.append(lz77Compress(stream, at, ds, 4096 - 12, &used));
                chunks.append(used);
                at += used;
            }
            if (chunks == layout_)
                return assemble(packed);
            layout_ = chunks;
        }
        // 3630 bytes fit a block even stored as literals (one flag byte per eight).
        layout_.clear();
        for (qsizetype at = 0; at < total_; at += 3630)
            layout_.append(qMin<qsizetype>(3630, total_ - at));
        const QByteArray stream = serialize();
        QList<QByteArray> packed;
        for (qsizetype at = 0; at < stream.size(); at += 3630) {
            qsizetype used = 0;
            packed.append(lz77Compress(stream, at, 3630, 4096 - 12, &used));
        }
        return assemble(packed);
    }

    // TOPICOFFSET of each link, valid after build().
    qint32 offsetOf(int link) const { return offsets_.value(link); }
    qint32 posOf(qsizetype streamAt) const
    {
        qsizetype base = 0;
        for (qsizetype b = 0; b < layout_.size(); ++b) {
            if (streamAt < base + layout_[b])
                return qint32(b * decompressSize() + 12 + (streamAt - base));
            base += layout_[b];
        }
        const qsizetype ds = decompressSize();
        const qsizetype extra = streamAt - base;
        return qint32((layout_.size() + extra / ds) * ds + 12 + extra % ds);
    }
    const QList<Link> &links() const { return links_; }

private:
    qsizetype decompressSize() const { return lz77_ ? 16384 : 4096 - 12; }

    QByteArray serialize()
    {
        offsets_.clear();
        qsizetype currentBlock = -1;
        qint32 characters = 0;
        for (const Link &l : links_) {
            const qsizetype block = (posOf(l.at) - 12) / decompressSize();
            if (block != currentBlock) {
                currentBlock = block;
                characters = 0;
            }
            offsets_.append(qint32(block * 0x8000 + characters));
            characters += l.characters;
        }
        QByteArray stream;
        for (qsizetype i = 0; i < links_.size(); ++i) {
            const Link &l = links_[i];
            QByteArray data1 = l.data1;
            if (l.type == 0x02) {
                // Topic size, browse links, number, regions and the next topic.
                qsizetype next = i + 1, size = l.size();
                while (next < links_.size() && links_[next].type != 0x02)
                    size += links_[next++].size();
                set32(data1, 0, size);
                set32(data1, 4, -1);
                set32(data1, 8, -1);
                set32(data1, 12, l.topic);
                set32(data1, 16, -1);
                set32(data1, 20, posOf(l.at));
                set32(data1, 24, next < links_.size() ? posOf(links_[next].at) : -1);
            }
            put32(stream, l.size());
            put32(stream, l.text.size());
            put32(stream, i > 0 ? posOf(links_[i - 1].at) : -1);
            put32(stream, i + 1 < links_.size() ? posOf(links_[i + 1].at) : -1);
            put32(stream, 21 + data1.size());
            stream.append(char(l.type));
            stream += data1;
            stream += l.stored;
        }
        return stream;
    }

    // Block header: last link before the block, first link in it, last topic
    // header before it.
    QByteArray header(qsizetype blockStart, qsizetype blockEnd) const
    {
        qint32 lastLink = -1, firstLink = -1, lastTopic = -1;
        for (const Link &l : links_) {
            if (l.at < blockStart) {
                lastLink = posOf(l.at);
                if (l.type == 0x02)
                    lastTopic = posOf(l.at);
            } else if (l.at < blockEnd && firstLink < 0) {
                firstLink = posOf(l.at);
            }
        }
        QByteArray h;
        put32(h, lastLink);
        put32(h, firstLink);
        put32(h, lastTopic);
        return h;
    }

    QByteArray blocks(const QByteArray &stream) const
    {
        QByteArray out;
        qsizetype at = 0;
        for (qsizetype b = 0; b < layout_.size(); ++b) {
            out += header(at, at + layout_[b]);
            out += stream.mid(at, layout_[b]);
            at += layout_[b];
        }
        return out;
    }

    QByteArray assemble(const QList<QByteArray> &packed) const
    {
        QByteArray out;
        qsizetype at = 0;
        for (qsizetype b = 0; b < packed.size(); ++b) {
            out += header(at, at + layout_[b]);
            out += packed[b];
            if (b + 1 < packed.size())
                out += QByteArray(4096 - 12 - packed[b].size(), '\0');
            at += layout_[b];
        }
        return out;
    }

    QList<Link> links_;
    bool lz77_;
    qsizetype total_ = 0;
    QList<qsizetype> layout_;
    QList<qint32> offsets_;
};

} // namespace

QByteArray writeWinHelp(const HelpDocument &doc, const WinHelpWriteOptions &options)
{
    const int cp = doc.codePage == 1251 ? 1251 : 1252;

    // Topic records, with a closing empty header the way help compilers end |TOPIC.
    QList<Link> links;
    FontTable fonts;
    DisplayContext cx{fonts, cp, doc};
    for (int t = 0; t <= doc.topics.size(); ++t) {
        Link header;
        header.type = 0x02;
        header.data1 = QByteArray(28, '\0');
        header.topic = t;
        if (t < doc.topics.size())
            header.text = encode(doc.topics[t].title, cp);
        links.append(header);
        if (t >= doc.topics.size())
            continue;
        // One text record per paragraph, one table record per row.
        const QList<HelpParagraph> &paragraphs = doc.topics[t].paragraphs;
        for (qsizetype i = 0; i < paragraphs.size();) {
            qsizetype end = i + 1;
            if (paragraphs[i].row >= 0)
                while (end < paragraphs.size() && paragraphs[end].row == paragraphs[i].row)
                    ++end;
            Link l = displayLink(paragraphs.mid(i, end - i), cx);
            l.topic = t;
            links.append(l);
            i = end;
        }
    }
    QList<QByteArray> texts;
    for (const Link &l : links)
        texts.append(l.text);
    const PhraseCoder phrases(options.phrases, texts);
    for (Link &l : links)
        l.stored = phrases.code(l.text);

    TopicWriter topic(links, options.lz77);
    QMap<QByteArray, QByteArray> files;
    files.insert("|TOPIC", topic.build());
    QList<qint32> topicOffsets;
    for (int i = 0; i < topic.links().size(); ++i)
        if (topic.links()[i].type == 0x02)
            topicOffsets.append(topic.offsetOf(i));

    QByteArray system;
    put16(system, 0x036C);
    put16(system, options.minor);
    put16(system, 1);
    put32(system, 0);
    put16(system, options.lz77 ? 4 : 0);
    auto record = [&](int type, const QByteArray &data) {
        put16(system, type);
        put16(system, int(data.size()));
        system += data;
    };
    record(1, encode(doc.title, cp) + QByteArray(1, '\0'));
    {
        QByteArray contents;
        put32(contents, topicOffsets.value(qMax(0, doc.contents)));
        record(3, contents);
    }
    if (options.minor > 21) {
        if (options.lcidRecord) {
            QByteArray lcid(8, '\0');
            put16(lcid, lcidForCodePage(cp));
            record(9, lcid);
        }
        if (options.charsetRecord) {
            QByteArray charset;
            put16(charset, charsetForCodePage(cp));
            record(11, charset);
        }
    }
    files.insert("|SYSTEM", system);

    files.insert("|FONT", fonts.file());

    QList<HelpKeyword> keywords = doc.keywords;
    std::stable_sort(keywords.begin(), keywords.end(), [](const HelpKeyword &a, const HelpKeyword &b) {
        return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
    });
    QList<TreeEntry> kwEntries;
    QByteArray kwData;
    for (const HelpKeyword &k : keywords) {
        TreeEntry e{encode(k.text, cp) + QByteArray(1, '\0'), {}};
        put16(e.value, int(k.topics.size()));
        put32(e.value, kwData.size());
        for (int t : k.topics)
            put32(kwData, topicOffsets.value(t));
        kwEntries.append(e);
    }
    if (!kwEntries.isEmpty()) {
        QList<std::pair<qint32, int>> leafStarts;
        files.insert("|KWBTREE", buildBtree(kwEntries, 2048, "F24", 0x0002, &leafStarts));
        files.insert("|KWDATA", kwData);
        QByteArray map;
        for (const auto &s : leafStarts) {
            put32(map, s.first);
            put16(map, s.second);
        }
        files.insert("|KWMAP", map);
    }

    QList<TreeEntry> titles;
    for (int t = 0; t < doc.topics.size(); ++t) {
        TreeEntry e;
        put32(e.key, topicOffsets[t]);
        e.value = encode(doc.topics[t].title, cp) + QByteArray(1, '\0');
        titles.append(e);
    }
    files.insert("|TTLBTREE", buildBtree(titles, 2048, "Lz", 0x0002));

    // Jumps name topics by hash; the compilers keep the hashes in signed order.
    QList<std::pair<qint32, qint32>> contexts;
    for (int t = 0; t < doc.topics.size(); ++t)
        contexts.append({qint32(topicHash(t)), topicOffsets[t]});
    std::sort(contexts.begin(), contexts.end());
    QList<TreeEntry> contextEntries;
    for (const auto &c : contexts) {
        TreeEntry e;
        put32(e.key, c.first);
        put32(e.value, c.second);
        contextEntries.append(e);
    }
    if (!contextEntries.isEmpty())
        files.insert("|CONTEXT", buildBtree(contextEntries, 2048, "L4", 0x0002));
    if (!doc.contextNumbers.isEmpty()) {
        QByteArray map;
        put16(map, int(doc.contextNumbers.size()));
        for (auto it = doc.contextNumbers.cbegin(); it != doc.contextNumbers.cend(); ++it) {
            put32(map, it.key());
            put32(map, topicOffsets.value(it.value()));
        }
        files.insert("|CTXOMAP", map);
    }
    for (const HelpPicture &picture : doc.pictures)
        files.insert("|bm" + QByteArray::number(picture.number), pictureFile(picture, options.picturePacking));
    const auto phraseFiles = phrases.files(options.minor > 16);
    for (auto it = phraseFiles.cbegin(); it != phraseFiles.cend(); ++it)
        files.insert(it.key(), it.value());

    // Internal files one after another, the directory last.
    QByteArray out(16, '\0');
    QList<TreeEntry> directory;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        TreeEntry e{it.key() + QByteArray(1, '\0'), {}};
        put32(e.value, out.size());
        directory.append(e);
        put32(out, 9 + it.value().size());
        put32(out, it.value().size());
        out.append(char(4));
        out += it.value();
    }
    const qsizetype dirAt = out.size();
    const QByteArray dir = buildBtree(directory, 1024, "z4", 0x0402);
    put32(out, 9 + dir.size());
    put32(out, dir.size());
    out.append(char(4));
    out += dir;
    set32(out, 0, 0x00035F3F);
    set32(out, 4, dirAt);
    set32(out, 8, -1);
    set32(out, 12, out.size());
    return out;
}

} // namespace help
