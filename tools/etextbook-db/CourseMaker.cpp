#include "CourseMaker.h"
#include "FolderUndo.h"

#include "app/help/CourseHelp.h"
#include "common/Errors.h"
#include "data/Schema.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextDocument>
#include <QUrl>
#include <QUuid>

#include <vector>

namespace course {
namespace {

const QString kDbName = QStringLiteral("db.mdb");
const QString kBlankPage = QStringLiteral("Clear.htm");
const QString kHelpFile = QStringLiteral("help.hlp");
const QString kCourseRes = QStringLiteral(":/demo/course/");

struct Question {
    QString text;
    QStringList options;
    int correct = 0;
};

struct Material {
    QString table; // "lecture", "lab" or "video"
    QString title;
    QString path;      // relative to the course folder
    QString pdfSource; // resource under :/demo/, when the file is rendered, not copied
};

struct Student {
    const char *login;
    const char *password;
    const char *group;
};

// Real-looking class lists make the results and users windows worth looking at.
constexpr Student kStudents[] = {
    {"Иванов", "1111", "9А"},
    {"Петрова", "2222", "9А"},
    {"Сидоров", "3333", "9Б"},
    {"Кузнецова", "4444", "9Б"},
    {"student", "student", ""},
};

struct Result {
    const char *login;
    int correct;
};

constexpr Result kResults[] = {
    {"Иванов", 24}, {"Иванов", 27}, {"Петрова", 29}, {"Сидоров", 18}, {"Кузнецова", 21}, {"student", 15},
};

QByteArray readResource(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Встроенный файл «%1» не найден; программа собрана без демонстрационных материалов")
                           .arg(path));
    return f.readAll();
}

// Lines of a built-in table, without the comment header and blank lines.
QList<QStringList> readTable(const QString &resource)
{
    QList<QStringList> rows;
    const QString text = QString::fromUtf8(readResource(resource));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString l = line.endsWith(QLatin1Char('\r')) ? line.chopped(1) : line;
        if (l.trimmed().isEmpty() || l.startsWith(QLatin1Char('#')))
            continue;
        rows.append(l.split(QLatin1Char('\t')));
    }
    return rows;
}

AppError brokenTable(const QString &resource, int row, const QString &why)
{
    return AppError(QStringLiteral("Встроенный файл «%1» повреждён (запись %2): %3").arg(resource).arg(row).arg(why));
}

QList<Question> loadQuestions()
{
    const QString res = QStringLiteral(":/demo/questions.tsv");
    QList<Question> out;
    int n = 0;
    for (const QStringList &f : readTable(res)) {
        ++n;
        if (f.size() != 7)
            throw brokenTable(res, n, QStringLiteral("ожидается 7 полей, а их %1").arg(f.size()));
        bool ok = false;
        const int correct = f[6].toInt(&ok);
        if (!ok || correct < 1 || correct > 5)
            throw brokenTable(res, n, QStringLiteral("номер верного ответа должен быть от 1 до 5"));
        out.append({f[0], f.mid(1, 5), correct});
    }
    return out;
}

QList<Material> loadMaterials()
{
    const QString res = QStringLiteral(":/demo/materials.tsv");
    QList<Material> out;
    int n = 0;
    for (const QStringList &f : readTable(res)) {
        ++n;
        if (f.size() != 3 && f.size() != 4)
            throw brokenTable(res, n, QStringLiteral("ожидается 3 или 4 поля, а их %1").arg(f.size()));
        if (f[0] != QLatin1String("lecture") && f[0] != QLatin1String("lab") && f[0] != QLatin1String("video"))
            throw brokenTable(res, n, QStringLiteral("неизвестный вид материала «%1»").arg(f[0]));
        out.append({f[0], f[1], f[2], f.size() == 4 ? f[3] : QString()});
    }
    return out;
}

// Renders a built-in HTML page to PDF. Pictures next to the page are handed to the
// document directly, so nothing is looked up on disk.
QByteArray renderPdf(const QString &source, const QString &title)
{
    const QString res = QStringLiteral(":/demo/") + source;
    const QString folder = QFileInfo(res).path();
    QTextDocument doc;
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext()) {
        const QString file = it.next();
        const QImage img(file);
        if (!img.isNull())
            doc.addResource(QTextDocument::ImageResource, QUrl(QFileInfo(file).fileName()), img);
    }
    doc.setHtml(QString::fromUtf8(readResource(res)));

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("etextbook-db"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter));
        doc.print(&pdf);
    }
    if (!bytes.startsWith("%PDF"))
        throw AppError(QStringLiteral("Не удалось получить PDF-документ «%1»").arg(title));
    return bytes;
}

// Everything one command writes, so that a failure can take it all back.
class Writer {
public:
    explicit Writer(const QString &dir) : base_(QDir::cleanPath(QFileInfo(dir).absoluteFilePath())) {}

    const QString &base() const { return base_; }
    QString path(const QString &relative) const { return QDir::cleanPath(base_ + QLatin1Char('/') + relative); }

    // Refuses up front, before anything is written, if any target is taken.
    void checkFree(const QStringList &relatives) const
    {
        const QFileInfo baseInfo(base_);
        if (baseInfo.exists() && !baseInfo.isDir())
            throw AppError(QStringLiteral("«%1» — это файл, а не папка; укажите папку для курса").arg(base_));
        for (const QString &rel : relatives) {
            if (QFileInfo::exists(path(rel)))
                throw AppError(QStringLiteral("Файл «%1» уже существует; он не будет перезаписан. "
                                              "Укажите другую папку или удалите файл сами")
                                   .arg(path(rel)));
        }
    }

    void makeDir(const QString &absolute)
    {
        undo_.makeDir(absolute);
        if (!QFileInfo(absolute).isDir())
            throw AppError(QStringLiteral("«%1» — это файл, а не папка").arg(absolute));
    }

    void write(const QString &relative, const QByteArray &bytes)
    {
        const QString target = path(relative);
        makeDir(QFileInfo(target).path());
        QFile f(target);
        // NewOnly: never replace a file that appeared after the check.
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw AppError(QStringLiteral("Не удалось создать файл «%1»: %2").arg(target, f.errorString()));
        undo_.file(target);
        if (f.write(bytes) != bytes.size() || !f.flush())
            throw AppError(QStringLiteral("Не удалось записать файл «%1»: %2").arg(target, f.errorString()));
    }

    // A file made by someone else (the database engine) that a failure must remove.
    void adopt(const QString &absolute) { undo_.file(absolute); }
    void forget(const QString &absolute) { undo_.forget(absolute); }

    void commit() { undo_.finish(); }

private:
    QString base_;
    FolderUndo undo_;
};

// The database is built under a temporary name and renamed at the end, so a
// db.mdb is either complete or absent.
class DatabaseBuild {
public:
    explicit DatabaseBuild(Writer &w, const QString &adminPassword)
        : writer_(w),
          temp_(w.path(QStringLiteral(".db.mdb.") + QUuid::createUuid().toString(QUuid::WithoutBraces)))
    {
        writer_.adopt(temp_);
        writer_.adopt(temp_ + QStringLiteral("-journal"));
        try {
            schema::createCourseFile(temp_, adminPassword);
        } catch (const AppError &e) {
            // The user never sees the temporary name; speak of the file they asked for.
            QString text = e.text();
            throw AppError(text.replace(temp_, writer_.path(kDbName)), e.code());
        }
    }

    const QString &tempPath() const { return temp_; }

    void finish()
    {
        const QString target = writer_.path(kDbName);
        // rename() refuses an existing target, which keeps the no-overwrite promise.
        if (!QFile::rename(temp_, target))
            throw AppError(QStringLiteral("Не удалось создать файл «%1»: файл уже существует или папка "
                                          "недоступна для записи")
                               .arg(target));
        writer_.forget(temp_);
        writer_.adopt(target);
    }

private:
    Writer &writer_;
    QString temp_;
};

QStringList demoTargets(const QList<Material> &materials)
{
    QStringList targets = {kDbName, kHelpFile};
    QDirIterator it(kCourseRes, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        targets << it.next().mid(kCourseRes.size());
    for (const Material &m : materials)
        if (!m.pdfSource.isEmpty())
            targets << m.path;
    return targets;
}

void fillDemoDatabase(const QString &dbPath, const QList<Question> &questions, const QList<Material> &materials,
                      const Writer &w)
{
    const QString name = QStringLiteral("demo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery q(db);
            auto run = [&q](const QString &sql, const QVariantList &values) {
                if (!q.prepare(sql))
                    return false;
                for (const QVariant &v : values)
                    q.addBindValue(v);
                return q.exec();
            };
            bool ok = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
            for (const Student &s : kStudents) {
                ok = ok && run(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (?, ?, ?)"),
                               {QString::fromUtf8(s.login), QString::fromUtf8(s.password), QString::fromUtf8(s.group)});
            }
            for (const Result &r : kResults) {
                ok = ok && run(QStringLiteral("insert into Тесты(Пользователь, Верно) values (?, ?)"),
                               {QString::fromUtf8(r.login), r.correct});
            }
            for (const Question &qu : questions) {
                ok = ok && run(QStringLiteral("insert into БДТест(Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, "
                                              "ОтветПр) values (?, ?, ?, ?, ?, ?, ?)"),
                               {qu.text, qu.options[0], qu.options[1], qu.options[2], qu.options[3], qu.options[4],
                                qu.correct});
            }
            for (const Material &m : materials) {
                QString sql;
                if (m.table == QLatin1String("lecture"))
                    sql = QStringLiteral("insert into Лекции(НазваниеЛекции, АдресЛекции) values (?, ?)");
                else if (m.table == QLatin1String("lab"))
                    sql = QStringLiteral("insert into Лабы(НазваниеЛабы, АдресЛабы) values (?, ?)");
                else
                    sql = QStringLiteral("insert into Видео(НазваниеВидео, АдресВидео) values (?, ?)");
                ok = ok && run(sql, {m.title, w.path(m.path)});
            }
            ok = ok && q.exec(QStringLiteral("COMMIT"));
            if (!ok) {
                failure = q.lastError().text();
                q.finish();
                q.exec(QStringLiteral("ROLLBACK"));
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw AppError(QStringLiteral("Не удалось заполнить базу данных демонстрационного курса: %1").arg(failure));
}

QString helpLine(const Writer &w, const QByteArray &help)
{
    return QStringLiteral("  Файл справки: %1%2")
        .arg(w.path(kHelpFile), help.isEmpty() ? QStringLiteral(" (пока пустой)") : QString());
}

} // namespace

QStringList createEmpty(const QString &dir, const QString &adminPassword)
{
    Writer w(dir);
    w.checkFree({kDbName, kBlankPage, kHelpFile});
    w.makeDir(w.base());
    DatabaseBuild db(w, adminPassword);
    const QByteArray help = help::courseHelpFile();
    w.write(kBlankPage, readResource(kCourseRes + kBlankPage));
    w.write(kHelpFile, help);
    db.finish();
    w.commit();
    return {QStringLiteral("Новый курс создан в папке «%1».").arg(w.base()),
            QStringLiteral("  База данных: %1 (администратор Admin, других записей нет)").arg(w.path(kDbName)),
            QStringLiteral("  Пустая страница: %1").arg(w.path(kBlankPage)), helpLine(w, help)};
}

QStringList createDemo(const QString &dir)
{
    const QList<Question> questions = loadQuestions();
    const QList<Material> materials = loadMaterials();
    Writer w(dir);
    w.checkFree(demoTargets(materials));
    w.makeDir(w.base());

    const QByteArray help = help::courseHelpFile();
    w.write(kHelpFile, help);
    QDirIterator it(kCourseRes, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString res = it.next();
        w.write(res.mid(kCourseRes.size()), readResource(res));
    }
    int counts[3] = {0, 0, 0};
    for (const Material &m : materials) {
        if (!m.pdfSource.isEmpty())
            w.write(m.path, renderPdf(m.pdfSource, m.title));
        else if (!QFileInfo(w.path(m.path)).isFile())
            throw AppError(QStringLiteral("Материал «%1» не входит во встроенные файлы курса").arg(m.path));
        ++counts[m.table == QLatin1String("lecture") ? 0 : m.table == QLatin1String("lab") ? 1 : 2];
    }

    DatabaseBuild db(w, QString::fromLatin1(kDemoAdminPassword));
    fillDemoDatabase(db.tempPath(), questions, materials, w);
    db.finish();
    w.commit();

    QStringList accounts = {QStringLiteral("Admin/%1").arg(QString::fromLatin1(kDemoAdminPassword))};
    for (const Student &s : kStudents)
        accounts << QStringLiteral("%1/%2").arg(QString::fromUtf8(s.login), QString::fromUtf8(s.password));
    return {QStringLiteral("Демонстрационный курс «Основы информатики» создан в папке «%1».").arg(w.base()),
            QStringLiteral("  База данных: %1").arg(w.path(kDbName)),
            QStringLiteral("  Вопросов теста: %1; лекций: %2; лабораторных работ: %3; видеофильмов: %4")
                .arg(questions.size())
                .arg(counts[0])
                .arg(counts[1])
                .arg(counts[2]),
            QStringLiteral("  Результатов тестирования: %1").arg(std::size(kResults)),
            QStringLiteral("  Учётные записи (логин/пароль): %1").arg(accounts.join(QStringLiteral(", "))),
            helpLine(w, help)};
}

} // namespace course
