// Writes seed Access files (a small old course in Jet 4 and in Jet 3) for the
// importer's fuzzer into the folder given.
#include "JetWriter.h"

#include <QDir>
#include <QFile>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    using jetwriter::Type;
    QString memo;
    for (int i = 0; i < 3000; ++i)
        memo += QChar(0x410 + i % 32);
    const QList<jetwriter::Table> course = {
        {QStringLiteral("БДТест"),
         {{"Код", Type::Long}, {"Вопрос", Type::Memo}, {"Ответ1", Type::Text}, {"ОтветПр", Type::Text}},
         {{1, "Сколько бит в байте?", "8", "1"}, {2, memo, QVariant(), "2"}}},
        {QStringLiteral("Пользователи"),
         {{"Логин", Type::Text}, {"Пароль", Type::Text}, {"Группа", Type::Text}},
         {{"Admin", "пароль", ""}, {"Иванов", "1", QVariant()}}},
        {QStringLiteral("Тесты"),
         {{"Пользователь", Type::Text}, {"Верно", Type::Long}, {"Дата", Type::DateTime}},
         {{"Иванов", 27, QDateTime(QDate(2004, 5, 17), QTime(10, 30))}}},
        {QStringLiteral("Лекции"), {{"НазваниеЛекции", Type::Text}, {"АдресЛекции", Type::Text}},
         {{"Лекция", "C:\\Курс\\1.htm"}}},
        {QStringLiteral("Лабы"), {{"НазваниеЛабы", Type::Text}, {"АдресЛабы", Type::Text}}, {}},
        {QStringLiteral("Видео"), {{"НазваниеВидео", Type::Text}, {"АдресВидео", Type::Double}}, {{"Фильм", 1.5}}},
    };
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (auto [name, version] : {std::pair{"jet4.mdb", jetwriter::Version::Jet4}, std::pair{"jet3.mdb", jetwriter::Version::Jet3}}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(jetwriter::write(course, version)) < 0)
            return 1;
    }
    return 0;
}
