// Seeds for the fuzz corpus: small files made by our writer in each compression.
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
        doc.topics.append(topic);
        doc.keywords.append({QStringLiteral("слово %1").arg(t), {t, (t + 1) % 6}});
    }
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
        QFile f(QDir(QString::fromLocal8Bit(argv[1])).filePath(QString::fromLatin1(s.name) + QStringLiteral(".hlp")));
        if (!f.open(QIODevice::WriteOnly) || f.write(help::writeWinHelp(doc, o)) < 0)
            return 1;
    }
    return 0;
}
