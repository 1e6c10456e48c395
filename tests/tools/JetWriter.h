#pragma once
// A small writer of Microsoft Access files (Jet 3 and Jet 4), for tests only: it
// makes the old courses that the converter is run on, at test time. It writes
// what a reader needs and nothing more: the header page, the catalog table
// (MSysObjects), one table definition page per table, data pages, long-value
// pages for memos and inline page usage maps. No indexes, no free-space pages.
// The layout follows mdbtools' published notes on the format (HACKING).
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <cstring>
#include <utility>
#include <stdexcept>

namespace jetwriter {

enum class Version { Jet3, Jet4 };
enum class Type : uint8_t { Int = 0x03, Long = 0x04, Double = 0x07, DateTime = 0x08, Text = 0x0A, Ole = 0x0B, Memo = 0x0C };

struct Column {
    QString name;
    Type type;
};

// A value is a null QVariant, an integer (Int, Long), a double, a QDateTime or a
// QString (Text, Memo).
struct Table {
    QString name;
    QList<Column> columns;
    QList<QVariantList> rows;
};

namespace detail {

inline bool isFixed(Type t) { return t == Type::Int || t == Type::Long || t == Type::Double || t == Type::DateTime; }
inline int fixedSize(Type t)
{
    switch (t) {
    case Type::Int: return 2;
    case Type::Long: return 4;
    default: return 8;
    }
}

inline void put16(QByteArray &b, int at, unsigned v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}
inline void put32(QByteArray &b, int at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}
inline void add16(QByteArray &b, unsigned v)
{
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
inline void add32(QByteArray &b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}

// Code page 1251 for Jet 3 text: ASCII, the Russian alphabet, «», — and №, which
// is all the fixtures use; anything else becomes "?".
inline QByteArray cp1251(const QString &s)
{
    QByteArray out;
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u < 0x80)
            out.append(char(u));
        else if (u >= 0x410 && u <= 0x44F)
            out.append(char(0xC0 + (u - 0x410)));
        else if (u == 0x401)
            out.append(char(0xA8));
        else if (u == 0x451)
            out.append(char(0xB8));
        else if (u == 0xAB || u == 0xBB)
            out.append(char(u));
        else if (u == 0x2014)
            out.append(char(0x97));
        else if (u == 0x2116)
            out.append(char(0xB9));
        else
            out.append('?');
    }
    return out;
}

inline QByteArray ucs2(const QString &s)
{
    QByteArray out;
    for (QChar c : s)
        add16(out, c.unicode());
    return out;
}

// Jet 4 "compressed unicode": FF FE, then one byte per character while every
// character fits in a byte, as Access writes short Latin texts.
inline QByteArray jet4Text(const QString &s, bool mayCompress)
{
    bool compressible = mayCompress && !s.isEmpty();
    for (QChar c : s)
        if (c.unicode() == 0 || c.unicode() > 0xFF)
            compressible = false;
    if (!compressible)
        return ucs2(s);
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : s)
        out.append(char(c.unicode()));
    return out;
}

inline void rc4(QByteArray &data, int from, int length, const unsigned char key[4])
{
    unsigned char state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<unsigned char>(i);
    unsigned j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + key[i % 4] + state[i]) & 0xff;
        std::swap(state[i], state[j]);
    }
    unsigned x = 0, y = 0;
    for (int k = 0; k < length; ++k) {
        x = (x + 1) & 0xff;
        y = (y + state[x]) & 0xff;
        std::swap(state[x], state[y]);
        data[from + k] = char(static_cast<unsigned char>(data[from + k]) ^ state[(state[x] + state[y]) & 0xff]);
    }
}

class Writer {
public:
    explicit Writer(Version v) : jet4_(v == Version::Jet4), pageSize_(jet4_ ? 4096 : 2048) {}

    QByteArray write(const QList<Table> &tables)
    {
        pages_.clear();
        pages_ << header() << QByteArray(pageSize_, '\0') << QByteArray(); // 0 header, 1 usage maps, 2 catalog
        const Table catalog{QStringLiteral("MSysObjects"),
                            {{"Id", Type::Long},
                             {"ParentId", Type::Long},
                             {"Name", Type::Text},
                             {"Type", Type::Int},
                             {"Flags", Type::Long},
                             {"LvProp", Type::Ole}},
                            {}};
        Table filledCatalog = catalog;
        QList<int> tdefPages;
        QList<QList<int>> dataPages;
        for (const Table &t : tables) {
            tdefPages << int(pages_.size());
            pages_ << QByteArray();
            dataPages << writeRows(t, tdefPages.last());
            filledCatalog.rows << QVariantList{tdefPages.last(), 0x0F000001, t.name, 1, 0, QVariant()};
        }
        const QList<int> catalogPages = writeRows(filledCatalog, 2);

        // Usage maps: two rows (used pages, pages with free space) per table on page 1.
        QList<QByteArray> maps;
        auto map = [&](const QList<int> &used) {
            QByteArray m(5 + (int(pages_.size()) + 7) / 8, '\0');
            for (int p : used)
                m[5 + p / 8] = char(m[5 + p / 8] | (1 << (p % 8)));
            maps << m << QByteArray(m.size(), '\0');
            return int(maps.size()) - 2;
        };
        pages_[2] = tdef(catalog, 0, map(catalogPages), true);
        for (qsizetype i = 0; i < tables.size(); ++i)
            pages_[tdefPages[i]] = tdef(tables[i], int(tables[i].rows.size()), map(dataPages[i]), false);
        pages_[1] = dataPage(0, maps, nullptr);

        QByteArray file;
        for (const QByteArray &p : pages_) {
            if (p.size() != pageSize_)
                throw std::logic_error("page of the wrong size");
            file += p;
        }
        return file;
    }

private:
    bool jet4_;
    int pageSize_;
    QList<QByteArray> pages_;

    int headerSize() const { return jet4_ ? 14 : 10; }

    QByteArray header() const
    {
        QByteArray p(pageSize_, '\0');
        p[1] = 0x01;
        p.replace(4, 16, QByteArray("Standard Jet DB\0", 16));
        p[0x14] = jet4_ ? 1 : 0;
        // Plain text of the scrambled area: code page, no database key (pages are
        // not encrypted), Russian sort order.
        put16(p, 0x3c, 1251);
        put32(p, 0x3e, 0);
        if (jet4_)
            put16(p, 0x6e, 0x419);
        else
            put16(p, 0x3a, 0x419);
        const unsigned char key[4] = {0xc7, 0xda, 0x39, 0x6b};
        rc4(p, 0x18, jet4_ ? 128 : 126, key);
        return p;
    }

    // A data page (or, with tdefPage < 0, a long-value page) holding rows.
    QByteArray dataPage(int tdefPage, const QList<QByteArray> &rows, int *used) const
    {
        QByteArray p(pageSize_, '\0');
        p[0] = 0x01;
        p[1] = 0x01;
        if (tdefPage < 0)
            p.replace(4, 4, "LVAL");
        else
            put32(p, 4, uint32_t(tdefPage));
        const int countAt = jet4_ ? 12 : 8;
        put16(p, countAt, unsigned(rows.size()));
        int end = pageSize_;
        for (qsizetype i = 0; i < rows.size(); ++i) {
            end -= int(rows[i].size());
            p.replace(end, int(rows[i].size()), rows[i]);
            put16(p, countAt + 2 + 2 * int(i), unsigned(end));
        }
        const int free = end - (countAt + 2 + 2 * int(rows.size()));
        if (free < 0)
            throw std::logic_error("rows do not fit their page");
        put16(p, 2, unsigned(free));
        if (used)
            *used = pageSize_ - free;
        return p;
    }

    int room(const QList<QByteArray> &rows) const
    {
        int size = headerSize();
        for (const QByteArray &r : rows)
            size += int(r.size()) + 2;
        return pageSize_ - size;
    }

    // Long values: one row on a page of its own when it fits (type 1), else a chain
    // of pages each starting with the pointer to the next (type 2).
    QByteArray longValue(const QByteArray &data)
    {
        QByteArray field;
        const int onePage = pageSize_ - headerSize() - 2;
        if (data.size() <= onePage) {
            const int page = int(pages_.size());
            pages_ << dataPage(-1, {data}, nullptr);
            add32(field, uint32_t(data.size()) | 0x40000000u);
            add32(field, uint32_t(page) << 8);
            add32(field, 0);
            return field;
        }
        const int chunk = onePage - 4;
        const int count = int((data.size() + chunk - 1) / chunk);
        const int first = int(pages_.size());
        for (int i = 0; i < count; ++i) {
            QByteArray row;
            add32(row, i + 1 < count ? uint32_t(first + i + 1) << 8 : 0);
            row += data.mid(qsizetype(i) * chunk, chunk);
            pages_ << dataPage(-1, {row}, nullptr);
        }
        add32(field, uint32_t(data.size()));
        add32(field, uint32_t(first) << 8);
        add32(field, 0);
        return field;
    }

    QByteArray text(const QString &s, bool compress) const { return jet4_ ? jet4Text(s, compress) : cp1251(s); }

    QByteArray row(const Table &t, const QVariantList &values)
    {
        const int n = int(t.columns.size());
        QByteArray fixed;
        QList<QByteArray> var;
        QByteArray nulls((n + 7) / 8, '\0');
        for (int c = 0; c < n; ++c) {
            const Type type = t.columns[c].type;
            const QVariant v = values.value(c);
            if (!v.isNull())
                nulls[c / 8] = char(nulls[c / 8] | (1 << (c % 8)));
            if (isFixed(type)) {
                QByteArray bytes(fixedSize(type), '\0');
                if (!v.isNull()) {
                    if (type == Type::Int)
                        put16(bytes, 0, unsigned(v.toInt()));
                    else if (type == Type::Long)
                        put32(bytes, 0, uint32_t(v.toLongLong()));
                    else {
                        double d = v.toDouble();
                        if (type == Type::DateTime) {
                            // Days since 30 December 1899, the time as the fraction.
                            const QDateTime when = v.toDateTime();
                            d = double(when.date().toJulianDay() - QDate(1899, 12, 30).toJulianDay()) +
                                when.time().msecsSinceStartOfDay() / 86400000.0;
                        }
                        uint64_t bits = 0;
                        std::memcpy(&bits, &d, 8);
                        for (int i = 0; i < 8; ++i)
                            bytes[i] = char((bits >> (8 * i)) & 0xff);
                    }
                }
                fixed += bytes;
            } else {
                QByteArray bytes;
                if (!v.isNull()) {
                    if (type == Type::Text)
                        bytes = text(v.toString(), true);
                    else {
                        const QByteArray data = type == Type::Ole ? v.toByteArray() : text(v.toString(), false);
                        const int inlineLimit = jet4_ ? 1000 : 60;
                        if (data.size() <= inlineLimit) {
                            add32(bytes, uint32_t(data.size()) | 0x80000000u);
                            add32(bytes, 0);
                            add32(bytes, 0);
                            bytes += data;
                        } else {
                            bytes = longValue(data);
                        }
                    }
                }
                var << bytes;
            }
        }
        QByteArray r;
        if (jet4_)
            add16(r, unsigned(n));
        else
            r.append(char(n));
        r += fixed;
        QList<int> offsets;
        for (const QByteArray &v : var) {
            offsets << int(r.size());
            r += v;
        }
        offsets << int(r.size()); // end of the variable data
        for (qsizetype i = offsets.size() - 1; i >= 0; --i) {
            if (jet4_)
                add16(r, unsigned(offsets[i]));
            else
                r.append(char(offsets[i]));
        }
        if (jet4_)
            add16(r, unsigned(var.size()));
        else
            r.append(char(var.size()));
        r += nulls;
        // A Jet 3 row stores its offsets in one byte each; longer rows would need
        // jump tables, which this writer does not make.
        if (!jet4_ && r.size() > 255)
            throw std::logic_error("Jet 3 row longer than 255 bytes");
        return r;
    }

    QList<int> writeRows(const Table &t, int tdefPage)
    {
        QList<int> used;
        QList<QByteArray> pending;
        auto flush = [&] {
            used << int(pages_.size());
            pages_ << dataPage(tdefPage, pending, nullptr);
            pending.clear();
        };
        for (const QVariantList &values : t.rows) {
            const QByteArray r = row(t, values);
            if (!pending.isEmpty() && room(pending) < int(r.size()) + 2)
                flush();
            pending << r;
        }
        if (!pending.isEmpty())
            flush();
        return used;
    }

    QByteArray tdef(const Table &t, int rowCount, int mapRow, bool system) const
    {
        QByteArray p;
        p.append(char(0x02)).append(char(0x01));
        if (jet4_)
            add16(p, 0);
        else
            p.append("VC");
        add32(p, 0); // next definition page
        const int n = int(t.columns.size());
        int varCount = 0;
        for (const Column &c : t.columns)
            varCount += isFixed(c.type) ? 0 : 1;
        const uint32_t usedMap = (1u << 8) | uint32_t(mapRow);
        const uint32_t freeMap = (1u << 8) | uint32_t(mapRow + 1);
        add32(p, 0); // length, set below
        if (jet4_)
            add32(p, 0);
        add32(p, uint32_t(rowCount));
        add32(p, 0); // next autonumber
        if (jet4_) {
            p.append(char(0x01)).append(3, '\0');
            add32(p, 0);
            p.append(8, '\0');
        }
        p.append(char(system ? 0x53 : 0x4e));
        add16(p, unsigned(n));
        add16(p, unsigned(varCount));
        add16(p, unsigned(n));
        add32(p, 0); // logical indexes
        add32(p, 0); // index entries
        add32(p, usedMap);
        add32(p, freeMap);
        if (p.size() != (jet4_ ? 63 : 43))
            throw std::logic_error("table definition header size");
        int fixedOffset = 0;
        int varNumber = 0;
        for (int c = 0; c < n; ++c) {
            const Type type = t.columns[c].type;
            const bool fixed = isFixed(type);
            QByteArray d(jet4_ ? 25 : 18, '\0');
            d[0] = char(type);
            const int size = fixed ? fixedSize(type) : type == Type::Text ? (jet4_ ? 510 : 255) : 0;
            if (jet4_) {
                put16(d, 5, unsigned(c));
                put16(d, 7, fixed ? 0 : unsigned(varNumber));
                put16(d, 9, unsigned(c));
                if (type == Type::Text || type == Type::Memo)
                    put16(d, 11, 0x409);
                d[15] = char((fixed ? 0x01 : 0) | 0x02);
                d[16] = char(type == Type::Text ? 0x01 : 0);
                put16(d, 21, fixed ? unsigned(fixedOffset) : 0);
                put16(d, 23, unsigned(size));
            } else {
                put16(d, 1, unsigned(c));
                put16(d, 3, fixed ? 0 : unsigned(varNumber));
                put16(d, 5, unsigned(c));
                if (type == Type::Text || type == Type::Memo) {
                    put16(d, 7, 0x409);
                    put16(d, 9, 1251);
                }
                d[13] = char((fixed ? 0x01 : 0) | 0x02);
                put16(d, 14, fixed ? unsigned(fixedOffset) : 0);
                put16(d, 16, unsigned(size));
            }
            if (fixed)
                fixedOffset += fixedSize(type);
            else
                ++varNumber;
            p += d;
        }
        for (const Column &c : t.columns) {
            if (jet4_) {
                const QByteArray name = ucs2(c.name);
                add16(p, unsigned(name.size()));
                p += name;
            } else {
                const QByteArray name = cp1251(c.name);
                p.append(char(name.size()));
                p += name;
            }
        }
        add16(p, 0xFFFF);
        if (p.size() > pageSize_)
            throw std::logic_error("table definition longer than a page");
        put32(p, 8, uint32_t(p.size()));
        if (jet4_)
            put16(p, 2, unsigned(pageSize_ - p.size() - 8));
        p.append(pageSize_ - p.size(), '\0');
        return p;
    }
};

} // namespace detail

inline QByteArray write(const QList<Table> &tables, Version version = Version::Jet4)
{
    return detail::Writer(version).write(tables);
}

} // namespace jetwriter
