#include "WinHelpPicture.h"
#include "WinHelpCodec.h"

namespace help::winhelp {

namespace {

// Bounded little-endian reads; any overrun makes the picture unreadable.
struct Bytes {
    const QByteArray &b;
    qsizetype at;
    bool ok = true;
    int u8()
    {
        if (at < 0 || at >= b.size()) {
            ok = false;
            return 0;
        }
        return static_cast<unsigned char>(b[at++]);
    }
    int u16()
    {
        const int lo = u8();
        return lo | (u8() << 8);
    }
    quint32 u32()
    {
        const quint32 lo = quint32(u16());
        return lo | (quint32(u16()) << 16);
    }
    quint32 cushort()
    {
        const int v = u8();
        return (v & 1) ? ((quint32(u8()) << 7) | quint32(v >> 1)) : quint32(v >> 1);
    }
    quint32 culong()
    {
        const int v = u16();
        return (v & 1) ? ((quint32(u16()) << 15) | quint32(v >> 1)) : quint32(v >> 1);
    }
};

constexpr qsizetype kMaxPixels = 16 * 1024 * 1024;

// Run-length packing of the help compilers: a count byte with the high bit set
// copies that many bytes, otherwise the next byte repeats.
QByteArray unpackRuns(const QByteArray &in, qsizetype maxOut)
{
    QByteArray out;
    for (qsizetype i = 0; i < in.size() && out.size() < maxOut;) {
        const int n = static_cast<unsigned char>(in[i++]);
        if (n & 0x80) {
            const qsizetype count = qMin<qsizetype>(n & 0x7F, in.size() - i);
            out.append(in.constData() + i, count);
            i += count;
        } else if (i < in.size()) {
            out.append(QByteArray(n, in[i++]));
        }
    }
    out.truncate(maxOut);
    return out;
}

void put16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
void put32(QByteArray &b, quint32 v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int(v >> 16));
}

} // namespace

QByteArray bmpFile(int width, int height, int bitCount, const QList<quint32> &palette, const QByteArray &bits)
{
    const quint32 header = 14 + 40 + quint32(palette.size()) * 4;
    QByteArray out;
    out += "BM";
    put32(out, header + quint32(bits.size()));
    put32(out, 0);
    put32(out, header);
    put32(out, 40);
    put32(out, quint32(width));
    put32(out, quint32(height));
    put16(out, 1);
    put16(out, bitCount);
    put32(out, 0); // no compression
    put32(out, quint32(bits.size()));
    put32(out, 3780); // 96 dpi
    put32(out, 3780);
    put32(out, quint32(palette.size()));
    put32(out, 0);
    for (quint32 c : palette)
        put32(out, c);
    out += bits;
    return out;
}

bool decodePicture(const QByteArray &container, HelpPicture &picture)
{
    Bytes h{container, 0};
    const int magic = h.u16();
    const int count = h.u16();
    if (!h.ok || (magic != 0x506C && magic != 0x706C) || count < 1)
        return false;
    const qsizetype start = h.u32(); // several resolutions: the first will do
    if (!h.ok || start < 0 || start >= container.size())
        return false;
    Bytes p{container, start};
    const int type = p.u8();
    const int packing = p.u8();
    auto unpack = [&](qsizetype offset, qsizetype size, qsizetype expected) -> QByteArray {
        if (offset < 0 || size < 0 || start + offset > container.size() || size > container.size() - start - offset)
            return {};
        const QByteArray raw = container.mid(start + offset, size);
        QByteArray out;
        switch (packing) {
        case 0: return raw.left(expected);
        case 1: return unpackRuns(raw, expected);
        case 2:
            lz77Decompress(raw.constData(), raw.size(), expected, out);
            return out;
        case 3:
            lz77Decompress(raw.constData(), raw.size(), 4 * expected + 4096, out);
            return unpackRuns(out, expected);
        default: return {};
        }
    };

    if (type == 8) {
        picture.metafile = true;
        p.cushort(); // mapping mode
        picture.width = p.u16();
        picture.height = p.u16();
        return p.ok;
    }
    if (type != 5 && type != 6)
        return false;
    p.culong();
    p.culong(); // resolution
    p.cushort(); // planes
    const int bitCount = int(p.cushort());
    const qint64 width = p.culong(), height = p.culong();
    const quint32 colorsUsed = p.culong();
    p.culong(); // important colours
    const quint32 compressedSize = p.culong();
    p.culong(); // hotspot data
    const quint32 compressedOffset = p.u32();
    p.u32();
    if (!p.ok)
        return false;
    picture.width = int(qMin<qint64>(width, 0x7FFFFFFF));
    picture.height = int(qMin<qint64>(height, 0x7FFFFFFF));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels)
        return false;
    QList<quint32> palette;
    if (bitCount <= 8) {
        const quint32 colors = colorsUsed && colorsUsed <= (1u << bitCount) ? colorsUsed : (1u << bitCount);
        if (type == 6) {
            for (quint32 i = 0; i < colors; ++i)
                palette.append(p.u32());
        } else if (bitCount == 1) {
            palette = {0x000000, 0xFFFFFF};
        } else {
            for (quint32 i = 0; i < colors; ++i)
                palette.append(quint32(i * 255 / (colors - 1)) * 0x010101u); // a device bitmap names no colours
        }
        if (!p.ok)
            return false;
    }
    const qsizetype stride = ((width * bitCount + 31) / 32) * 4;
    // Device bitmaps keep rows top-down on 16-bit boundaries, DIBs bottom-up on 32.
    const qsizetype stored = type == 5 ? ((width * bitCount + 15) / 16) * 2 : stride;
    QByteArray bits = unpack(compressedOffset, compressedSize, stored * height);
    if (bits.size() < stored * height)
        return false;
    if (type == 5) {
        QByteArray flipped;
        for (qint64 row = height - 1; row >= 0; --row) {
            flipped += bits.mid(row * stored, stored);
            flipped += QByteArray(stride - stored, '\0');
        }
        bits = flipped;
    }
    picture.bmp = bmpFile(int(width), int(height), bitCount, palette, bits);
    return true;
}

} // namespace help::winhelp
