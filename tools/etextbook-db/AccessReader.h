#pragma once
// Reads tables of a Microsoft Access file (Jet 3, Jet 4, ACE). The only place that
// sees libmdb: the converter works on OldTable rows through the TableSource seam.
#include "OldCourse.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace course {

class AccessReader final : public TableSource {
public:
    // Throws AppError with a Russian text when the file is missing, unreadable,
    // not an Access file or damaged. jet3Charset names the code page of Jet 3 text
    // (an iconv name such as CP1251); empty: MDB_JET3_CHARSET, else CP1251.
    explicit AccessReader(const QString &path, const QByteArray &jet3Charset = {});
    ~AccessReader() override;
    AccessReader(const AccessReader &) = delete;
    AccessReader &operator=(const AccessReader &) = delete;

    // "Jet 3", "Jet 4", "ACE".
    QString format() const;
    // The code page Jet 3 text was read in.
    QByteArray jet3Charset() const;

    // User tables, in catalog order.
    QStringList tables() const override;
    // Columns in their order in the file; each value is a QString or a null QVariant.
    // Throws AppError when the table is missing or cannot be read.
    OldTable readTable(const QString &name) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace course
