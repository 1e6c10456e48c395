#include "Exchange.h"
#include "ExchangeCommands.h"

#include "formats/ResultsTable.h"
#include "formats/ResultsXlsx.h"

#include "common/Errors.h"
#include "data/Connection.h"
#include "data/EngineErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QSet>
#include <QVariant>

#include <climits>

namespace course {
namespace {

// A question file larger than this is surely not one.
constexpr qint64 kMaxQuestionFile = 32 * 1024 * 1024;
// Refusals listed in one message; the rest are counted.
constexpr qsizetype kListed = 30;

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

void openCourse(data::Connection &conn, const QString &dir)
{
    const QFileInfo info(dir);
    if (!info.isDir())
        throw AppError(QStringLiteral("Папка курса «%1» не найдена: укажите папку, в которой лежит db.mdb")
                           .arg(shown(dir)));
    conn.open(QDir(info.absoluteFilePath()).filePath(QString::fromLatin1(data::Connection::kFileName)));
}

QSqlQuery select(data::Connection &conn, const QString &sql)
{
    QSqlQuery q(conn.database());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        data::throwEngineError(q.lastError());
    return q;
}

std::optional<int> wholeNumber(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < INT_MIN || n > INT_MAX)
        return std::nullopt;
    return int(n);
}

// The output file is written beside its final name and renamed at the end, so it
// is complete or absent; an existing file is never replaced.
class NewFile {
public:
    explicit NewFile(const QString &file) : target_(QFileInfo(file).absoluteFilePath())
    {
        const QFileInfo info(target_);
        if (info.exists())
            throw AppError(QStringLiteral("Файл «%1» уже существует; он не будет перезаписан. Укажите другое имя "
                                          "или удалите файл сами")
                               .arg(shown(target_)));
        if (!QFileInfo(info.path()).isDir())
            throw AppError(QStringLiteral("Папка «%1» не найдена: создайте её или укажите другой путь для файла")
                               .arg(shown(info.path())));
        temp_ = QDir(info.path()).filePath(QStringLiteral(".%1.%2.tmp")
                                               .arg(info.fileName(), QUuid::createUuid().toString(QUuid::WithoutBraces)));
    }
    ~NewFile()
    {
        if (!done_)
            QFile::remove(temp_);
    }
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    const QString &temp() const { return temp_; }
    const QString &target() const { return target_; }

    void write(const QByteArray &bytes)
    {
        QFile f(temp_);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly) || f.write(bytes) != bytes.size() || !f.flush())
            throw AppError(QStringLiteral("Не удалось записать файл «%1»: %2. Проверьте место на диске и права на "
                                          "запись в папку")
                               .arg(shown(target_), f.errorString()));
    }
    void finish()
    {
        if (!QFile::rename(temp_, target_))
            throw AppError(QStringLiteral("Не удалось создать файл «%1»: файл уже существует или папка недоступна "
                                          "для записи")
                               .arg(shown(target_)));
        done_ = true;
    }

private:
    QString target_;
    QString temp_;
    bool done_ = false;
};

QString encodingName(qformats::Encoding e)
{
    return e == qformats::Encoding::Cp1251  ? QStringLiteral("Windows-1251")
           : e == qformats::Encoding::Utf16 ? QStringLiteral("UTF-16")
                                            : QStringLiteral("UTF-8");
}

QString formatName(qformats::Format f)
{
    return f == qformats::Format::Gift ? QStringLiteral("GIFT") : QStringLiteral("Aiken");
}

QStringList listed(const QStringList &items)
{
    QStringList out;
    for (qsizetype i = 0; i < items.size() && i < kListed; ++i)
        out << QStringLiteral("  ") + items[i];
    if (items.size() > kListed)
        out << QStringLiteral("  … и ещё %1").arg(items.size() - kListed);
    return out;
}

} // namespace

QStringList exportResults(const QString &dir, const QString &file, const ResultsFilter &filter)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv"))
        throw AppError(QStringLiteral("Файл результатов «%1» должен оканчиваться на .xlsx (книга Excel) или .csv")
                           .arg(shown(file)));
    // Refused before the course is read: a taken name is the cheapest mistake to report.
    NewFile out(file);
    data::Connection conn;
    openCourse(conn, dir);
    QList<results::StoredResult> stored;
    {
        QSqlQuery q = select(conn, QStringLiteral("select Код, Пользователь, Верно, Дата from Тесты order by Код"));
        while (q.next())
            stored << results::StoredResult{q.value(0).toLongLong(), q.value(1).toString(), wholeNumber(q.value(2)),
                                            q.value(3).toString()};
    }
    QList<results::Account> accounts;
    {
        QSqlQuery q = select(conn, QStringLiteral("select Логин, Группа from Пользователи"));
        while (q.next())
            accounts << results::Account{q.value(0).toString(), q.value(1).toString()};
    }
    conn.close();

    QList<results::Row> rows;
    for (const results::Row &r : results::joinGroups(stored, accounts)) {
        if (filter.login && r.login != *filter.login)
            continue;
        if (filter.group && (r.kind != results::GroupKind::Known || r.group != *filter.group))
            continue;
        rows << r;
    }
    if (rows.isEmpty()) {
        QStringList what;
        if (filter.group)
            what << QStringLiteral("группы «%1»").arg(*filter.group);
        if (filter.login)
            what << QStringLiteral("логина «%1»").arg(*filter.login);
        throw AppError(what.isEmpty()
                           ? QStringLiteral("В курсе «%1» пока нет результатов тестирования; файл не создан")
                                 .arg(shown(dir))
                           : QStringLiteral("Нет результатов для %1 (логин и группа сравниваются точно, с учётом "
                                            "регистра); файл не создан")
                                 .arg(what.join(QStringLiteral(" и "))));
    }
    const QList<results::GroupSummary> groups = results::summarize(rows);

    if (suffix == QLatin1String("csv")) {
        out.write(results::toCsv(rows));
    } else {
        const QString failure = results::writeXlsx(out.temp(), rows, groups);
        if (!failure.isEmpty())
            throw AppError(QStringLiteral("Не удалось записать файл «%1»: %2. Проверьте место на диске и права на "
                                          "запись в папку")
                               .arg(shown(out.target()), failure));
    }
    out.finish();

    QStringList summary = {QStringLiteral("Результаты выгружены в «%1»: результатов %2 (%3).")
                               .arg(shown(out.target()))
                               .arg(rows.size())
                               .arg(suffix == QLatin1String("csv")
                                        ? QStringLiteral("CSV: UTF-8, разделитель «;»")
                                        : QStringLiteral("книга Excel: все результаты и лист на каждую группу"))};
    for (const results::GroupSummary &g : groups)
        summary << QStringLiteral("  %1: результатов %2, средний балл %3")
                       .arg(g.label)
                       .arg(g.results)
                       .arg(g.scored ? QString::number(g.mean, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','))
                                     : QStringLiteral("—"));
    return summary;
}

QStringList importQuestions(const QString &dir, const QString &file, const ImportOptions &options)
{
    QFile f(file);
    const QFileInfo info(file);
    if (!info.exists() || info.isDir())
        throw AppError(QStringLiteral("Файл вопросов «%1» не найден").arg(shown(file)));
    if (info.size() > kMaxQuestionFile)
        throw AppError(QStringLiteral("Файл «%1» слишком большой для файла вопросов (больше 32 МБ)").arg(shown(file)));
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(shown(file), f.errorString()));
    const QByteArray bytes = f.readAll();

    qformats::ReadResult read;
    try {
        read = qformats::readQuestions(bytes, options.encoding);
    } catch (const qformats::FileError &e) {
        throw AppError(QStringLiteral("Файл «%1», %2. Ничего не записано").arg(shown(file), e.refusal.text()));
    }
    QStringList refused;
    for (const qformats::Refusal &r : read.refusals)
        refused << r.text();
    const QString source = QStringLiteral("«%1» (%2, %3)")
                               .arg(shown(file), formatName(read.format), encodingName(read.encoding));
    if (!refused.isEmpty() && !options.skipBad)
        throw AppError((QStringList{QStringLiteral("В файле %1 есть вопросы, которые нельзя сохранить в банке (нужно "
                                                   "от двух до пяти вариантов и ровно один верный):")
                                        .arg(source)} +
                        listed(refused) +
                        QStringList{QStringLiteral("Ничего не записано. Исправьте эти вопросы или запустите команду с "
                                                   "--skip-bad, чтобы добавить остальные")})
                           .join(QLatin1Char('\n')));
    if (read.questions.isEmpty())
        throw AppError(QStringLiteral("В файле %1 не найдено ни одного вопроса, который можно добавить (ожидается "
                                      "формат Aiken или GIFT). Ничего не записано")
                           .arg(source));

    data::Connection conn;
    openCourse(conn, dir);
    qlonglong before = 0;
    {
        QSqlQuery q = select(conn, QStringLiteral("select count(*) from БДТест"));
        if (q.next())
            before = q.value(0).toLongLong();
    }
    if (!options.check) {
        conn.transaction([&] {
            QSqlQuery q(conn.database());
            if (!q.prepare(QStringLiteral("insert into БДТест(Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр) "
                                          "values (?, ?, ?, ?, ?, ?, ?)")))
                data::throwEngineError(q.lastError());
            for (const qformats::Question &question : read.questions) {
                q.addBindValue(question.text);
                for (const QString &o : question.options)
                    q.addBindValue(o.isNull() ? QString(QLatin1String("")) : o);
                q.addBindValue(question.correct);
                if (!q.exec())
                    data::throwEngineError(q.lastError());
            }
        });
    }
    conn.close();

    QStringList out;
    if (options.check)
        out << QStringLiteral("Проверка файла %1: можно добавить вопросов: %2; в банке сейчас %3. Ничего не записано "
                              "(--check)")
                   .arg(source)
                   .arg(read.questions.size())
                   .arg(before);
    else
        out << QStringLiteral("Из файла %1 добавлено вопросов: %2; теперь в банке %3")
                   .arg(source)
                   .arg(read.questions.size())
                   .arg(before + read.questions.size());
    if (!refused.isEmpty())
        out << QStringLiteral("Пропущено вопросов (--skip-bad): %1").arg(refused.size()) << listed(refused);
    return out;
}

QStringList exportQuestions(const QString &dir, const QString &file, qformats::Format format)
{
    NewFile out(file);
    data::Connection conn;
    openCourse(conn, dir);
    QList<qformats::Question> bank;
    QStringList problems;
    {
        QSqlQuery q = select(conn, QStringLiteral("select Код, Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр "
                                                  "from БДТест order by Код"));
        while (q.next()) {
            qformats::Question question;
            question.text = q.value(1).toString();
            for (int i = 0; i < qformats::kMaxOptions; ++i)
                question.options[size_t(i)] = q.value(2 + i).toString();
            question.correct = wholeNumber(q.value(7)).value_or(0);
            question.optionCount = qformats::optionsToWrite(question.options, question.correct);
            const QString why = qformats::cannotWrite(question, format);
            if (!why.isEmpty())
                problems << QStringLiteral("вопрос с кодом %1: %2").arg(q.value(0).toLongLong()).arg(why);
            bank << question;
        }
    }
    conn.close();
    if (bank.isEmpty())
        throw AppError(QStringLiteral("В банке вопросов курса «%1» нет вопросов; файл не создан").arg(shown(dir)));
    if (!problems.isEmpty())
        throw AppError((QStringList{QStringLiteral("Не все вопросы банка можно записать в формате %1:")
                                        .arg(formatName(format))} +
                        listed(problems) +
                        QStringList{QStringLiteral("Файл не создан. Исправьте эти вопросы в редакторе вопросов")})
                           .join(QLatin1Char('\n')));
    out.write((format == qformats::Format::Gift ? qformats::writeGift(bank) : qformats::writeAiken(bank)).toUtf8());
    out.finish();
    return {QStringLiteral("Вопросы банка (%1) записаны в «%2» в формате %3 (UTF-8)")
                .arg(bank.size())
                .arg(shown(out.target()), formatName(format))};
}

// ---- command line ----

const char kExchangeUsage[] =
    "  etextbook-db export-results ПАПКА -o ФАЙЛ.xlsx|ФАЙЛ.csv [--group ГРУППА] [--login ЛОГИН]\n"
    "      выгрузить результаты тестирования для электронной таблицы: книга Excel\n"
    "      (все результаты и лист с итогами и диаграммой на каждую группу) или CSV\n"
    "  etextbook-db import-questions ПАПКА ФАЙЛ [--encoding utf-8|cp1251] [--skip-bad] [--check]\n"
    "      добавить в банк вопросы из файла в формате Aiken или GIFT (Moodle);\n"
    "      --skip-bad пропускает негодные вопросы, --check только проверяет файл\n"
    "  etextbook-db export-questions ПАПКА -o ФАЙЛ --format aiken|gift\n"
    "      записать банк вопросов в файл для другой системы тестирования\n";

namespace {

struct Parsed {
    QStringList positional;
    QHash<QString, QString> values;
    QSet<QString> flags;
};

// valueOptions take one value ("--x V" or "--x=V"); flagOptions none. aliases maps
// a short form to its long one.
Parsed parseArgs(const QStringList &args, const QStringList &valueOptions, const QStringList &flagOptions,
                 const QHash<QString, QString> &aliases)
{
    Parsed p;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString a = args[i];
        if (!a.startsWith(QLatin1Char('-')) || a.size() == 1) {
            p.positional << a;
            continue;
        }
        QString value;
        bool inlineValue = false;
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        if (eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
            inlineValue = true;
        }
        a = aliases.value(a, a);
        if (valueOptions.contains(a)) {
            if (p.values.contains(a))
                throw ExchangeUsageError{QStringLiteral("параметр %1 указан дважды").arg(a)};
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw ExchangeUsageError{QStringLiteral("после %1 нужно указать значение").arg(a)};
                value = args[++i];
            }
            p.values.insert(a, value);
        } else if (flagOptions.contains(a) && !inlineValue) {
            p.flags.insert(a);
        } else {
            throw ExchangeUsageError{QStringLiteral("неизвестный параметр «%1»").arg(args[i])};
        }
    }
    return p;
}

void needPositional(const Parsed &p, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (p.positional.size() <= i || p.positional[i].isEmpty())
            throw ExchangeUsageError{QStringLiteral("не указан %1").arg(names[i])};
    if (p.positional.size() > names.size())
        throw ExchangeUsageError{QStringLiteral("лишний параметр «%1»").arg(p.positional[names.size()])};
}

QString needValue(const Parsed &p, const QString &option, const QString &what)
{
    if (!p.values.contains(option) || p.values[option].isEmpty())
        throw ExchangeUsageError{QStringLiteral("не указан %1 (%2)").arg(what, option)};
    return p.values[option];
}

} // namespace

std::optional<QStringList> runExchangeCommand(const QStringList &args)
{
    if (args.isEmpty())
        return std::nullopt;
    const QString &name = args[0];
    const QHash<QString, QString> output{{QStringLiteral("-o"), QStringLiteral("--output")}};
    if (name == QLatin1String("export-results")) {
        const Parsed p = parseArgs(args, {QStringLiteral("--output"), QStringLiteral("--group"), QStringLiteral("--login")},
                                   {}, output);
        needPositional(p, {QStringLiteral("папка курса")});
        const QString file = needValue(p, QStringLiteral("--output"), QStringLiteral("файл результатов"));
        ResultsFilter filter;
        if (p.values.contains(QStringLiteral("--group")))
            filter.group = p.values[QStringLiteral("--group")];
        if (p.values.contains(QStringLiteral("--login")))
            filter.login = p.values[QStringLiteral("--login")];
        return exportResults(p.positional[0], file, filter);
    }
    if (name == QLatin1String("import-questions")) {
        const Parsed p = parseArgs(args, {QStringLiteral("--encoding")},
                                   {QStringLiteral("--skip-bad"), QStringLiteral("--check")}, {});
        needPositional(p, {QStringLiteral("папка курса"), QStringLiteral("файл вопросов")});
        ImportOptions o;
        if (p.values.contains(QStringLiteral("--encoding"))) {
            const QString e = p.values[QStringLiteral("--encoding")].toLower();
            if (e == QLatin1String("utf-8") || e == QLatin1String("utf8"))
                o.encoding = qformats::Encoding::Utf8;
            else if (e == QLatin1String("cp1251") || e == QLatin1String("windows-1251"))
                o.encoding = qformats::Encoding::Cp1251;
            else
                throw ExchangeUsageError{QStringLiteral("неизвестная кодировка «%1»: укажите utf-8 или cp1251")
                                             .arg(p.values[QStringLiteral("--encoding")])};
        }
        o.skipBad = p.flags.contains(QStringLiteral("--skip-bad"));
        o.check = p.flags.contains(QStringLiteral("--check"));
        return importQuestions(p.positional[0], p.positional[1], o);
    }
    if (name == QLatin1String("export-questions")) {
        const Parsed p = parseArgs(args, {QStringLiteral("--output"), QStringLiteral("--format")}, {}, output);
        needPositional(p, {QStringLiteral("папка курса")});
        const QString file = needValue(p, QStringLiteral("--output"), QStringLiteral("файл вопросов"));
        const QString f = needValue(p, QStringLiteral("--format"), QStringLiteral("формат")).toLower();
        if (f != QLatin1String("aiken") && f != QLatin1String("gift"))
            throw ExchangeUsageError{QStringLiteral("неизвестный формат «%1»: укажите aiken или gift").arg(f)};
        return exportQuestions(p.positional[0], file,
                               f == QLatin1String("gift") ? qformats::Format::Gift : qformats::Format::Aiken);
    }
    return std::nullopt;
}

} // namespace course
