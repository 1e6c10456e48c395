#pragma once
// Running the course tool from a test, and proving a refusal left a folder alone.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace toolrun {

inline const QString kTool = QStringLiteral(ETEXTBOOK_BINARY_DIR "/tools/etextbook-db");

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
    QString errText() const { return QString::fromUtf8(err); }
};

inline Run runTool(const QStringList &args, const QString &cwd)
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.start(kTool, args);
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = "timed out";
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Every file and folder under root (hidden ones too) with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        const QString key = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isDir())
            files.insert(key + QLatin1Char('/'), QByteArray());
        else if (f.open(QIODevice::ReadOnly))
            files.insert(key, f.readAll());
    }
    return files;
}

} // namespace toolrun
