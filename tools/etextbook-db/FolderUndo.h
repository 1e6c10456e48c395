#pragma once
// What one command of the course tool made on disk, taken back unless the command
// finishes: a failed run leaves the folder as it found it.
#include "common/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <vector>

class FolderUndo {
public:
    FolderUndo() = default;
    FolderUndo(const FolderUndo &) = delete;
    FolderUndo &operator=(const FolderUndo &) = delete;
    ~FolderUndo()
    {
        if (done_)
            return;
        for (auto f = files_.rbegin(); f != files_.rend(); ++f)
            QFile::remove(*f);
        for (auto d = dirs_.rbegin(); d != dirs_.rend(); ++d)
            QDir().rmdir(*d);
    }

    void file(const QString &path) { files_.push_back(path); }
    void forget(const QString &path) { std::erase(files_, path); }
    // Creates absolute and the folders above it that are missing, remembering each.
    void makeDir(const QString &absolute)
    {
        QStringList missing;
        for (QString d = absolute; !QFileInfo::exists(d); d = QFileInfo(d).path())
            missing.prepend(d);
        for (const QString &d : missing) {
            if (!QDir().mkdir(d))
                throw AppError(QStringLiteral("Не удалось создать папку «%1»: проверьте права доступа")
                                   .arg(QDir::toNativeSeparators(d)));
            dirs_.push_back(d);
        }
    }
    void finish() { done_ = true; }

private:
    std::vector<QString> files_;
    std::vector<QString> dirs_;
    bool done_ = false;
};
