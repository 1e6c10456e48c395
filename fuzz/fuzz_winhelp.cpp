// libFuzzer entry: any bytes must give a document or a WinHelpError.
#include "app/help/WinHelpFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const help::HelpDocument doc = help::readWinHelp(bytes);
        // Touch what the viewer would show, so lazily wrong data is noticed too.
        qsizetype total = doc.title.size();
        for (const help::HelpTopic &t : doc.topics)
            for (const help::HelpParagraph &p : t.paragraphs) {
                total += p.plainText().size();
                for (const help::HelpRun &r : p.runs) {
                    if (r.picture >= doc.pictures.size() || r.link.topic >= doc.topics.size())
                        __builtin_trap();
                    total += r.link.macro.size() + r.link.file.size();
                }
            }
        for (const help::HelpPicture &p : doc.pictures)
            total += p.bmp.size();
        for (int t : doc.contextNumbers)
            if (t < 0 || t >= doc.topics.size())
                __builtin_trap();
        for (const help::HelpKeyword &k : doc.keywords)
            for (int t : k.topics)
                if (t < 0 || t >= doc.topics.size())
                    __builtin_trap();
        (void)total;
    } catch (const help::WinHelpError &) {
    }
    return 0;
}
