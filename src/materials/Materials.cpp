#include "Materials.h"
#include "common/Dialogs.h"

#include <QRegularExpression>
#include <QStringList>

namespace materials {

const Section *section(int number)
{
    // Statement lines are kept exactly as the program has always issued them,
    // including the doubled space in the lecture search and the trailing blanks.
    static const Section sections[3] = {
        {1, QStringLiteral("Теория"), QStringLiteral("Лекции"), QStringLiteral("НазваниеЛекции"),
         QStringLiteral("АдресЛекции"), QStringLiteral("select * from Лекции"),
         QStringLiteral("where НазваниеЛекции  Like :a "),
         QStringLiteral("Insert into Лекции(НазваниеЛекции,АдресЛекции)"), QStringLiteral("delete from Лекции "),
         QStringLiteral("where АдресЛекции=:a1"), QStringLiteral("Все файлы |*.*")},
        {2, QStringLiteral("Практика"), QStringLiteral("Лабы"), QStringLiteral("НазваниеЛабы"),
         QStringLiteral("АдресЛабы"), QStringLiteral("select * from Лабы"), QStringLiteral("where НазваниеЛабы Like :a "),
         QStringLiteral("Insert into Лабы(НазваниеЛабы,АдресЛабы)"), QStringLiteral("delete from Лабы "),
         QStringLiteral("where АдресЛабы=:a1"), QStringLiteral("Все файлы |*.*")},
        {3, QStringLiteral("Видео"), QStringLiteral("Видео"), QStringLiteral("НазваниеВидео"),
         QStringLiteral("АдресВидео"), QStringLiteral("select * from Видео"),
         QStringLiteral("where НазваниеВидео Like :a "),
         QStringLiteral("Insert into Видео(НазваниеВидео,АдресВидео)"), QStringLiteral("delete from Видео "),
         QStringLiteral("where АдресВидео=:a1"), QStringLiteral("Видео (*.avi,*.wmv,*.mpg)|*.avi;*.wmv;*.mpg")},
    };
    if (number < 1 || number > 3)
        return nullptr;
    return &sections[number - 1];
}

QString qtFileFilter(const QString &barFilter)
{
    if (barFilter.isEmpty())
        return QString();
    static const QRegularExpression listed(QStringLiteral("\\s*\\([^()]*\\*[^()]*\\)\\s*$"));
    const QStringList parts = barFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts.at(i);
        QStringList patterns;
        if (i + 1 < parts.size())
            for (const QString &p : parts.at(i + 1).split(QLatin1Char(';')))
                if (!p.trimmed().isEmpty())
                    // "*.*" is every file where these filters come from; here it
                    // would hide every name without a dot.
                    patterns << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        description.remove(listed);
        description = description.trimmed();
        if (description.isEmpty())
            description = patterns.join(QLatin1Char(' '));
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

bool OpenDialog::Execute(QWidget *parent)
{
    const QString chosen = ui::dialogs().openFile(parent, qtFileFilter(Filter), FileName);
    if (chosen.isEmpty())
        return false;
    FileName = chosen;
    return true;
}

} // namespace materials
