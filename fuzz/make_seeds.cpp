// Seeds for the fuzz corpus: small files made by our writer in each compression.
#include "app/help/WinHelpPicture.h"
#include "app/help/WinHelpWriter.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_winhelp_seeds DIR\n");
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    help::HelpDocument doc;
    doc.title = QStringLiteral("Справка");
    doc.codePage = 1251;
    for (int t = 0; t < 6; ++t) {
        help::HelpTopic topic{QStringLiteral("Раздел %1").arg(t), {}};
        for (int p = 0; p < 3; ++p) {
            help::HelpParagraph para;
            para.runs = {{QStringLiteral("Текст абзаца, текст раздела %1. ").arg(t), false, false},
                         {QStringLiteral("Жирный"), true, false},
                         {QStringLiteral(" курсив\tтаб\nстрока"), false, true}};
            topic.paragraphs.append(para);
        }
        // The compilers' other records: settings, hotspots, a table row, pictures.
        help::HelpParagraph set;
        set.runs = {help::HelpRun(QStringLiteral("См. ")), help::HelpRun(QStringLiteral("переход")),
                    help::HelpRun(QStringLiteral(" окно")), help::HelpRun(QStringLiteral(" макрос")),
                    help::HelpRun(QStringLiteral(" файл")), help::HelpRun(), help::HelpRun(QStringLiteral("10\u00A0кг"))};
        set.runs[1].link = {help::HelpLink::Jump, (t + 1) % 6, 0, {}, {}, {}};
        set.runs[2].link = {help::HelpLink::Popup, (t + 2) % 6, 0, {}, {}, {}};
        set.runs[3].link = {help::HelpLink::Macro, -1, 0, {}, {}, QStringLiteral("ExecFile(\"notepad\")")};
        set.runs[4].link = {help::HelpLink::Jump, -1, 0x1234, QStringLiteral("other.hlp"), QStringLiteral("main"), {}};
        set.runs[5].picture = t % 2;
        set.runs[4].underline = true;
        set.runs[6].halfPoints = 28;
        set.spaceAbove = 6;
        set.spaceBelow = 300;
        set.leftIndent = 72;
        set.firstIndent = -36;
        set.border = 1;
        set.tabs = {72, 144};
        set.align = help::HelpParagraph::Center;
        topic.paragraphs.append(set);
        for (int c = 0; c < 2; ++c) {
            help::HelpParagraph cell;
            cell.runs = {help::HelpRun(QStringLiteral("ячейка %1").arg(c))};
            cell.row = 0;
            cell.column = c;
            topic.paragraphs.append(cell);
        }
        doc.topics.append(topic);
        doc.keywords.append({QStringLiteral("слово %1").arg(t), {t, (t + 1) % 6}});
    }
    QByteArray rows(8 * 6, '\0');
    for (int i = 0; i < rows.size(); ++i)
        rows[i] = char(i < 16 ? 0x11 : i * 7);
    doc.pictures = {{0, false, 13, 6, help::winhelp::bmpFile(13, 6, 4, {0, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, rows)},
                    {1, true, 2540, 1270, {}}};
    doc.contextNumbers = {{100, 0}, {200, 3}};
    using Phr = help::WinHelpWriteOptions::Phrases;
    struct Seed {
        const char *name;
        int minor;
        bool lz77;
        Phr phrases;
    };
    for (const Seed &s : {Seed{"plain", 33, false, Phr::None}, Seed{"lz77", 33, true, Phr::None},
                          Seed{"old-phrases", 33, true, Phr::Old}, Seed{"hall", 33, true, Phr::Hall},
                          Seed{"hall-plain", 33, false, Phr::Hall}, Seed{"winhelp31", 21, true, Phr::Old}}) {
        help::WinHelpWriteOptions o;
        o.minor = s.minor;
        o.lz77 = s.lz77;
        o.phrases = s.phrases;
        o.picturePacking = s.lz77 ? 3 : 1;
        QFile f(QDir(QString::fromLocal8Bit(argv[1])).filePath(QString::fromLatin1(s.name) + QStringLiteral(".hlp")));
        if (!f.open(QIODevice::WriteOnly) || f.write(help::writeWinHelp(doc, o)) < 0)
            return 1;
    }
    return 0;
}
