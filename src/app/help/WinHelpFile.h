#pragma once
// Reads WinHelp 3.1 and 4.0 (.hlp) files into a plain document: title, topics
// with paragraphs and bold/italic runs, and the keyword index. QtCore only, so the
// fuzz target links it without widgets. Every offset and length in the file is
// checked before use; a damaged file raises WinHelpError, never more.
#include <QByteArray>
#include <QList>
#include <QString>
#include <exception>

namespace help {

struct HelpRun {
    QString text; // '\n' is a line break inside the paragraph, '\t' a tab
    bool bold = false;
    bool italic = false;
    bool operator==(const HelpRun &) const = default;
};

struct HelpParagraph {
    QList<HelpRun> runs;
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

struct HelpDocument {
    QString title;     // from |SYSTEM; may be empty
    int codePage = 1252;
    QList<HelpTopic> topics;
    QList<HelpKeyword> keywords; // in the file's order
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
