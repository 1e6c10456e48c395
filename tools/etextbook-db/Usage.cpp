#include "Usage.h"

#include <QStringList>

namespace usage {

namespace {

constexpr int kWidth = 79;

// The commands, in the order they are listed. Texts are Russian like every
// message of the tool; placeholders are upper case.
const QList<Command> kCommands = {
    {"create", "ПАПКА --admin-password ПАРОЛЬ", "создать новый пустой курс",
     "Создаёт в ПАПКЕ новый пустой курс: базу данных db.mdb с шестью таблицами и единственной "
     "учётной записью Admin с указанным паролем, пустую страницу Clear.htm и справку help.hlp. "
     "ПАПКА создаётся, если её ещё нет.\n\n"
     "Существующие файлы никогда не перезаписываются: если в ПАПКЕ уже есть db.mdb, Clear.htm "
     "или help.hlp, команда ничего не меняет и завершается с ошибкой.",
     {{"--admin-password ПАРОЛЬ",
       "пароль учётной записи Admin; обязателен, не пустой и не длиннее 50 знаков. "
       "Можно писать и --admin-password=ПАРОЛЬ."}},
     {{"etextbook-db create /srv/etextbook --admin-password 'Секрет-2026'",
       "общий курс для всех пользователей компьютера; etextbook-launcher(1) находит его сам."}}},
    {"demo", "ПАПКА", "создать демонстрационный курс «Основы информатики»",
     "Создаёт в ПАПКЕ демонстрационный курс «Основы информатики»: 72 вопроса теста, 4 лекции "
     "и 4 лабораторные работы (страницы HTML с рисунками и документ PDF), два коротких видео, "
     "шесть учётных записей и шесть результатов тестирования. Пароль Admin — admin; логины и "
     "пароли учеников команда выводит по окончании.\n\n"
     "Существующие файлы никогда не перезаписываются: если в ПАПКЕ уже есть db.mdb или любой "
     "файл демонстрационного курса, команда ничего не меняет и завершается с ошибкой.",
     {},
     {{"etextbook-db demo ~/демо", "демонстрационный курс в домашней папке."}}},
    {"import", "СТАРЫЙ.mdb ПАПКА [--admin-password ПАРОЛЬ] [--map-path ОТКУДА=КУДА]... [--jet3-charset КОДИРОВКА]",
     "преобразовать курс прежней версии (файл Microsoft Access) в новый курс",
     "Создаёт в ПАПКЕ новый курс и переносит в него, в одной транзакции, все строки шести "
     "таблиц курса прежней версии для Windows из файла Microsoft Access СТАРЫЙ.mdb (Jet 3 или "
     "Jet 4), с их ключами и датами результатов. Учётная запись Admin старого курса сохраняет "
     "свой пароль. Адреса материалов переносятся как записаны (пути Windows, например "
     "C:\\Курс\\lec1.htm), если их не исправляет --map-path; исправить их можно и потом "
     "командой map-paths.\n\n"
     "Если СТАРЫЙ.mdb — это сам ПАПКА/db.mdb, курс преобразуется на месте: файл Access "
     "сохраняется рядом как db.mdb.access-backup, имеющиеся Clear.htm и help.hlp остаются.",
     {{"--admin-password ПАРОЛЬ",
       "пароль новой учётной записи Admin; нужен, только если в старом курсе её нет."},
      {"--map-path ОТКУДА=КУДА",
       "заменить в адресах материалов начало ОТКУДА на КУДА, например --map-path "
       "'C:\\Курс\\=/srv/курс/'. Можно указать несколько раз; действует самое длинное "
       "подходящее начало, регистр букв не важен."},
      {"--jet3-charset КОДИРОВКА",
       "кодировка текста файла Access 97 (Jet 3); по умолчанию CP1251 или значение переменной "
       "окружения MDB_JET3_CHARSET."}},
     {{"etextbook-db import /media/usb/db.mdb ~/курс --map-path 'D:\\=/media/usb/'",
       "перенести курс с флешки в новую папку; материалы, что были на диске D:, теперь на флешке."},
      {"etextbook-db import ~/курс/db.mdb ~/курс", "преобразовать курс на месте."}}},
    {"map-paths", "ПАПКА ОТКУДА=КУДА... [--dry-run]", "исправить адреса материалов курса",
     "Заменяет в адресах лекций, лабораторных работ и видео курса в ПАПКЕ начало ОТКУДА на "
     "КУДА по тем же правилам, что --map-path команды import: правил может быть несколько, "
     "действует самое длинное подходящее начало, регистр букв не важен.",
     {{"--dry-run", "только показать, что изменилось бы, ничего не записывая."}},
     {{"etextbook-db map-paths ~/курс 'C:\\Курс\\=/home/учитель/курс/' --dry-run",
       "посмотреть, какие адреса изменятся."}}},
    {"export-results", "ПАПКА -o ФАЙЛ.xlsx|ФАЙЛ.csv [--group ГРУППА] [--login ЛОГИН]",
     "выгрузить результаты тестирования для электронной таблицы",
     "Записывает результаты тестирования курса в ПАПКЕ в книгу Excel (все результаты, и на "
     "каждую группу лист с итогами и диаграммой) или в файл CSV, по расширению имени файла. "
     "Существующий файл не перезаписывается.",
     {{"-o ФАЙЛ, --output ФАЙЛ", "файл результатов, .xlsx или .csv; обязателен."},
      {"--group ГРУППА", "только результаты учеников этой группы."},
      {"--login ЛОГИН", "только результаты этого ученика."}},
     {{"etextbook-db export-results ~/курс -o итоги.xlsx --group 9А", "результаты 9А для Excel."}}},
    {"import-questions", "ПАПКА ФАЙЛ [--encoding utf-8|cp1251] [--skip-bad] [--check]",
     "добавить в банк вопросы из файла Aiken или GIFT (Moodle)",
     "Добавляет в банк вопросов курса в ПАПКЕ вопросы из ФАЙЛА в формате Aiken или GIFT "
     "(Moodle), в одной транзакции: файл с негодным вопросом не добавляется целиком, если не "
     "указан --skip-bad.",
     {{"--encoding utf-8|cp1251", "кодировка файла."},
      {"--skip-bad", "пропустить негодные вопросы и добавить остальные."},
      {"--check", "только проверить файл, ничего не добавляя."}},
     {{"etextbook-db import-questions ~/курс вопросы.txt --check", "проверить файл вопросов."}}},
    {"export-questions", "ПАПКА -o ФАЙЛ --format aiken|gift",
     "записать банк вопросов в файл для другой системы тестирования",
     "Записывает банк вопросов курса в ПАПКЕ в ФАЙЛ в формате Aiken или GIFT (Moodle). "
     "Существующий файл не перезаписывается.",
     {{"-o ФАЙЛ, --output ФАЙЛ", "файл вопросов; обязателен."},
      {"--format aiken|gift", "формат файла; обязателен."}},
     {{"etextbook-db export-questions ~/курс -o банк.gift --format gift", "банк вопросов для Moodle."}}},
};

const QList<ExitCode> kExitCodes = {
    {0, "команда выполнена; также после --help и --version."},
    {1, "ошибка: неверная командная строка, папка уже занята, файл не удалось прочитать или "
        "записать. Причина выводится в стандартный поток ошибок; в папке курса ничего не "
        "меняется."},
};

const char kToolName[] = "etextbook-db";
const char kPurpose[] = "Создаёт папки курсов программы «Электронный учебник» и переносит в них курсы прежней версии.";
const char kNoOverwrite[] = "Существующие файлы никогда не перезаписываются.";

QString u(const char *text) { return QString::fromUtf8(text); }

// Words of text laid out in lines of at most kWidth characters, each line indented.
QString wrap(const QString &text, int indent)
{
    const QString pad(indent, QLatin1Char(' '));
    QStringList out;
    for (const QString &paragraph : text.split(QStringLiteral("\n\n"))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && indent + line.size() + 1 + word.size() > kWidth) {
                out << pad + line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        out << pad + line << QString();
    }
    out.removeLast();
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// A synopsis laid out like text, continuation lines indented further.
QString wrapSynopsis(const QString &first, const QString &arguments, int indent)
{
    QStringList lines{first};
    for (const QString &word : arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lines.last().size() + 1 + word.size() > kWidth)
            lines << QString(indent, QLatin1Char(' ')) + word;
        else
            lines.last() += QLatin1Char(' ') + word;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString exitCodesText()
{
    QString s = QStringLiteral("Коды завершения:\n");
    for (const ExitCode &e : kExitCodes)
        s += QStringLiteral("  %1  ").arg(e.code) + wrap(u(e.text), 5).mid(5);
    return s;
}

// roff: a backslash and a minus are escaped, and a line never starts with a
// control character.
QString roff(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    s.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    s.replace(QLatin1Char('\''), QStringLiteral("\\(aq"));
    if (s.startsWith(QLatin1Char('.')))
        s.prepend(QStringLiteral("\\&"));
    return s;
}

// Options in bold, placeholders in italics, brackets plain.
QString roffArguments(const QString &arguments)
{
    QStringList words;
    for (QString word : arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QString open, close;
        while (word.startsWith(QLatin1Char('['))) {
            open += QLatin1Char('[');
            word.remove(0, 1);
        }
        while (word.endsWith(QLatin1Char(']'))) {
            close += QLatin1Char(']');
            word.chop(1);
        }
        const char *font = word.startsWith(QLatin1Char('-')) ? "\\fB" : "\\fI";
        words << open + QLatin1String(font) + roff(word) + QStringLiteral("\\fR") + close;
    }
    return words.join(QLatin1Char(' '));
}

QString roffParagraphs(const QString &text)
{
    QStringList out;
    for (const QString &p : text.split(QStringLiteral("\n\n")))
        out << roff(p);
    return out.join(QStringLiteral("\n.PP\n")) + QLatin1Char('\n');
}

} // namespace

const QList<Command> &commands() { return kCommands; }
const QList<ExitCode> &exitCodes() { return kExitCodes; }

const Command *findCommand(const QString &name)
{
    for (const Command &c : kCommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QString synopsis(const Command &command)
{
    return QStringLiteral("%1 %2 %3").arg(QLatin1String(kToolName), QLatin1String(command.name), u(command.arguments));
}

QString overview()
{
    QString s = QStringLiteral("Использование: etextbook-db КОМАНДА ПАРАМЕТРЫ...\n") + wrap(u(kPurpose), 0)
                + QStringLiteral("\nКоманды:\n");
    for (const Command &c : kCommands)
        s += wrapSynopsis(QStringLiteral("  etextbook-db ") + QLatin1String(c.name), u(c.arguments), 8)
             + wrap(u(c.summary), 6);
    s += QStringLiteral("\n"
                        "  etextbook-db КОМАНДА --help   подробно об одной команде\n"
                        "  etextbook-db --help, -h       эта справка\n"
                        "  etextbook-db --version        версия программы\n"
                        "\n")
         + u(kNoOverwrite) + QStringLiteral("\n\n") + exitCodesText()
         + QStringLiteral("\nПолное описание: man etextbook-db\n");
    return s;
}

QString commandUsage(const Command &command)
{
    return wrapSynopsis(QStringLiteral("Использование: etextbook-db ") + QLatin1String(command.name), u(command.arguments), 8)
           + QStringLiteral("Подробнее: etextbook-db %1 --help\n").arg(QLatin1String(command.name));
}

QString commandHelp(const Command &command)
{
    QString s = wrapSynopsis(QStringLiteral("Использование: etextbook-db ") + QLatin1String(command.name), u(command.arguments), 8)
                + wrap(u(command.summary), 0)
                + QLatin1Char('\n') + wrap(u(command.description), 0);
    if (!command.options.isEmpty()) {
        s += QStringLiteral("\nПараметры:\n");
        for (const Option &o : command.options)
            s += QStringLiteral("  ") + u(o.name) + QLatin1Char('\n') + wrap(u(o.text), 6);
    }
    if (!command.examples.isEmpty()) {
        s += QStringLiteral("\nПримеры:\n");
        for (const Example &e : command.examples)
            s += QStringLiteral("  ") + u(e.commandLine) + QLatin1Char('\n') + wrap(u(e.text), 6);
    }
    s += QLatin1Char('\n') + exitCodesText();
    return s;
}

QString manPage(const QString &version, const QString &date)
{
    QString s;
    s += QStringLiteral(".\\\" Printed from the course tool's own command table; do not edit.\n");
    s += QStringLiteral(".TH ETEXTBOOK\\-DB 1 \"%1\" \"etextbook %2\" \"Электронный учебник\"\n.nh\n.ad l\n").arg(date, version);
    s += QStringLiteral(".SH ИМЯ\netextbook\\-db \\- создание папок курсов программы «Электронный учебник»\n");
    s += QStringLiteral(".SH ОБЗОР\n");
    for (const Command &c : kCommands)
        s += QStringLiteral(".B etextbook\\-db %1\n").arg(roff(u(c.name))) + roffArguments(u(c.arguments)) + QStringLiteral("\n.br\n");
    s += QStringLiteral(".B etextbook\\-db\n\\fIКОМАНДА\\fR \\fB\\-\\-help\\fR\n.br\n"
                        ".B etextbook\\-db \\-\\-help\n.br\n"
                        ".B etextbook\\-db \\-\\-version\n");
    s += QStringLiteral(".SH ОПИСАНИЕ\n") + roff(u(kPurpose)) + QLatin1Char('\n')
         + QStringLiteral(".PP\n"
                          "Курс программы \\(em это папка: база данных \\fBdb.mdb\\fR (файл SQLite 3), пустая "
                          "страница \\fBClear.htm\\fR, справка \\fBhelp.hlp\\fR и файлы учебных материалов. "
                          "Программа \\fBetextbook\\fR открывает курс своей рабочей папки; "
                          "\\fBetextbook\\-launcher\\fR(1) выбирает папку курса и запускает программу в ней.\n"
                          ".PP\n")
         + roff(u(kNoOverwrite))
         + QStringLiteral(" База данных пишется под временным именем и переименовывается в конце, поэтому "
                          "db.mdb либо готов целиком, либо его нет; при ошибке всё записанное командой "
                          "удаляется, и её можно просто повторить.\n");
    s += QStringLiteral(".SH КОМАНДЫ\n");
    for (const Command &c : kCommands) {
        s += QStringLiteral(".SS \"%1\"\n").arg(roff(u(c.name) + QLatin1Char(' ') + u(c.arguments)));
        s += roff(u(c.summary)).replace(0, 1, roff(u(c.summary)).left(1).toUpper()) + QStringLiteral(".\n.PP\n");
        s += roffParagraphs(u(c.description));
        for (const Option &o : c.options)
            s += QStringLiteral(".TP\n") + roffArguments(u(o.name)) + QLatin1Char('\n') + roff(u(o.text)) + QLatin1Char('\n');
    }
    s += QStringLiteral(".SH ПАРАМЕТРЫ\n"
                        ".TP\n\\fB\\-\\-help\\fR, \\fB\\-h\\fR\n"
                        "Показать краткую справку и выйти. После имени команды \\(em справку по этой команде.\n"
                        ".TP\n\\fB\\-\\-version\\fR\nПоказать версию и выйти.\n");
    s += QStringLiteral(".SH \"КОДЫ ЗАВЕРШЕНИЯ\"\n");
    for (const ExitCode &e : kExitCodes)
        s += QStringLiteral(".TP\n.B %1\n").arg(e.code) + roff(u(e.text)) + QLatin1Char('\n');
    s += QStringLiteral(".SH ОКРУЖЕНИЕ\n"
                        ".TP\n.B MDB_JET3_CHARSET\n"
                        "Кодировка текстов файлов Jet 3 (Access 97) для команды \\fBimport\\fR; "
                        "по умолчанию windows\\-1251.\n");
    s += QStringLiteral(".SH ФАЙЛЫ\n"
                        ".TP\n.IR ПАПКА /db.mdb\nБаза данных курса.\n"
                        ".TP\n.IR ПАПКА /Clear.htm\nПустая страница окна материалов.\n"
                        ".TP\n.IR ПАПКА /help.hlp\nСправка программы.\n"
                        ".TP\n.IR ПАПКА /db.mdb.access\\-backup\n"
                        "Прежний файл Access после преобразования на месте.\n");
    s += QStringLiteral(".SH ПРИМЕРЫ\n");
    for (const Command &c : kCommands) {
        for (const Example &e : c.examples) {
            s += QStringLiteral(".PP\n") + roff(u(e.text)).replace(0, 1, roff(u(e.text)).left(1).toUpper())
                 + QStringLiteral("\n.PP\n.RS 4\n.nf\n") + roff(u(e.commandLine)) + QStringLiteral("\n.fi\n.RE\n");
        }
    }
    s += QStringLiteral(".SH \"СМОТРИТЕ ТАКЖЕ\"\n.BR etextbook\\-launcher (1),\n.BR etextbook (1)\n");
    return s;
}

} // namespace usage
