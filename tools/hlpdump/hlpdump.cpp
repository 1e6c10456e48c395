// Prints what the help reader finds in a .hlp file: for trying a teacher's help
// file, and for seeing what a legacy course's help would bring over.
//   etextbook-hlpdump FILE.hlp
#include "app/help/WinHelpFile.h"

#include <QFile>
#include <QTextStream>

namespace {

QString linkText(const help::HelpDocument &doc, const help::HelpLink &link)
{
    switch (link.kind) {
    case help::HelpLink::None: return {};
    case help::HelpLink::Macro: return QStringLiteral("макрос %1").arg(link.macro);
    case help::HelpLink::Jump:
    case help::HelpLink::Popup: {
        const QString kind = link.kind == help::HelpLink::Jump ? QStringLiteral("переход") : QStringLiteral("всплывающее окно");
        if (!link.file.isEmpty())
            return QStringLiteral("%1 в файл %2").arg(kind, link.file);
        if (link.topic >= 0 && link.topic < doc.topics.size())
            return QStringLiteral("%1 к разделу %2").arg(kind).arg(link.topic + 1);
        return QStringLiteral("%1 к неизвестному разделу %2").arg(kind).arg(link.hash, 8, 16, QLatin1Char('0'));
    }
    }
    return {};
}

QString paragraphText(const help::HelpDocument &doc, const help::HelpParagraph &p)
{
    QString out;
    for (const help::HelpRun &run : p.runs) {
        if (run.picture >= 0 && run.picture < doc.pictures.size()) {
            out += QStringLiteral("[рисунок %1]").arg(doc.pictures[run.picture].number);
            continue;
        }
        QString text = run.text;
        text.replace(u'\n', QStringLiteral("\n    "));
        const QString link = linkText(doc, run.link);
        out += link.isEmpty() ? text : QStringLiteral("[%1 → %2]").arg(text, link);
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QTextStream out(stdout), err(stderr);
    if (argc != 2) {
        err << "Использование: etextbook-hlpdump ФАЙЛ.hlp\n";
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << QStringLiteral("Не удалось открыть файл «%1»: %2. Проверьте имя файла и права на чтение.\n")
                   .arg(path, file.errorString());
        return 1;
    }
    help::HelpDocument doc;
    try {
        doc = help::readWinHelp(file.read(help::kMaxHelpFileSize + 1));
    } catch (const help::WinHelpError &e) {
        err << QStringLiteral("Файл «%1» не прочитан: %2.\n").arg(path, e.reason());
        return 1;
    }

    out << QStringLiteral("Название: %1\n").arg(doc.title.isEmpty() ? QStringLiteral("(нет)") : doc.title);
    out << QStringLiteral("Кодовая страница: %1\n").arg(doc.codePage);
    out << QStringLiteral("Разделов: %1, ключевых слов: %2, рисунков: %3, пропущено неизвестных записей: %4\n")
               .arg(doc.topics.size()).arg(doc.keywords.size()).arg(doc.pictures.size()).arg(doc.skipped);

    out << QStringLiteral("\nКлючевые слова:\n");
    for (const help::HelpKeyword &k : doc.keywords) {
        QStringList topics;
        for (int t : k.topics)
            topics.append(QString::number(t + 1));
        out << QStringLiteral("  %1 → %2\n").arg(k.text, topics.join(QStringLiteral(", ")));
    }

    out << QStringLiteral("\nРисунки:\n");
    for (const help::HelpPicture &p : doc.pictures) {
        if (p.metafile)
            out << QStringLiteral("  |bm%1: метафайл %2 × %3\n").arg(p.number).arg(p.width).arg(p.height);
        else
            out << QStringLiteral("  |bm%1: растр %2 × %3%4\n")
                       .arg(p.number).arg(p.width).arg(p.height)
                       .arg(p.bmp.isEmpty() ? QStringLiteral(" (не разобран)") : QString());
    }

    for (int t = 0; t < doc.topics.size(); ++t) {
        const help::HelpTopic &topic = doc.topics[t];
        out << QStringLiteral("\n=== Раздел %1: %2\n").arg(t + 1).arg(topic.title);
        int lastRow = -1;
        for (const help::HelpParagraph &p : topic.paragraphs) {
            if (p.row >= 0 && p.row != lastRow)
                out << QStringLiteral("  [строка таблицы]\n");
            lastRow = p.row;
            out << (p.row >= 0 ? QStringLiteral("    | ") : QStringLiteral("  ")) << paragraphText(doc, p) << '\n';
        }
    }
    return 0;
}
