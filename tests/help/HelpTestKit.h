#pragma once
// Helpers for the help tests: a dialog seam that records instead of blocking,
// and documents and files to read back.
#include "app/help/WinHelpFile.h"
#include "app/help/WinHelpWriter.h"
#include "common/Dialogs.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

namespace helptest {

class RecordingDialogs final : public ui::Dialogs {
public:
    struct Message {
        QString title, text;
        ui::Icon icon;
    };
    QList<Message> messages;

    RecordingDialogs() { ui::setDialogs(this); }
    ~RecordingDialogs() override { ui::setDialogs(nullptr); }
    void message(QWidget *, const QString &title, const QString &text, ui::Icon icon) override
    {
        messages.append({title, text, icon});
    }
    bool confirm(QWidget *, const QString &, const QString &) override { return false; }
    std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFile(QWidget *, const QString &, const QString &) override { return {}; }
};

inline QString fixture(const char *name)
{
    return QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/help/fixtures/") + QLatin1String(name);
}

// Runs Halibut on a fixture; empty when Halibut is missing or fails.
inline QByteArray halibutHelp(const QString &source, QString *why)
{
    const QString halibut = QStandardPaths::findExecutable(QStringLiteral("halibut"));
    if (halibut.isEmpty()) {
        *why = QStringLiteral("halibut is not installed");
        return {};
    }
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.hlp"));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(halibut, {QStringLiteral("--winhelp=") + out, source});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        *why = QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    QFile f(out);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline help::HelpParagraph para(std::initializer_list<help::HelpRun> runs)
{
    help::HelpParagraph p;
    p.runs = runs;
    return p;
}

// Russian text over many topics: enough to fill several topic blocks and several
// keyword pages, with runs of every style, tabs, line breaks and repeated words
// for the phrase tables.
inline help::HelpDocument russianDocument(int topics = 120)
{
    help::HelpDocument doc;
    doc.title = QStringLiteral("Справка: проверка чтения");
    doc.codePage = 1251;
    for (int t = 0; t < topics; ++t) {
        help::HelpTopic topic;
        topic.title = QStringLiteral("Раздел №%1 «Ёлка»").arg(t);
        for (int p = 0; p < 4; ++p)
            topic.paragraphs.append(para({
                {QStringLiteral("Абзац %1 раздела %2: программа показывает материалы курса. ").arg(p).arg(t), false, false},
                {QStringLiteral("Жирный текст"), true, false},
                {QStringLiteral(" и "), false, false},
                {QStringLiteral("курсив\tпосле табуляции\nс новой строки"), false, true},
                {QStringLiteral(" жирный курсив"), true, true},
                {QStringLiteral(" — конец, ещё раз программа показывает материалы."), false, false},
            }));
        doc.topics.append(topic);
    }
    for (int k = 0; k < 300; ++k) {
        help::HelpKeyword kw;
        kw.text = QStringLiteral("ключевое слово %1").arg(k, 3, 10, QLatin1Char('0'));
        kw.topics = {k % topics};
        if (k % 7 == 0)
            kw.topics.append((k + 1) % topics);
        doc.keywords.append(kw);
    }
    doc.keywords.append({QStringLiteral("Ёлка"), {0, 1, 2}});
    return doc;
}

// Keywords as the writer stores them: sorted without regard to case.
inline QList<help::HelpKeyword> sortedKeywords(QList<help::HelpKeyword> k)
{
    std::stable_sort(k.begin(), k.end(), [](const help::HelpKeyword &a, const help::HelpKeyword &b) {
        return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
    });
    return k;
}

inline quint32 le32(const QByteArray &b, qsizetype at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}
inline void setLe32(QByteArray &b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// Where an internal file's contents start, read straight from a one-page
// directory as our writer makes it (independent of the reader under test).
inline qsizetype internalFile(const QByteArray &hlp, const QByteArray &name)
{
    const qsizetype dir = le32(hlp, 4) + 9;
    const qsizetype leaf = dir + 38;
    const int entries = static_cast<unsigned char>(hlp[leaf + 2]) | (static_cast<unsigned char>(hlp[leaf + 3]) << 8);
    qsizetype at = leaf + 8;
    for (int i = 0; i < entries; ++i) {
        const qsizetype nul = hlp.indexOf('\0', at);
        const QByteArray entry = hlp.mid(at, nul - at);
        const qsizetype offset = le32(hlp, nul + 1);
        if (entry == name)
            return offset + 9;
        at = nul + 5;
    }
    return -1;
}

} // namespace helptest
