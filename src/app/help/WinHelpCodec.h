#pragma once
// Low-level pieces shared by the WinHelp reader and writer: the LZ77 variant of
// .hlp files and the Windows code pages the files are written in. QtCore only,
// so that the fuzz target can link it without widgets.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace help::winhelp {

// Decompresses at most maxOut bytes. Returns false when a back reference points
// before the start of the output (a damaged stream); out then holds what was
// decoded so far.
bool lz77Decompress(const char *data, qsizetype size, qsizetype maxOut, QByteArray &out);

// Compresses input[start..] until maxIn bytes are consumed or the compressed form
// would pass maxOut bytes. Returns the compressed bytes and sets consumed. Any
// unused tail of maxOut is at most one byte, so zero padding after it decodes to
// nothing.
QByteArray lz77Compress(const QByteArray &input, qsizetype start, qsizetype maxIn, qsizetype maxOut,
                        qsizetype *consumed);
inline QByteArray lz77Compress(const QByteArray &input)
{
    qsizetype used = 0;
    return lz77Compress(input, 0, input.size(), qsizetype(1) << 40, &used);
}

// Windows code page of a charset value (as in LOGFONT), 0 when unknown.
int codePageForCharset(int charset);
// Windows code page of a language id, 0 when unknown.
int codePageForLcid(int lcid);
int charsetForCodePage(int codePage);
int lcidForCodePage(int codePage);

// Decodes 8-bit text in a Windows code page; unknown pages fall back to 1252.
QString decode(const QByteArray &bytes, int codePage);
// Encodes for the writer; characters missing from the page become '?'.
QByteArray encode(const QString &text, int codePage);

} // namespace help::winhelp
