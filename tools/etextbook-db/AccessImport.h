#pragma once
// `etextbook-db import`: a course of the old Windows version (an Access file) made
// into a new course. Throws AppError with a Russian text; on failure the folder is
// as it was, so the command can simply be re-run.
#include "PathMap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace course {

struct ImportOptions {
    // Applied to every material address (see mapAddress).
    QList<PathRule> pathRules;
    // Code page of a Jet 3 file's text; empty: MDB_JET3_CHARSET, else CP1251.
    QByteArray jet3Charset;
};

// oldFile may be dir's own db.mdb: the Access file is then kept beside the new one
// as db.mdb.access-backup. The password is needed only when the old course has no
// Admin of its own. Returns the lines of the summary.
QStringList importAccess(const QString &oldFile, const QString &dir, const std::optional<QString> &adminPassword,
                         const ImportOptions &options = {});

} // namespace course
