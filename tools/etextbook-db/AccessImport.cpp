#include "AccessImport.h"
#include "FolderUndo.h"

#include "AccessReader.h"
#include "OldCourse.h"
#include "app/help/CourseHelp.h"
#include "common/Errors.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <vector>

namespace course {
namespace {

const QString kDbName = QStringLiteral("db.mdb");
const QString kBackup = QStringLiteral("db.mdb.access-backup");
const QString kBlankPage = QStringLiteral("Clear.htm");
const QString kHelpFile = QStringLiteral("help.hlp");
constexpr qsizetype kFirstMaterials = 3; // Лекции, Лабы, Видео in schema::requiredTables()

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

void writeNew(FolderUndo &undo, const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    // NewOnly: never replace a file that appeared after the check.
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw AppError(QStringLiteral("Не удалось создать файл «%1»: %2").arg(shown(path), f.errorString()));
    undo.file(path);
    if (f.write(bytes) != bytes.size() || !f.flush())
        throw AppError(QStringLiteral("Не удалось записать файл «%1»: %2").arg(shown(path), f.errorString()));
}

QByteArray blankPage()
{
    QFile f(QStringLiteral(":/demo/course/") + kBlankPage);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Встроенный файл «%1» не найден; программа собрана без демонстрационных "
                                      "материалов")
                           .arg(kBlankPage));
    return f.readAll();
}

AppError taken(const QString &path)
{
    return AppError(QStringLiteral("Файл «%1» уже существует; он не будет перезаписан. Укажите другую папку или "
                                   "удалите файл сами")
                        .arg(shown(path)));
}

} // namespace

QStringList importAccess(const QString &oldFile, const QString &dir, const std::optional<QString> &adminPassword,
                         const ImportOptions &options)
{
    const QString base = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    const QDir folder(base);
    const QString target = folder.filePath(kDbName);
    const QString backup = folder.filePath(kBackup);
    const QFileInfo oldInfo(oldFile);
    const QString oldPath = QDir::cleanPath(oldInfo.absoluteFilePath());
    const bool inPlace = oldInfo.exists() && QFileInfo::exists(target) &&
                         oldInfo.canonicalFilePath() == QFileInfo(target).canonicalFilePath();

    const QFileInfo baseInfo(base);
    if (baseInfo.exists() && !baseInfo.isDir())
        throw AppError(QStringLiteral("«%1» — это файл, а не папка; укажите папку для курса").arg(shown(base)));
    // The old course's own Clear.htm and help.hlp (a WinHelp file the program
    // reads) are kept; only the course file must be new.
    if (inPlace ? QFileInfo::exists(backup) : QFileInfo::exists(target))
        throw taken(inPlace ? backup : target);

    QString format;
    OldCourse old;
    {
        // Closed before the file may be moved aside.
        AccessReader reader(oldPath, options.jet3Charset);
        format = reader.format();
        if (format == QLatin1String("Jet 3"))
            format += QStringLiteral(", текст в кодировке %1").arg(QString::fromUtf8(reader.jet3Charset()));
        old = readOldCourse(reader, shown(oldPath));
    }
    int mapped = 0;
    QStringList addresses;
    for (qsizetype t = kFirstMaterials; t < old.tables.size(); ++t)
        for (QVariantList &r : old.tables[t]) {
            const auto to = r[1].isNull() ? std::nullopt : mapAddress(r[1].toString(), options.pathRules);
            if (to) {
                mapped += *to != r[1].toString() ? 1 : 0;
                r[1] = *to;
            }
            addresses << r[1].toString();
        }
    if (old.adminRows == 0 && !adminPassword)
        throw AppError(QStringLiteral("В старом курсе «%1» нет учётной записи Admin. Укажите пароль нового "
                                      "администратора: --admin-password ПАРОЛЬ")
                           .arg(shown(oldPath)));

    FolderUndo undo;
    undo.makeDir(base);
    // Built under a temporary name and renamed at the end, so a db.mdb is either
    // complete or absent.
    const QString temp = folder.filePath(QStringLiteral(".db.mdb.") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    undo.file(temp);
    undo.file(temp + QStringLiteral("-journal"));
    CopyCounts counts;
    try {
        // With an Admin of the old course the created one is deleted again in the
        // copy, so this password is never used.
        schema::createCourseFile(temp, old.adminRows > 0 ? QUuid::createUuid().toString(QUuid::WithoutBraces)
                                                         : *adminPassword);
        counts = copyOldCourse(old, temp);
    } catch (const AppError &e) {
        // The user never sees the temporary name; speak of the file they asked for.
        QString text = e.text();
        throw AppError(text.replace(temp, shown(target)), e.code());
    }

    const QByteArray help = help::courseHelpFile();
    const bool keepBlank = QFileInfo::exists(folder.filePath(kBlankPage));
    const bool keepHelp = QFileInfo::exists(folder.filePath(kHelpFile));
    if (!keepBlank)
        writeNew(undo, folder.filePath(kBlankPage), blankPage());
    if (!keepHelp)
        writeNew(undo, folder.filePath(kHelpFile), help);

    if (inPlace && !QFile::rename(target, backup))
        throw AppError(QStringLiteral("Не удалось переименовать «%1» в «%2»: проверьте права на запись в папку")
                           .arg(shown(target), shown(backup)));
    // rename() refuses an existing target, which keeps the no-overwrite promise.
    if (!QFile::rename(temp, target)) {
        if (inPlace)
            QFile::rename(backup, target);
        throw AppError(QStringLiteral("Не удалось создать файл «%1»: файл уже существует или папка недоступна для "
                                      "записи")
                           .arg(shown(target)));
    }
    undo.forget(temp);
    undo.finish();

    const QList<schema::TableColumns> &tables = schema::requiredTables();
    const QStringList what = {QStringLiteral("вопросы теста"), QStringLiteral("учётные записи"),
                              QStringLiteral("результаты тестирования"), QString(),
                              QStringLiteral("лабораторные работы"), QStringLiteral("видеофильмы")};
    QStringList out = {QStringLiteral("Курс прежней версии «%1» (Microsoft Access, %2) преобразован в новый курс "
                                      "в папке «%3».")
                           .arg(shown(oldPath), format, shown(base)),
                       QStringLiteral("  База данных: %1").arg(shown(target)), QStringLiteral("  Перенесено записей:")};
    for (qsizetype t = 0; t < tables.size(); ++t)
        out << QStringLiteral("    %1%2: %3")
                   .arg(tables[t].table, what[t].isEmpty() ? QString() : QStringLiteral(" (%1)").arg(what[t]))
                   .arg(counts.rows[t]);
    out << QStringLiteral("  Вопросов, у которых номер верного ответа (ОтветПр) не целое число и сохранён пустым: %1")
               .arg(counts.answerNotNumber)
        << QStringLiteral("  Результатов, у которых число верных ответов (Верно) не целое от 0 до 255 и сохранено "
                          "пустым: %1")
               .arg(counts.scoreNotNumber);
    if (old.adminRows > 0)
        out << QStringLiteral("  Учётная запись Admin перенесена из старого курса с прежним паролем%1")
                   .arg(adminPassword ? QStringLiteral("; пароль из --admin-password не использован") : QString());
    else
        out << QStringLiteral("  Учётной записи Admin в старом курсе не было: она создана с паролем из "
                              "--admin-password");

    QStringList kept;
    for (qsizetype t = 0; t < tables.size(); ++t)
        for (const QString &c : old.columns[t])
            if (!tables[t].columns.contains(c))
                kept << QStringLiteral("%1.%2").arg(tables[t].table, c);
    if (!kept.isEmpty())
        out << QStringLiteral("  Перенесены также: %1").arg(kept.join(QStringLiteral(", ")));
    if (!old.renumbered.isEmpty())
        out << QStringLiteral("  Номера записей (Код) не перенесены, потому что в старом курсе они не у всех записей, "
                              "не целые или повторяются; записи пронумерованы заново в прежнем порядке: %1")
                   .arg(old.renumbered.join(QStringLiteral(", ")));
    QStringList extra;
    for (qsizetype t = 0; t < tables.size(); ++t)
        for (const QString &c : old.extraColumns[t])
            extra << QStringLiteral("%1.%2").arg(tables[t].table, c);
    if (!extra.isEmpty())
        out << QStringLiteral("  Столбцы старого курса, которым нет места в новом, не перенесены: %1")
                   .arg(extra.join(QStringLiteral(", ")));
    if (options.pathRules.isEmpty())
        out << QStringLiteral("  Адреса лекций, лабораторных работ и видео перенесены как были записаны");
    else
        out << QStringLiteral("  Адресов материалов исправлено по --map-path: %1").arg(mapped);
    out << missingFilesReport(addresses, base);
    out << (keepBlank ? QStringLiteral("  Оставлена прежняя пустая страница: %1")
                      : QStringLiteral("  Пустая страница: %1"))
               .arg(shown(folder.filePath(kBlankPage)));
    const QString helpPath = shown(folder.filePath(kHelpFile));
    if (keepHelp)
        out << QStringLiteral("  Оставлен прежний файл справки: %1").arg(helpPath);
    else
        out << QStringLiteral("  Файл справки: %1%2").arg(helpPath, help.isEmpty() ? QStringLiteral(" (пока пустой)")
                                                                                   : QString());
    if (inPlace)
        out << QStringLiteral("  Прежний файл Access сохранён как «%1»; на его месте теперь новый db.mdb")
                   .arg(shown(backup));
    return out;
}

} // namespace course
