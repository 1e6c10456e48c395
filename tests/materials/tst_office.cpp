// Office lectures shown through LibreOffice: which files go that way, the message
// without LibreOffice, one conversion for several copies at once, a changed file
// converted again, the original and its folder untouched, and what the viewer
// says meanwhile. A stand-in for soffice (a shell script) proves the rules quickly;
// one case runs the real LibreOffice.
#include "common/DocumentViewer.h"
#include "common/OfficeConverter.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <vector>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), it.fileInfo().isDir() ? QByteArray("/") : readAll(path));
    }
    return files;
}

// Logs its arguments to runs.log, takes a second like a real conversion, and
// writes a PDF named after the document into --outdir.
QString fakeSoffice(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("soffice"));
    const QByteArray script = "#!/bin/sh\n"
                              "echo \"$@\" >> '" + QFile::encodeName(dir) + "/runs.log'\n"
                              "out=''; prev=''; for a in \"$@\"; do [ \"$prev\" = --outdir ] && out=\"$a\"; prev=\"$a\"; "
                              "last=\"$a\"; done\n"
                              "sleep 1\n"
                              "base=$(basename \"$last\"); printf '%%PDF-1.4 fake of %s' \"$base\" > \"$out/${base%.*}.pdf\"\n";
    writeFile(path, script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

int runs(const QString &dir)
{
    return int(readAll(QDir(dir).filePath(QStringLiteral("runs.log"))).count('\n'));
}

class ScriptedConverter final : public office::Converter {
public:
    QSemaphore release;
    office::Conversion answer;
    office::Conversion convert(const QString &) override
    {
        release.acquire();
        return answer;
    }
};

} // namespace

class TstOffice : public QObject {
    Q_OBJECT

private slots:
    void kinds_data();
    void kinds();
    void withoutLibreOffice_data();
    void withoutLibreOffice();
    void oneConversionForCopiesAtOnce();
    void realLibreOffice();
    void viewerSaysWhatHappens();
};

void TstOffice::kinds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("office");
    QTest::addColumn<QString>("package");
    QTest::newRow("doc") << "/курс/Лекция 1.doc" << true << "libreoffice-writer";
    QTest::newRow("DOCX in capitals") << "C:/КУРС/ЛЕК.DOCX" << true << "libreoffice-writer";
    QTest::newRow("rtf") << "a.rtf" << true << "libreoffice-writer";
    QTest::newRow("odt") << "a.odt" << true << "libreoffice-writer";
    QTest::newRow("ppt") << "слайды.ppt" << true << "libreoffice-impress";
    QTest::newRow("pptx") << "слайды.PpTx" << true << "libreoffice-impress";
    QTest::newRow("pdf stays with the engine") << "a.pdf" << false << "";
    QTest::newRow("page") << "a.htm" << false << "";
    QTest::newRow("only the last suffix counts") << "a.doc.htm" << false << "";
    QTest::newRow("a name without suffix") << "/курс/doc" << false << "";
}

void TstOffice::kinds()
{
    QFETCH(QString, path);
    QFETCH(bool, office);
    QFETCH(QString, package);
    QCOMPARE(office::isOfficeDocument(path), office);
    if (office)
        QCOMPARE(office::packageFor(path), package);
}

void TstOffice::withoutLibreOffice_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("reason");
    QTest::newRow("text document") << "лекция.docx"
                                   << QStringList{"нужен LibreOffice", "sudo apt-get install libreoffice-writer", "«лекция.docx»"};
    QTest::newRow("presentation") << "слайды.pptx" << QStringList{"libreoffice-impress"};
    QTest::newRow("missing file") << "-" << QStringList{"не найден"};
}

void TstOffice::withoutLibreOffice()
{
    QFETCH(QString, file);
    QFETCH(QStringList, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(file == QLatin1String("-") ? QStringLiteral("нет.doc") : file);
    if (file != QLatin1String("-"))
        QVERIFY(writeFile(path, "not really office"));
    office::LibreOfficeConverter c(dir.filePath(QStringLiteral("нет/soffice")), dir.filePath(QStringLiteral("cache")));
    const office::Conversion r = c.convert(path);
    QVERIFY(r.pdf.isEmpty());
    for (const QString &text : reason)
        QVERIFY2(r.error.contains(text), qPrintable(r.error));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("cache"))));
}

// Three copies (each its own converter, as separate programs would be) open one
// lecture at the same moment: one conversion, one PDF for all. A changed lecture
// is converted again; the course folder never sees a file of ours.
void TstOffice::oneConversionForCopiesAtOnce()
{
    QTemporaryDir dir;
    const QString tools = dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(tools);
    const QString soffice = fakeSoffice(tools);
    const QString course = dir.filePath(QStringLiteral("курс"));
    const QString lecture = QDir(course).filePath(QStringLiteral("Лекция 1.doc"));
    QVERIFY(writeFile(lecture, "first version"));
    const QString cache = dir.filePath(QStringLiteral("cache/etextbook/office"));
    const auto before = snapshot(course);

    std::vector<office::Conversion> results(3);
    QList<QThread *> threads;
    for (int i = 0; i < 3; ++i)
        threads << QThread::create([&, i] { results[i] = office::LibreOfficeConverter(soffice, cache).convert(lecture); });
    for (QThread *t : threads)
        t->start();
    for (QThread *t : threads) {
        QVERIFY(t->wait(60000));
        delete t;
    }
    QCOMPARE(runs(tools), 1);
    for (const office::Conversion &r : results) {
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.pdf, results[0].pdf);
    }
    QVERIFY(results[0].pdf.startsWith(cache + QLatin1Char('/')));
    QCOMPARE(readAll(results[0].pdf), QByteArray("%PDF-1.4 fake of document.doc"));
    const QString log = QString::fromUtf8(readAll(QDir(tools).filePath(QStringLiteral("runs.log"))));
    for (const QString &arg : {QStringLiteral("--headless"), QStringLiteral("--convert-to pdf"),
                               QStringLiteral("-env:UserInstallation=file://")})
        QVERIFY2(log.contains(arg), qPrintable(log));
    QVERIFY2(!log.contains(course), qPrintable(log)); // LibreOffice works on a copy
    QCOMPARE(snapshot(course), before);
    // Only the PDF is left in the cache: no work folder, no lock.
    QCOMPARE(QDir(cache).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(results[0].pdf).fileName()});

    // Opened again: the PDF is reused without LibreOffice.
    QCOMPARE(office::LibreOfficeConverter(soffice, cache).convert(lecture).pdf, results[0].pdf);
    QCOMPARE(runs(tools), 1);

    // The teacher saved a new version: converted again, into a new name.
    QVERIFY(writeFile(lecture, "second, longer version"));
    const office::Conversion again = office::LibreOfficeConverter(soffice, cache).convert(lecture);
    QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
    QVERIFY(again.pdf != results[0].pdf);
    QCOMPARE(runs(tools), 2);
}

// The real thing, once: an RTF lecture with Cyrillic becomes a PDF.
void TstOffice::realLibreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QVERIFY2(!soffice.isEmpty(), "LibreOffice is not installed (scripts/setup.sh installs it)");
    QTemporaryDir dir;
    const QString course = dir.filePath(QStringLiteral("курс"));
    const QString lecture = QDir(course).filePath(QStringLiteral("Лекция.rtf"));
    QVERIFY(writeFile(lecture, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Sans;}}\\f0\\fs28 "
                               "\\u1051?\\u1077?\\u1082?\\u1094?\\u1080?\\u1103? 1\\par}"));
    const auto before = snapshot(course);
    QElapsedTimer timer;
    timer.start();
    const office::Conversion r =
        office::LibreOfficeConverter(QString(), dir.filePath(QStringLiteral("cache"))).convert(lecture);
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    QVERIFY(readAll(r.pdf).startsWith("%PDF"));
    QCOMPARE(snapshot(course), before);
    qInfo("LibreOffice converted the lecture in %lld ms", qint64(timer.elapsed()));
}

void TstOffice::viewerSaysWhatHappens()
{
    auto scripted = std::make_shared<ScriptedConverter>();
    office::setConverter(scripted);
    QWidget host;
    ui::DocumentViewer *viewer = ui::createDocumentViewer(&host);
    auto *status = viewer->findChild<QLabel *>(QStringLiteral("DocumentStatus"));
    QVERIFY(status);

    viewer->navigate(QStringLiteral("/курс/Лекция 2.docx"));
    QVERIFY(status->isVisibleTo(viewer));
    QVERIFY2(status->text().contains(QStringLiteral("«Лекция 2.docx» преобразуется")), qPrintable(status->text()));
    scripted->answer = {{}, QStringLiteral("нужен LibreOffice")};
    scripted->release.release();
    QTRY_COMPARE(status->text(), QStringLiteral("нужен LibreOffice"));

    // A later request wins over a conversion still running.
    viewer->navigate(QStringLiteral("/курс/старое.ppt"));
    viewer->navigate(QStringLiteral("/курс/страница.htm"));
    QVERIFY(!status->isVisibleTo(viewer));
    scripted->answer = {{}, QStringLiteral("поздний ответ")};
    scripted->release.release();
    QTest::qWait(200);
    QVERIFY(!status->isVisibleTo(viewer));
    office::setConverter(nullptr);
}

QTEST_MAIN(TstOffice)
#include "tst_office.moc"
