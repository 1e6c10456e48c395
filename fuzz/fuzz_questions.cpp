// libFuzzer entry for one question-file reader (Aiken, or GIFT with
// ETEXTBOOK_FUZZ_GIFT): any bytes give questions and refusals, never a crash or a
// hang, and what is accepted is what the bank can hold.
#include "formats/QuestionFormats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace qformats;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    try {
        text = decode(bytes, Encoding::Auto);
    } catch (const FileError &) {
        return 0;
    }
#ifdef ETEXTBOOK_FUZZ_GIFT
    const ReadResult r = readGift(text);
#else
    const ReadResult r = readAiken(text);
#endif
    // Lines are counted like the reader does: LF, CRLF and a lone CR each end one.
    const int lines = int(text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r')) + 1);
    for (const Question &q : r.questions) {
        if (q.optionCount < kMinOptions || q.optionCount > kMaxOptions || q.correct < 1 || q.correct > q.optionCount ||
            q.line < 1 || q.line > lines || q.text.isEmpty())
            __builtin_trap();
        for (int i = q.optionCount; i < kMaxOptions; ++i)
            if (!q.options[size_t(i)].isEmpty())
                __builtin_trap();
    }
    for (const Refusal &x : r.refusals)
        if (x.line < 1 || x.line > lines || x.reason.isEmpty())
            __builtin_trap();
    return 0;
}
