#include "WinHelpFile.h"
#include "WinHelpCodec.h"
#include "WinHelpPicture.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <utility>

namespace help {

QString HelpParagraph::plainText() const
{
    QString text;
    for (const HelpRun &run : runs)
        text += run.text;
    return text;
}

namespace {

using namespace help::winhelp;

[[noreturn]] void damaged(const QString &why) { throw WinHelpError(WinHelpError::Damaged, why); }

// Little-endian reads over one bounded span; running past its end means the
// structure being read is damaged, and what says which one.
class Reader {
public:
    Reader(const char *data, qsizetype size, QString what) : p_(data), n_(size), what_(std::move(what)) {}
    Reader(const QByteArray &bytes, QString what) : Reader(bytes.constData(), bytes.size(), std::move(what)) {}

    qsizetype pos() const { return pos_; }
    qsizetype left() const { return n_ - pos_; }
    bool atEnd() const { return pos_ >= n_; }
    bool has(qsizetype k) const { return k >= 0 && k <= n_ - pos_; }
    void need(qsizetype k) const
    {
        if (!has(k))
            damaged(what_);
    }
    void skip(qsizetype k)
    {
        need(k);
        pos_ += k;
    }
    const char *here() const { return p_ + pos_; }

    quint8 u8()
    {
        need(1);
        return static_cast<quint8>(p_[pos_++]);
    }
    quint16 u16()
    {
        const quint16 lo = u8();
        return quint16(lo | (u8() << 8));
    }
    qint16 s16() { return static_cast<qint16>(u16()); }
    quint32 u32()
    {
        const quint32 lo = u16();
        return lo | (quint32(u16()) << 16);
    }
    qint32 s32() { return static_cast<qint32>(u32()); }

    // The compressed integers of topic records: the low bit says whether the
    // value takes one or two units.
    quint32 cushort()
    {
        const quint8 b = u8();
        return (b & 1) ? ((quint32(u8()) << 7) | (b >> 1)) : quint32(b >> 1);
    }
    quint32 culong()
    {
        const quint16 w = u16();
        return (w & 1) ? ((quint32(u16()) << 15) | (w >> 1)) : quint32(w >> 1);
    }
    // The signed form the compilers use for sizes in topic records: the unsigned
    // value less half its range (0x4000 in two bytes, 0x40000000 in four).
    qint32 clong()
    {
        const quint16 w = u16();
        if (w & 1)
            return qint32(((quint32(u16()) << 15) | (w >> 1)) - 0x40000000u);
        return qint32(w >> 1) - 0x4000;
    }

    QByteArray stringz()
    {
        const char *start = here();
        const qsizetype limit = left();
        qsizetype len = 0;
        while (len < limit && start[len] != '\0')
            ++len;
        if (len == limit)
            damaged(what_);
        pos_ += len + 1;
        return QByteArray(start, len);
    }
    // A string that may fill its field without a terminator.
    QByteArray fixedString(qsizetype width)
    {
        need(width);
        qsizetype len = 0;
        while (len < width && p_[pos_ + len] != '\0')
            ++len;
        QByteArray s(p_ + pos_, len);
        pos_ += width;
        return s;
    }

private:
    const char *p_;
    qsizetype n_;
    qsizetype pos_ = 0;
    QString what_;
};

// Signed compressed short, kept outside the reader for clarity of the bias rule.
qint32 readCShort(Reader &r)
{
    const quint8 b = r.u8();
    if (b & 1)
        return qint32((quint32(r.u8()) << 7) | (b >> 1)) - 0x4000;
    return qint32(b >> 1) - 0x40;
}

QByteArray cutAtNul(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

// Visits every leaf entry of a B+ tree in order. The entry reader must consume at
// least one byte, which with the visited-page set bounds the walk.
template <class Entry>
void walkBtree(const QByteArray &tree, const QString &what, Entry &&entry)
{
    Reader h(tree, what);
    if (h.u16() != 0x293B)
        damaged(what);
    h.u16(); // flags
    const int pageSize = h.u16();
    h.skip(16); // structure description
    h.s16();
    h.s16(); // page splits
    const int root = h.s16();
    h.s16();
    const int totalPages = h.s16();
    const int levels = h.s16();
    const qint32 totalEntries = h.s32();
    constexpr qsizetype kHeader = 38;
    if (pageSize < 8 || totalPages < 0 || levels < 0 || levels > 32 || totalEntries < 0)
        damaged(what);
    if (totalEntries == 0 || totalPages == 0)
        return;
    if (kHeader + qsizetype(totalPages) * pageSize > tree.size())
        damaged(what);
    auto page = [&](int number) {
        if (number < 0 || number >= totalPages)
            damaged(what);
        return Reader(tree.constData() + kHeader + qsizetype(number) * pageSize, pageSize, what);
    };

    int current = root;
    for (int level = 1; level < levels; ++level) {
        Reader index = page(current);
        index.skip(4);
        current = index.s16();
    }
    QSet<int> seen;
    while (current != -1) {
        if (seen.contains(current))
            damaged(what);
        seen.insert(current);
        Reader leaf = page(current);
        leaf.u16();
        const int entries = leaf.s16();
        leaf.s16();
        const int next = leaf.s16();
        if (entries < 0)
            damaged(what);
        for (int i = 0; i < entries; ++i) {
            const qsizetype before = leaf.pos();
            entry(leaf);
            if (leaf.pos() <= before)
                damaged(what);
        }
        current = next;
    }
}

struct Font {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0;
};

// Topics in file order by their TOPICOFFSET, for keywords, contexts and titles
// that name a position inside a topic.
class TopicIndex {
public:
    explicit TopicIndex(const QList<qint32> &offsets)
    {
        for (int i = 0; i < offsets.size(); ++i)
            starts_.append({offsets[i], i});
        std::stable_sort(starts_.begin(), starts_.end(), [](auto a, auto b) { return a.first < b.first; });
    }
    // The topic that holds offset, -1 when it lies before every topic.
    int topicAt(qint32 offset) const
    {
        auto it = std::upper_bound(starts_.cbegin(), starts_.cend(), offset,
                                   [](qint32 v, const std::pair<qint32, int> &s) { return v < s.first; });
        if (offset < 0 || it == starts_.cbegin())
            return -1;
        return std::prev(it)->second;
    }
private:
    QList<std::pair<qint32, int>> starts_;
};

class Parser {
public:
    explicit Parser(const QByteArray &file) : file_(file) {}

    HelpDocument run()
    {
        readDirectory();
        readSystem();
        readPhrases();
        readFonts();
        readTopics();
        readTitles();
        const TopicIndex index(topicOffsets_);
        readContexts(index);
        doc_.contents = index.topicAt(contentsOffset_);
        if (doc_.contents < 0 && !doc_.topics.isEmpty())
            doc_.contents = 0;
        readKeywords(index);
        readPictures();
        return std::move(doc_);
    }

private:
    const QByteArray &file_;
    QMap<QByteArray, QByteArray> files_;
    HelpDocument doc_;
    int minor_ = 0;
    bool lz77_ = false;
    int blockSize_ = 4096;
    enum class Phrases { None, Old, Hall } phraseKind_ = Phrases::None;
    QList<QByteArray> phrases_;
    QList<Font> fonts_;
    QList<qint32> topicOffsets_; // TOPICOFFSET of each topic, in file order
    QSet<int> pictureNumbers_;   // |bmN the topics refer to
    int tableRows_ = 0;
    qint32 contentsOffset_ = -1;

    void readDirectory()
    {
        if (file_.size() < 16)
            throw WinHelpError(WinHelpError::NotWinHelp, QStringLiteral("файл слишком мал"));
        Reader h(file_, QStringLiteral("повреждён заголовок файла"));
        if (h.u32() != 0x00035F3F)
            throw WinHelpError(WinHelpError::NotWinHelp, QStringLiteral("нет признака файла WinHelp"));
        const qint32 dirStart = h.s32();
        h.s32(); // free list
        const qint32 entireSize = h.s32();
        if (entireSize > file_.size())
            damaged(QStringLiteral("файл обрезан: в нём %1 байт из %2").arg(file_.size()).arg(entireSize));
        const QByteArray dir = internalFile(dirStart, QStringLiteral("повреждён каталог внутренних файлов"));
        QMap<QByteArray, qint32> offsets;
        walkBtree(dir, QStringLiteral("повреждён каталог внутренних файлов"), [&](Reader &r) {
            const QByteArray name = r.stringz();
            offsets.insert(name, r.s32());
        });
        for (auto it = offsets.cbegin(); it != offsets.cend(); ++it)
            files_.insert(it.key(), internalFile(it.value(), QStringLiteral("повреждён внутренний файл %1")
                                                                 .arg(QString::fromLatin1(it.key()))));
    }

    QByteArray internalFile(qint32 offset, const QString &what) const
    {
        if (offset < 16 || qsizetype(offset) + 9 > file_.size())
            damaged(what);
        Reader h(file_.constData() + offset, file_.size() - offset, what);
        h.s32(); // reserved space
        const qint32 used = h.s32();
        h.u8();
        if (used < 0 || !h.has(used))
            damaged(what);
        return file_.mid(offset + 9, used);
    }

    QByteArray need(const char *name) const
    {
        const auto it = files_.constFind(QByteArray(name));
        if (it == files_.cend())
            damaged(QStringLiteral("нет внутреннего файла %1").arg(QLatin1String(name)));
        return *it;
    }

    void readSystem()
    {
        const QString what = QStringLiteral("повреждён внутренний файл |SYSTEM");
        const QByteArray sys = need("|SYSTEM");
        Reader r(sys, what);
        if (r.u16() != 0x036C)
            damaged(what);
        minor_ = r.u16();
        r.u16(); // major
        r.s32(); // generation date
        const int flags = r.u16();
        if (minor_ <= 16)
            throw WinHelpError(WinHelpError::Unsupported,
                               QStringLiteral("файлы справки Windows 3.0 не поддерживаются"));
        lz77_ = (flags & 0x0C) != 0;
        blockSize_ = (flags & 0x08) ? 2048 : 4096;

        QByteArray title;
        int charsetPage = 0, fontPage = 0, lcidPage = 0;
        while (r.has(4)) {
            const int type = r.u16();
            const int size = r.u16();
            r.need(size);
            Reader rec(r.here(), size, what);
            switch (type) {
            case 1:
                title = cutAtNul(QByteArray(rec.here(), size));
                break;
            case 3:
                if (size >= 4)
                    contentsOffset_ = rec.s32();
                break;
            case 9: {
                // The language id is the last word HCW writes; older notes show four words.
                const qsizetype at = size >= 10 ? 8 : (size >= 2 ? size - 2 : -1);
                if (at >= 0) {
                    rec.skip(at);
                    lcidPage = codePageForLcid(rec.u16());
                }
                break;
            }
            case 11:
                if (size >= 2) {
                    const int charset = rec.u16() & 0xFF;
                    if (charset != 0 && charset != 1)
                        charsetPage = codePageForCharset(charset);
                }
                break;
            case 12:
                if (size >= 2) {
                    rec.u8();
                    const int charset = rec.u8();
                    if (charset != 0 && charset != 1)
                        fontPage = codePageForCharset(charset);
                }
                break;
            default:
                break;
            }
            r.skip(size);
        }
        // ANSI (0) and DEFAULT (1) charsets name no page of their own, so they
        // yield to the language id.
        doc_.codePage = charsetPage ? charsetPage : fontPage ? fontPage : lcidPage ? lcidPage : 1252;
        doc_.title = decode(title, doc_.codePage);
    }

    void readPhrases()
    {
        if (files_.contains("|Phrases")) {
            phraseKind_ = Phrases::Old;
            readOldPhrases(files_.value("|Phrases"));
        } else if (files_.contains("|PhrIndex") && files_.contains("|PhrImage")) {
            phraseKind_ = Phrases::Hall;
            readHallPhrases(files_.value("|PhrIndex"), files_.value("|PhrImage"));
        }
    }

    void readOldPhrases(const QByteArray &table)
    {
        const QString what = QStringLiteral("повреждена таблица фраз |Phrases");
        Reader r(table, what);
        int count = r.u16();
        int hundred = r.u16();
        qint32 textSize = 0;
        if (count == 0x0800 && hundred != 0x0100) { // the media viewer layout
            count = hundred;
            hundred = r.u16();
            textSize = r.s32();
            r.skip(30);
        } else {
            textSize = r.s32();
        }
        if (hundred != 0x0100 || textSize < 0 || textSize > 16 * 1024 * 1024)
            damaged(what);
        QList<int> offsets;
        for (int i = 0; i <= count; ++i)
            offsets.append(r.u16());
        if (offsets.first() != 2 * (count + 1))
            damaged(what);
        QByteArray text;
        if (!lz77Decompress(r.here(), r.left(), textSize, text))
            damaged(what);
        for (int i = 0; i < count; ++i) {
            const int from = offsets[i] - offsets[0], to = offsets[i + 1] - offsets[0];
            if (to < from || to > text.size())
                damaged(what);
            phrases_.append(text.mid(from, to - from));
        }
    }

    void readHallPhrases(const QByteArray &index, const QByteArray &image)
    {
        const QString what = QStringLiteral("повреждена таблица фраз |PhrIndex");
        Reader r(index, what);
        r.s32(); // magic
        const qint32 count = r.s32();
        r.s32(); // compressed size
        const qint32 imageSize = r.s32();
        const qint32 imageStored = r.s32();
        r.s32();
        const int bitCount = r.u16() & 0x0F;
        r.u16();
        if (count < 0 || count > 0x10000 || imageSize < 0 || imageSize > 16 * 1024 * 1024 || bitCount > 15)
            damaged(what);

        quint32 word = 0;
        int bitsLeft = 0;
        auto bit = [&]() {
            if (bitsLeft == 0) {
                word = r.u32();
                bitsLeft = 32;
            }
            const bool b = word & 1;
            word >>= 1;
            --bitsLeft;
            return b;
        };
        QList<qint32> offsets{0};
        for (qint32 i = 0; i < count; ++i) {
            qint64 n = 1;
            while (bit()) {
                n += qint64(1) << bitCount;
                if (n > imageSize)
                    damaged(what);
            }
            // The low bits follow, the first one always, at most five in all.
            for (int k = 0; k < 5 && (k == 0 || k < bitCount); ++k)
                if (bit())
                    n += qint64(1) << k;
            const qint64 end = offsets.last() + n;
            if (end > imageSize)
                damaged(what);
            offsets.append(qint32(end));
        }

        QByteArray text;
        if (imageStored == imageSize) {
            if (image.size() < imageSize)
                damaged(QStringLiteral("повреждена таблица фраз |PhrImage"));
            text = image.left(imageSize);
        } else if (!lz77Decompress(image.constData(), image.size(), imageSize, text) || text.size() < offsets.last()) {
            damaged(QStringLiteral("повреждена таблица фраз |PhrImage"));
        }
        for (qint32 i = 0; i < count; ++i)
            phrases_.append(text.mid(offsets[i], offsets[i + 1] - offsets[i]));
    }

    void readFonts()
    {
        const auto it = files_.constFind("|FONT");
        if (it == files_.cend())
            return;
        const QString what = QStringLiteral("повреждён внутренний файл |FONT");
        Reader r(*it, what);
        r.u16(); // face names
        const int count = r.u16();
        const int facesAt = r.u16();
        const int descAt = r.u16();
        // Old descriptors carry attribute bits; media viewer ones a weight and flags.
        const int size = facesAt >= 12 ? 42 : 11;
        if (descAt + qsizetype(count) * size > it->size())
            damaged(what);
        for (int i = 0; i < count; ++i) {
            Reader d(it->constData() + descAt + qsizetype(i) * size, size, what);
            Font font;
            if (size == 11) {
                const int attributes = d.u8();
                font.bold = attributes & 0x01;
                font.italic = attributes & 0x02;
                font.underline = attributes & (0x04 | 0x10); // single or double
                font.halfPoints = d.u8();
            } else {
                const qsizetype weightAt = facesAt >= 16 ? 28 : 32;
                d.skip(weightAt);
                font.bold = d.s16() > 500;
                d.skip(2);
                font.italic = d.u8() != 0;
                font.underline = d.u8() != 0;
            }
            fonts_.append(font);
        }
    }

    QByteArray expandPhrases(const QByteArray &in, qint32 size) const
    {
        const QString what = QStringLiteral("повреждён текст раздела");
        QByteArray out;
        out.reserve(size);
        const auto *p = reinterpret_cast<const unsigned char *>(in.constData());
        const qsizetype n = in.size();
        auto phrase = [&](qsizetype number) {
            if (number < 0 || number >= phrases_.size())
                damaged(what);
            out.append(phrases_[number]);
        };
        for (qsizetype i = 0; i < n && out.size() < size;) {
            const unsigned c = p[i++];
            if (phraseKind_ == Phrases::Old) {
                if (c == 0 || c > 15) {
                    out.append(char(c));
                    continue;
                }
                if (i >= n)
                    damaged(what);
                const unsigned code = (c - 1) * 256 + p[i++];
                phrase(code / 2);
                if (code & 1)
                    out.append(' ');
            } else if (phraseKind_ == Phrases::Hall) {
                if ((c & 1) == 0) {
                    phrase(c / 2);
                } else if ((c & 3) == 1) {
                    if (i >= n)
                        damaged(what);
                    phrase(128 + (c >> 2) * 256 + p[i++]);
                } else if ((c & 7) == 3) {
                    const qsizetype count = (c >> 3) + 1;
                    if (count > n - i)
                        damaged(what);
                    out.append(in.constData() + i, count);
                    i += count;
                } else {
                    out.append(QByteArray((c >> 4) + 1, (c & 0x0F) == 7 ? ' ' : '\0'));
                }
            } else {
                damaged(what); // compressed text without a phrase table
            }
        }
        out.truncate(size);
        return out;
    }

    void readTopics()
    {
        const QString what = QStringLiteral("повреждены разделы справки (|TOPIC)");
        const QByteArray topic = need("|TOPIC");
        const qsizetype decompressSize = lz77_ ? 16384 : blockSize_ - 12;
        QByteArray stream;
        QList<qsizetype> base, length;
        for (qsizetype at = 0; at < topic.size(); at += blockSize_) {
            const qsizetype chunk = qMin<qsizetype>(blockSize_, topic.size() - at);
            if (chunk < 12)
                damaged(what);
            const char *data = topic.constData() + at + 12;
            QByteArray block;
            if (lz77_) {
                if (!lz77Decompress(data, chunk - 12, decompressSize, block))
                    damaged(what);
            } else {
                block = QByteArray(data, chunk - 12);
            }
            base.append(stream.size());
            length.append(block.size());
            stream.append(block);
        }

        auto locate = [&](qint32 pos, qsizetype *blockNumber) -> qsizetype {
            if (pos < 12)
                damaged(what);
            const qsizetype b = (pos - 12) / decompressSize, o = (pos - 12) % decompressSize;
            if (b >= base.size() || o >= length[b])
                damaged(what);
            *blockNumber = b;
            return base[b] + o;
        };

        qint32 pos = 12;
        qsizetype currentBlock = -1;
        qint32 characters = 0;
        const qsizetype maxLinks = stream.size() / 21 + 1;
        constexpr qsizetype kMaxText = 64 * 1024 * 1024;
        qsizetype expanded = 0;
        for (qsizetype links = 0; links < maxLinks; ++links) {
            qsizetype blockNumber = 0;
            const qsizetype at = locate(pos, &blockNumber);
            Reader link(stream.constData() + at, stream.size() - at, what);
            const qint32 blockSizeField = link.s32();
            const qint32 dataLen2 = link.s32();
            link.s32(); // previous link
            const qint32 next = link.s32();
            const qint32 dataLen1 = link.s32();
            const int type = link.u8();
            if (dataLen1 < 21 || blockSizeField < dataLen1 || !Reader(stream.constData() + at, stream.size() - at, what).has(blockSizeField)
                || dataLen2 < 0 || dataLen2 > 4 * 1024 * 1024)
                damaged(what);
            const QByteArray data1 = stream.mid(at + 21, dataLen1 - 21);
            const QByteArray stored2 = stream.mid(at + dataLen1, blockSizeField - dataLen1);
            const QByteArray data2 = dataLen2 > stored2.size() ? expandPhrases(stored2, dataLen2) : stored2.left(dataLen2);
            // Phrases multiply the text; a hostile file must not take all memory.
            expanded += data2.size();
            if (expanded > kMaxText)
                damaged(what);

            if (blockNumber != currentBlock) {
                currentBlock = blockNumber;
                characters = 0;
            }
            const qint32 offset = qint32(blockNumber * 0x8000 + characters);
            if (type == 0x02) {
                tableRows_ = 0;
                HelpTopic t;
                t.title = decode(cutAtNul(data2), doc_.codePage);
                doc_.topics.append(t);
                topicOffsets_.append(offset);
            } else if (type == 0x20 || type == 0x23) {
                if (doc_.topics.isEmpty()) {
                    doc_.topics.append(HelpTopic());
                    topicOffsets_.append(offset);
                }
                characters += readDisplay(type, data1, data2, doc_.topics.last().paragraphs);
            } else {
                ++doc_.skipped; // a record kind of other viewers
            }
            if (next <= 0)
                break;
            if (next <= pos)
                damaged(what);
            pos = next;
        }
        // The closing link carries no topic of its own.
        while (!doc_.topics.isEmpty() && doc_.topics.last().title.isEmpty() && doc_.topics.last().paragraphs.isEmpty()) {
            doc_.topics.removeLast();
            topicOffsets_.removeLast();
        }
    }

    // Appends the paragraphs of one text or table record; returns its character
    // count. A command this reader does not know ends the record early: its
    // length is unknown, so the text so far is kept and the rest stepped over.
    qint32 readDisplay(int type, const QByteArray &data1, const QByteArray &data2, QList<HelpParagraph> &out)
    {
        const QString what = QStringLiteral("повреждено оформление абзаца");
        Reader r(data1, what);
        r.clong(); // topic size
        const qint32 characters = qint32(r.cushort());
        if (type == 0x23) {
            const int columns = r.u8();
            const int tableType = r.u8();
            if (tableType == 0 || tableType == 2)
                r.s16(); // minimum table width
            r.skip(qsizetype(columns) * 4);
        }

        qsizetype textAt = 0;
        auto nextString = [&]() {
            if (textAt >= data2.size())
                return QByteArray();
            qsizetype end = data2.indexOf('\0', textAt);
            if (end < 0)
                end = data2.size();
            QByteArray s = data2.mid(textAt, end - textAt);
            textAt = end + 1;
            return s;
        };

        HelpParagraph format;
        HelpParagraph paragraph;
        Font font;
        HelpLink link;
        auto put = [&](const QString &text, int picture = -1) {
            if (text.isEmpty() && picture < 0)
                return;
            HelpRun run(text, font.bold, font.italic);
            run.underline = font.underline;
            run.halfPoints = font.halfPoints;
            run.link = link;
            run.picture = picture;
            if (picture < 0 && !paragraph.runs.isEmpty()) {
                HelpRun &last = paragraph.runs.last();
                if (last.picture < 0 && last.bold == run.bold && last.italic == run.italic
                    && last.underline == run.underline && last.halfPoints == run.halfPoints && last.link == run.link) {
                    last.text += text;
                    return;
                }
            }
            paragraph.runs.append(run);
        };
        auto endParagraph = [&]() {
            if (!paragraph.runs.isEmpty())
                out.append(paragraph);
            paragraph = format;
        };

        const int row = type == 0x23 ? tableRows_++ : -1;
        bool more = true;
        while (more && !r.atEnd()) {
            int column = -1;
            if (type == 0x23) {
                column = r.s16();
                if (column == -1)
                    break;
                r.skip(3);
            }
            format = readParagraphInfo(r);
            format.row = row;
            format.column = column;
            paragraph = format;
            bool cell = true;
            while (cell) {
                put(decode(nextString(), doc_.codePage));
                const int command = r.u8();
                switch (command) {
                case 0xFF:
                    cell = false;
                    more = type == 0x23;
                    break;
                case 0x20: r.skip(4); break; // field
                case 0x21: r.skip(2); break; // data type
                case 0x80: {
                    const int number = r.u16();
                    font = number < fonts_.size() ? fonts_[number] : Font();
                    if (!fonts_.isEmpty())
                        font.halfPoints = font.halfPoints == fonts_[0].halfPoints ? 0 : font.halfPoints;
                    break;
                }
                case 0x81: put(QStringLiteral("\n")); break;
                case 0x82: endParagraph(); break;
                case 0x83: put(QStringLiteral("\t")); break;
                case 0x86: case 0x87: case 0x88: {
                    const int pictureType = r.u8();
                    const qint32 size = r.clong();
                    if (pictureType == 0x22)
                        r.cushort(); // hotspots, described in the picture itself
                    if (size < 0)
                        damaged(what);
                    Reader picture(r.here(), qMin<qsizetype>(size, r.left()), what);
                    r.skip(size);
                    if ((pictureType == 0x03 || pictureType == 0x22) && picture.has(4)) {
                        picture.u16(); // 0: the picture is in |bmN, not embedded
                        const int number = picture.u16();
                        pictureNumbers_.insert(number);
                        put(QString(), number);
                    } else {
                        ++doc_.skipped; // an embedded window or a picture kept in the topic
                    }
                    break;
                }
                case 0x89: link = HelpLink(); break;
                case 0x8B: put(QString(QChar(0x00A0))); break;
                case 0x8C: put(QString(QChar(0x2011))); break;
                case 0xC8: case 0xCC: {
                    const int size = r.s16();
                    if (size < 0)
                        damaged(what);
                    Reader macro(r.here(), qMin<qsizetype>(size, r.left()), what);
                    r.skip(size);
                    link = HelpLink();
                    link.kind = HelpLink::Macro;
                    link.macro = decode(cutAtNul(QByteArray(macro.here(), macro.left())), doc_.codePage);
                    break;
                }
                case 0xE0: case 0xE1: // WinHelp 3.0 topic numbers: no context to resolve
                    r.skip(4);
                    link = HelpLink();
                    link.kind = command == 0xE0 ? HelpLink::Popup : HelpLink::Jump;
                    break;
                case 0xE2: case 0xE3: case 0xE6: case 0xE7:
                    link = HelpLink();
                    link.kind = (command & 1) ? HelpLink::Jump : HelpLink::Popup;
                    link.hash = r.u32();
                    break;
                case 0xEA: case 0xEB: case 0xEE: case 0xEF: {
                    const int size = r.s16();
                    if (size < 0)
                        damaged(what);
                    Reader x(r.here(), qMin<qsizetype>(size, r.left()), what);
                    r.skip(size);
                    link = HelpLink();
                    link.kind = (command & 1) ? HelpLink::Jump : HelpLink::Popup;
                    const int target = x.u8();
                    link.hash = x.u32();
                    if (target == 1) {
                        link.window = QString::number(x.u8());
                    } else if (target == 4 || target == 6) {
                        link.file = decode(x.stringz(), doc_.codePage);
                        if (target == 6)
                            link.window = decode(x.stringz(), doc_.codePage);
                    }
                    break;
                }
                default:
                    ++doc_.skipped;
                    cell = false;
                    more = false;
                    break;
                }
            }
        }
        endParagraph();
        return characters;
    }

    static HelpParagraph readParagraphInfo(Reader &r)
    {
        HelpParagraph p;
        r.u8();
        r.u8();
        r.u16(); // id
        const int bits = r.u16();
        if (bits & 0x0001)
            r.clong();
        int *fields[] = {&p.spaceAbove, &p.spaceBelow, &p.lineSpacing, &p.leftIndent, &p.rightIndent, &p.firstIndent};
        for (int i = 0; i < 6; ++i)
            if (bits & (0x0002 << i))
                *fields[i] = readCShort(r);
        if (bits & 0x0100) {
            p.border = r.u8();
            r.s16(); // width
        }
        if (bits & 0x0200) {
            const qint32 tabs = readCShort(r);
            if (tabs < 0 || tabs > 64)
                damaged(QStringLiteral("повреждено оформление абзаца"));
            for (qint32 i = 0; i < tabs; ++i) {
                const quint32 stop = r.cushort();
                if (stop & 0x4000)
                    r.cushort(); // right or centred
                p.tabs.append(int(stop & 0x3FFF));
            }
        }
        if (bits & 0x0800)
            p.align = HelpParagraph::Center;
        else if (bits & 0x0400)
            p.align = HelpParagraph::Right;
        return p;
    }

    void readKeywords(const TopicIndex &index)
    {
        const auto tree = files_.constFind("|KWBTREE");
        if (tree == files_.cend())
            return;
        const QString what = QStringLiteral("повреждён указатель ключевых слов");
        const QByteArray data = need("|KWDATA");
        walkBtree(*tree, what, [&](Reader &r) {
            HelpKeyword keyword;
            keyword.text = decode(r.stringz(), doc_.codePage);
            const int count = r.s16();
            const qint32 at = r.s32();
            if (count < 0 || at < 0 || qsizetype(at) + qsizetype(count) * 4 > data.size())
                damaged(what);
            Reader offsets(data.constData() + at, qsizetype(count) * 4, what);
            for (int i = 0; i < count; ++i) {
                const int topic = index.topicAt(offsets.s32());
                if (topic < 0)
                    continue; // bound to a macro, or before any topic
                if (!keyword.topics.contains(topic))
                    keyword.topics.append(topic);
            }
            if (!keyword.topics.isEmpty())
                doc_.keywords.append(keyword);
        });
    }

    // Titles of |TTLBTREE stand in for topic headers that carry none.
    void readTitles()
    {
        const auto tree = files_.constFind("|TTLBTREE");
        if (tree == files_.cend())
            return;
        QHash<qint32, int> byOffset;
        for (int i = 0; i < topicOffsets_.size(); ++i)
            byOffset.insert(topicOffsets_[i], i);
        walkBtree(*tree, QStringLiteral("повреждён список названий разделов"), [&](Reader &r) {
            const qint32 offset = r.s32();
            const QByteArray title = r.stringz();
            const auto it = byOffset.constFind(offset);
            if (it != byOffset.cend() && doc_.topics[*it].title.isEmpty())
                doc_.topics[*it].title = decode(title, doc_.codePage);
        });
    }

    // |CONTEXT turns the hash of a jump into a topic; |CTXOMAP the map numbers
    // a program asks for.
    void readContexts(const TopicIndex &index)
    {
        QHash<quint32, int> topics;
        const auto tree = files_.constFind("|CONTEXT");
        if (tree != files_.cend())
            walkBtree(*tree, QStringLiteral("повреждён список переходов |CONTEXT"), [&](Reader &r) {
                const quint32 hash = r.u32();
                const int topic = index.topicAt(r.s32());
                if (topic >= 0)
                    topics.insert(hash, topic);
            });
        for (HelpTopic &t : doc_.topics)
            for (HelpParagraph &p : t.paragraphs)
                for (HelpRun &run : p.runs)
                    if ((run.link.kind == HelpLink::Jump || run.link.kind == HelpLink::Popup) && run.link.file.isEmpty())
                        run.link.topic = topics.value(run.link.hash, -1);

        const auto map = files_.constFind("|CTXOMAP");
        if (map != files_.cend()) {
            Reader r(*map, QStringLiteral("повреждён список номеров разделов |CTXOMAP"));
            const int count = r.u16();
            for (int i = 0; i < count; ++i) {
                const qint32 number = r.s32();
                const int topic = index.topicAt(r.s32());
                if (topic >= 0)
                    doc_.contextNumbers.insert(number, topic);
            }
        }
    }

    void readPictures()
    {
        QList<int> numbers(pictureNumbers_.cbegin(), pictureNumbers_.cend());
        std::sort(numbers.begin(), numbers.end());
        QHash<int, int> at;
        for (int number : numbers) {
            const auto it = files_.constFind("|bm" + QByteArray::number(number));
            if (it == files_.cend())
                continue;
            HelpPicture picture;
            picture.number = number;
            if (!decodePicture(*it, picture))
                ++doc_.skipped;
            at.insert(number, int(doc_.pictures.size()));
            doc_.pictures.append(picture);
        }
        for (HelpTopic &t : doc_.topics)
            for (HelpParagraph &p : t.paragraphs)
                for (HelpRun &run : p.runs)
                    if (run.picture >= 0)
                        run.picture = at.value(run.picture, -1);
    }

};

} // namespace

HelpDocument readWinHelp(const QByteArray &file)
{
    if (file.size() > kMaxHelpFileSize)
        throw WinHelpError(WinHelpError::Unsupported, QStringLiteral("файл слишком велик"));
    return Parser(file).run();
}

} // namespace help
