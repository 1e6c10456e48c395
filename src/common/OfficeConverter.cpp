#include "OfficeConverter.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace office {
namespace {

const QStringList kWriter = {QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("rtf"), QStringLiteral("odt")};
const QStringList kImpress = {QStringLiteral("ppt"), QStringLiteral("pptx")};
// A large presentation takes LibreOffice a while; a hung one must not hold the
// lock for ever.
constexpr int kConversionLimitMs = 5 * 60 * 1000;

QString suffix(const QString &path) { return QFileInfo(path).suffix().toLower(); }

QMutex &converterMutex()
{
    static QMutex m;
    return m;
}

std::shared_ptr<Converter> &current()
{
    static std::shared_ptr<Converter> c;
    return c;
}

} // namespace

bool isOfficeDocument(const QString &path)
{
    const QString s = suffix(path);
    return kWriter.contains(s) || kImpress.contains(s);
}

QString packageFor(const QString &path)
{
    return kImpress.contains(suffix(path)) ? QStringLiteral("libreoffice-impress") : QStringLiteral("libreoffice-writer");
}

QString defaultCacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("etextbook/office"));
}

LibreOfficeConverter::LibreOfficeConverter(QString program, QString cacheFolder)
    : program_(std::move(program)), cache_(std::move(cacheFolder))
{
}

QString LibreOfficeConverter::cachedPdf(const QString &path) const
{
    const QFileInfo info(path);
    const QByteArray key = (info.absoluteFilePath() + QLatin1Char('\n') + QString::number(info.size()) +
                            QLatin1Char('\n') + QString::number(info.lastModified().toMSecsSinceEpoch()))
                               .toUtf8();
    const QString name = QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex());
    return QDir(cache_).filePath(name + QStringLiteral(".pdf"));
}

Conversion LibreOfficeConverter::convert(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.isFile())
        return {{}, QStringLiteral("Файл «%1» не найден. Проверьте адрес материала").arg(QDir::toNativeSeparators(path))};
    QString program = program_;
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        return {{},
                QStringLiteral("Чтобы открыть «%1», нужен LibreOffice. Попросите администратора компьютера установить "
                               "пакет %2 (sudo apt-get install %2) и откройте материал снова")
                    .arg(name, packageFor(path))};

    const QString pdf = cachedPdf(path);
    if (QFileInfo::exists(pdf))
        return {pdf, {}};
    if (!QDir().mkpath(cache_))
        return {{}, QStringLiteral("Не удалось создать папку «%1» для преобразованных документов. Проверьте права "
                                   "на запись")
                        .arg(QDir::toNativeSeparators(cache_))};

    QLockFile lock(pdf + QStringLiteral(".lock"));
    lock.setStaleLockTime(kConversionLimitMs + 60 * 1000);
    if (!lock.tryLock(kConversionLimitMs + 60 * 1000))
        return {{}, QStringLiteral("«%1» всё ещё преобразуется другой копией программы. Откройте материал позже").arg(name)};
    // Another copy may have finished while this one waited.
    if (QFileInfo::exists(pdf))
        return {pdf, {}};

    // LibreOffice leaves lock and backup files beside what it opens, and the
    // course folder may be read-only: it gets a private copy, and a profile of
    // its own so that conversions never wait for a running LibreOffice.
    QTemporaryDir work(QDir(cache_).filePath(QStringLiteral("work-XXXXXX")));
    if (!work.isValid())
        return {{}, QStringLiteral("Не удалось создать временную папку в «%1»").arg(QDir::toNativeSeparators(cache_))};
    const QString copy = work.filePath(QStringLiteral("document.") + suffix(path));
    if (!QFile::copy(info.absoluteFilePath(), copy))
        return {{}, QStringLiteral("Не удалось прочитать файл «%1». Проверьте права на чтение").arg(name)};
    const QString out = work.filePath(QStringLiteral("out"));
    QDir().mkpath(out);

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, {QStringLiteral("-env:UserInstallation=") +
                          QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(QUrl::FullyEncoded),
                      QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                      QStringLiteral("pdf"), QStringLiteral("--outdir"), out, copy});
    const bool finished = p.waitForStarted() && p.waitForFinished(kConversionLimitMs);
    if (!finished) {
        p.kill();
        p.waitForFinished();
    }
    const QString made = QDir(out).filePath(QStringLiteral("document.pdf"));
    if (!finished || p.exitStatus() != QProcess::NormalExit || !QFileInfo(made).isFile() ||
        QFileInfo(made).size() == 0)
        return {{}, QStringLiteral("LibreOffice не смог преобразовать «%1» в PDF. Откройте файл в LibreOffice, "
                                   "сохраните его заново и повторите")
                        .arg(name)};
    // Renamed into place whole, so a reader never sees half a PDF.
    if (!QFile::rename(made, pdf) && !QFileInfo::exists(pdf))
        return {{}, QStringLiteral("Не удалось сохранить преобразованный документ в «%1»")
                        .arg(QDir::toNativeSeparators(cache_))};
    return {pdf, {}};
}

std::shared_ptr<Converter> converter()
{
    QMutexLocker locker(&converterMutex());
    if (!current())
        current() = std::make_shared<LibreOfficeConverter>();
    return current();
}

void setConverter(std::shared_ptr<Converter> c)
{
    QMutexLocker locker(&converterMutex());
    current() = std::move(c);
}

} // namespace office
