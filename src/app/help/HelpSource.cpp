#include "HelpSource.h"

#include <QMap>
#include <QStringList>

namespace help {
namespace {

[[noreturn]] void bad(int line, const QString &what)
{
    throw WinHelpError(WinHelpError::Damaged, QStringLiteral("строка %1: %2").arg(line).arg(what));
}

struct Inline {
    HelpParagraph paragraph;
    QStringList keywords;
};

class InlineParser {
public:
    InlineParser(const QString &text, int line) : s_(text), line_(line) {}

    Inline run()
    {
        parse(false, false, false);
        if (pos_ < s_.size())
            bad(line_, QStringLiteral("лишняя «}»"));
        return std::move(out_);
    }

private:
    const QString &s_;
    int line_;
    qsizetype pos_ = 0;
    Inline out_;

    void put(const QString &text, bool bold, bool italic)
    {
        if (text.isEmpty())
            return;
        auto &runs = out_.paragraph.runs;
        if (!runs.isEmpty() && runs.last().bold == bold && runs.last().italic == italic)
            runs.last().text += text;
        else
            runs.append(HelpRun{text, bold, italic});
    }

    // Reads "{...}" after a command, returns its text; visible says whether it is shown.
    QString group(bool bold, bool italic, bool visible)
    {
        if (pos_ >= s_.size() || s_[pos_] != u'{')
            bad(line_, QStringLiteral("после команды ожидается «{»"));
        ++pos_;
        const QString start = out_.paragraph.plainText();
        Inline saved;
        if (!visible)
            saved.paragraph = out_.paragraph;
        parse(bold, italic, true);
        if (pos_ >= s_.size())
            bad(line_, QStringLiteral("нет закрывающей «}»"));
        ++pos_;
        const QString text = out_.paragraph.plainText().mid(start.size());
        if (!visible)
            out_.paragraph = saved.paragraph;
        return text;
    }

    void parse(bool bold, bool italic, bool nested)
    {
        QString text;
        auto flush = [&]() {
            put(text, bold, italic);
            text.clear();
        };
        while (pos_ < s_.size()) {
            const QChar c = s_[pos_];
            if (c == u'}') {
                if (!nested)
                    break;
                flush();
                return;
            }
            if (c == u'{')
                bad(line_, QStringLiteral("«{» без команды"));
            if (c != u'\\') {
                text += c;
                ++pos_;
                continue;
            }
            ++pos_;
            if (pos_ >= s_.size())
                bad(line_, QStringLiteral("«\\» в конце абзаца"));
            const QChar n = s_[pos_];
            if (n == u'\\' || n == u'{' || n == u'}') {
                text += n;
                ++pos_;
                continue;
            }
            if (n == u'-') {
                text += QChar(0x2011);
                ++pos_;
                continue;
            }
            qsizetype end = pos_;
            while (end < s_.size() && s_[end].isLetter())
                ++end;
            const QString command = s_.mid(pos_, end - pos_);
            pos_ = end;
            flush();
            if (command == u"e") {
                group(bold, true, true);
            } else if (command == u"s") {
                group(true, italic, true);
            } else if (command == u"c") {
                group(bold, italic, true);
            } else if (command == u"q") {
                put(QStringLiteral("«"), bold, italic);
                group(bold, italic, true);
                put(QStringLiteral("»"), bold, italic);
            } else if (command == u"i") {
                out_.keywords.append(group(bold, italic, true).simplified());
            } else if (command == u"I") {
                out_.keywords.append(group(bold, italic, false).simplified());
            } else {
                bad(line_, QStringLiteral("неизвестная команда \\%1").arg(command));
            }
        }
        flush();
    }
};

} // namespace

HelpDocument parseHelpSource(const QString &source)
{
    HelpDocument doc;
    doc.codePage = 1251;
    QMap<QString, std::pair<QString, QList<int>>> keywords; // folded → shown text, topics

    const QStringList lines = source.split(u'\n');
    QString paragraph;
    int paragraphLine = 0;
    auto finish = [&]() {
        const QString text = paragraph.simplified();
        paragraph.clear();
        if (text.isEmpty())
            return;
        if (text.startsWith(u"\\cfg{") || text.startsWith(u"\\#"))
            return;
        auto heading = [&](const QString &command) -> bool {
            if (!text.startsWith(command))
                return false;
            const qsizetype close = text.indexOf(u'}');
            if (text.size() <= command.size() || text[command.size()] != u'{' || close < 0)
                bad(paragraphLine, QStringLiteral("раздел без имени"));
            Inline title = InlineParser(text.mid(close + 1).trimmed(), paragraphLine).run();
            doc.topics.append(HelpTopic{title.paragraph.plainText(), {}});
            for (const QString &k : title.keywords) {
                auto &entry = keywords[k.toCaseFolded()];
                entry.first = k;
                entry.second.append(int(doc.topics.size() - 1));
            }
            return true;
        };
        if (text.startsWith(u"\\title ")) {
            doc.title = InlineParser(text.mid(7), paragraphLine).run().paragraph.plainText();
            return;
        }
        if (heading(QStringLiteral("\\C")) || heading(QStringLiteral("\\H")) || heading(QStringLiteral("\\S")))
            return;
        if (doc.topics.isEmpty())
            bad(paragraphLine, QStringLiteral("текст до первого раздела"));
        QString body = text;
        QString prefix;
        if (body.startsWith(u"\\b ")) {
            body = body.mid(3);
            prefix = QStringLiteral("• ");
        }
        Inline parsed = InlineParser(body, paragraphLine).run();
        if (!prefix.isEmpty())
            parsed.paragraph.runs.prepend(HelpRun{prefix, false, false});
        if (!parsed.paragraph.runs.isEmpty())
            doc.topics.last().paragraphs.append(parsed.paragraph);
        for (const QString &k : parsed.keywords) {
            if (k.isEmpty())
                continue;
            auto &entry = keywords[k.toCaseFolded()];
            if (entry.first.isEmpty())
                entry.first = k;
            if (!entry.second.contains(int(doc.topics.size() - 1)))
                entry.second.append(int(doc.topics.size() - 1));
        }
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i];
        const bool blank = line.trimmed().isEmpty();
        const bool startsBlock = line.startsWith(u"\\b ") || line.startsWith(u"\\C{") || line.startsWith(u"\\H{")
                                 || line.startsWith(u"\\S{") || line.startsWith(u"\\title ")
                                 || line.startsWith(u"\\cfg{");
        if (blank || startsBlock)
            finish();
        if (blank)
            continue;
        if (paragraph.isEmpty())
            paragraphLine = i + 1;
        paragraph += line + u' ';
    }
    finish();
    for (auto it = keywords.cbegin(); it != keywords.cend(); ++it)
        doc.keywords.append(HelpKeyword{it->first, it->second});
    return doc;
}

} // namespace help
