#pragma once
// Writes a HelpDocument as a WinHelp (.hlp) file. Halibut cannot put Cyrillic
// into WinHelp output, so the course manual is compiled by this writer; the tests
// also use it to make files with each compression the reader must understand.
#include "WinHelpFile.h"

namespace help {

struct WinHelpWriteOptions {
    int minor = 33;     // 33 = WinHelp 4.0, 21 = WinHelp 3.1
    bool lz77 = true;   // LZ77 topic blocks
    enum class Phrases { None, Old, Hall } phrases = Phrases::None;
    bool charsetRecord = true; // |SYSTEM CHARSET record (4.0 only)
    bool lcidRecord = true;    // |SYSTEM LCID record (4.0 only)
    int picturePacking = 2;    // |bmN bitmaps: 0 none, 1 run lengths, 2 LZ77, 3 both
};

// Keywords are stored sorted without regard to case, as WinHelp looks them up; a
// keyword's topic indexes refer to doc.topics. Text is encoded in doc.codePage
// (1251, else 1252). Paragraphs are written as the compilers write them: one
// text record each, or one table record per row (paragraphs sharing a row);
// all paragraphs of a table cell take the first one's settings. Each topic gets
// a context hash of the writer's own in |CONTEXT, which its jumps use.
QByteArray writeWinHelp(const HelpDocument &doc, const WinHelpWriteOptions &options = {});

} // namespace help
