#pragma once
// Reads WinHelp 3.1 and 4.0 (.hlp) files into a plain document: title, topics
// with formatted paragraphs, tables, hotspots and pictures, and the keyword index. QtCore only, so the
// fuzz target links it without widgets. Every offset and length in the file is
// checked before use; a damaged file raises WinHelpError, never more.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <exception>

namespace help {

// Where a hotspot leads. The reader resolves a jump's context to a topic of the
// same file; a jump into another file keeps that file's name instead.
struct HelpLink {
    enum Kind { None, Jump, Popup, Macro };
    Kind kind = None;
    int topic = -1;   // index into HelpDocument::topics, -1 when not in this file or unknown
    quint32 hash = 0; // context hash as stored
    QString file;     // other help file of an external jump
    QString window;   // secondary window of the jump, if named
    QString macro;    // text of a macro hotspot
    bool operator==(const HelpLink &) const = default;
};

struct HelpRun {
    HelpRun() = default;
    HelpRun(QString t, bool b = false, bool i = false) : text(std::move(t)), bold(b), italic(i) {}
    QString text; // '\n' is a line break inside the paragraph, '\t' a tab
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 0; // font size; 0 = that of the file's first font, the body text
    HelpLink link;
    int picture = -1;   // index into HelpDocument::pictures; the run then has no text
    bool operator==(const HelpRun &) const = default;
};

// Paragraph settings as the help compilers store them: distances in half points
// (tenths of the RTF twip figures the author typed), which is what the viewer scales.
struct HelpParagraph {
    enum Align { Left, Right, Center };
    QList<HelpRun> runs;
    int spaceAbove = 0;
    int spaceBelow = 0;
    int lineSpacing = 0; // 0 = single
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0; // relative to leftIndent, may be negative
    Align align = Left;
    int border = 0;      // border flags as stored (box, top, left, bottom, right, thick, double…)
    QList<int> tabs;     // tab stop positions, half points
    int row = -1;        // table row the paragraph belongs to (serial within the topic), -1 outside tables
    int column = -1;     // column of that row
    QString plainText() const;
    bool operator==(const HelpParagraph &) const = default;
};

struct HelpTopic {
    QString title;
    QList<HelpParagraph> paragraphs;
    bool operator==(const HelpTopic &) const = default;
};

struct HelpKeyword {
    QString text;
    QList<int> topics; // indexes into HelpDocument::topics
    bool operator==(const HelpKeyword &) const = default;
};

// A picture of |bmN. A bitmap is decoded into the bytes of a .bmp file, which the
// viewer shows as it is; a metafile is not drawn, only its size is known.
struct HelpPicture {
    int number = 0;    // N of |bmN
    bool metafile = false;
    int width = 0;     // pixels (metafile: its own units)
    int height = 0;
    QByteArray bmp;    // empty when not decoded
    bool operator==(const HelpPicture &) const = default;
};

struct HelpDocument {
    QString title;     // from |SYSTEM; may be empty
    int codePage = 1252;
    QList<HelpTopic> topics;
    QList<HelpKeyword> keywords; // in the file's order
    QList<HelpPicture> pictures;
    QMap<qint32, int> contextNumbers; // |CTXOMAP: map number -> topic
    int contents = -1; // the contents topic |SYSTEM names, else the first; -1 without topics
    // Records and commands the reader did not know and stepped over, so that a
    // dump can tell a complete reading from a partial one.
    int skipped = 0;
};

class WinHelpError : public std::exception {
public:
    enum Kind { NotWinHelp, Damaged, Unsupported };
    WinHelpError(Kind kind, QString reason) : kind_(kind), reason_(std::move(reason)), utf8_(reason_.toUtf8()) {}
    Kind kind() const noexcept { return kind_; }
    // A short Russian phrase for the message box ("повреждён каталог файла").
    const QString &reason() const noexcept { return reason_; }
    const char *what() const noexcept override { return utf8_.constData(); }
private:
    Kind kind_;
    QString reason_;
    QByteArray utf8_;
};

// Files above this size are refused rather than read into memory.
constexpr qsizetype kMaxHelpFileSize = 64 * 1024 * 1024;

HelpDocument readWinHelp(const QByteArray &file);

} // namespace help
