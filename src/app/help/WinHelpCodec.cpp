#include "WinHelpCodec.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <vector>

namespace help::winhelp {

bool lz77Decompress(const char *data, qsizetype size, qsizetype maxOut, QByteArray &out)
{
    out.clear();
    out.reserve(qMin(maxOut, size * 9));
    qsizetype i = 0;
    while (i < size && out.size() < maxOut) {
        const unsigned flags = static_cast<unsigned char>(data[i++]);
        for (int bit = 0; bit < 8 && i < size && out.size() < maxOut; ++bit) {
            if (!(flags & (1u << bit))) {
                out.append(data[i++]);
                continue;
            }
            if (i + 1 >= size)
                return true; // a lone trailing byte is padding
            const unsigned code = static_cast<unsigned char>(data[i]) | (static_cast<unsigned char>(data[i + 1]) << 8);
            i += 2;
            const qsizetype distance = (code & 0x0FFF) + 1;
            const qsizetype length = (code >> 12) + 3;
            if (distance > out.size())
                return false;
            for (qsizetype k = 0; k < length && out.size() < maxOut; ++k)
                out.append(out.at(out.size() - distance));
        }
    }
    return true;
}

QByteArray lz77Compress(const QByteArray &input, qsizetype start, qsizetype maxIn, qsizetype maxOut,
                        qsizetype *consumed)
{
    const qsizetype end = qMin(input.size(), start + maxIn);
    const auto *in = reinterpret_cast<const unsigned char *>(input.constData());
    constexpr int kWindow = 4096, kMaxLen = 18, kMinLen = 3, kChain = 64;
    std::vector<qsizetype> head(1 << 14, -1), prev(size_t(end - start) + 1, -1);
    auto hashAt = [&](qsizetype p) { return ((in[p] << 6) ^ (in[p + 1] << 3) ^ in[p + 2]) & 0x3FFF; };
    auto insert = [&](qsizetype p) {
        if (p + 2 < end) {
            const int h = hashAt(p);
            prev[size_t(p - start)] = head[size_t(h)];
            head[size_t(h)] = p;
        }
    };

    QByteArray out;
    qsizetype pos = start;
    qsizetype flagAt = -1;
    int bit = 8;
    while (pos < end) {
        int bestLen = 0;
        qsizetype bestDist = 0;
        if (pos + kMinLen <= end) {
            int steps = 0;
            for (qsizetype cand = head[size_t(hashAt(pos))]; cand >= 0 && pos - cand <= kWindow && steps < kChain;
                 cand = prev[size_t(cand - start)], ++steps) {
                int len = 0;
                while (len < kMaxLen && pos + len < end && in[cand + len] == in[pos + len])
                    ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = pos - cand;
                    if (len == kMaxLen)
                        break;
                }
            }
        }
        const qsizetype flagCost = bit == 8 ? 1 : 0;
        const bool match = bestLen >= kMinLen && out.size() + flagCost + 2 <= maxOut;
        if (!match && out.size() + flagCost + 1 > maxOut)
            break;
        if (bit == 8) {
            flagAt = out.size();
            out.append('\0');
            bit = 0;
        }
        if (match) {
            out[flagAt] = char(static_cast<unsigned char>(out[flagAt]) | (1u << bit));
            const unsigned code = unsigned(bestDist - 1) | (unsigned(bestLen - kMinLen) << 12);
            out.append(char(code & 0xFF));
            out.append(char(code >> 8));
            for (int k = 0; k < bestLen; ++k)
                insert(pos + k);
            pos += bestLen;
        } else {
            out.append(char(in[pos]));
            insert(pos);
            ++pos;
        }
        ++bit;
    }
    *consumed = pos - start;
    return out;
}

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;   // ANSI
    case 238: return 1250; // EASTEUROPE
    case 204: return 1251; // RUSSIAN
    case 161: return 1253; // GREEK
    case 162: return 1254; // TURKISH
    case 177: return 1255; // HEBREW
    case 178: return 1256; // ARABIC
    case 186: return 1257; // BALTIC
    case 163: return 1258; // VIETNAMESE
    default: return 0;
    }
}

int codePageForLcid(int lcid)
{
    switch (lcid & 0x3FF) {
    case 0x19: case 0x22: case 0x23: case 0x02: case 0x2F: case 0x3F: case 0x44: case 0x28: case 0x40: case 0x50:
        return 1251; // Russian, Ukrainian, Belarusian, Bulgarian, Macedonian, Kazakh, Tatar, Tajik, Kyrgyz, Mongolian
    case 0x15: case 0x05: case 0x0E: case 0x1B: case 0x24: case 0x1C: case 0x18:
        return 1250; // Polish, Czech, Hungarian, Slovak, Slovenian, Albanian, Romanian
    case 0x08: return 1253;
    case 0x1F: return 1254;
    case 0x0D: return 1255;
    case 0x01: return 1256;
    case 0x25: case 0x26: case 0x27: return 1257;
    case 0x2A: return 1258;
    case 0x09: case 0x07: case 0x0C: case 0x10: case 0x0A: case 0x13: case 0x16: case 0x1D: case 0x06: case 0x14:
    case 0x0B: case 0x0F:
        return 1252;
    default: return 0;
    }
}

int charsetForCodePage(int codePage) { return codePage == 1251 ? 204 : 0; }
int lcidForCodePage(int codePage) { return codePage == 1251 ? 0x0419 : 0x0409; }

namespace {

// 0x80..0xBF of code page 1251; 0xC0..0xFF are U+0410..U+044F.
const char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// 0x80..0x9F of code page 1252; the rest is Latin-1.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t fromByte(unsigned char b, int codePage)
{
    if (b < 0x80)
        return b;
    if (codePage == 1251)
        return b >= 0xC0 ? char16_t(0x0410 + (b - 0xC0)) : kCp1251High[b - 0x80];
    return b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b);
}

bool ownTable(int codePage) { return codePage == 1251 || codePage == 1252; }

} // namespace

QString decode(const QByteArray &bytes, int codePage)
{
    if (!ownTable(codePage)) {
        QStringDecoder decoder(QByteArray("windows-" + QByteArray::number(codePage)).constData());
        if (decoder.isValid()) {
            QString text = decoder.decode(bytes);
            if (!decoder.hasError())
                return text;
        }
        codePage = 1252;
    }
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(fromByte(static_cast<unsigned char>(bytes[i]), codePage));
    return text;
}

QByteArray encode(const QString &text, int codePage)
{
    if (!ownTable(codePage))
        codePage = 1252;
    static const auto reverse = [] {
        QHash<int, QHash<char16_t, char>> maps;
        for (int cp : {1251, 1252})
            for (int b = 0x80; b < 0x100; ++b)
                maps[cp].insert(fromByte(static_cast<unsigned char>(b), cp), char(b));
        return maps;
    }();
    const auto &map = reverse[codePage];
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            out.append(char(c.unicode()));
        else
            out.append(map.value(c.unicode(), '?'));
    }
    return out;
}

} // namespace help::winhelp
