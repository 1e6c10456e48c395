#pragma once
// A teacher's data in and out of a course: results to a spreadsheet, questions
// from and to Aiken and GIFT files. Each throws AppError with a Russian message and
// leaves no half-written file and no half-imported bank behind.
#include "formats/QuestionFormats.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace course {

struct ResultsFilter {
    std::optional<QString> group;
    std::optional<QString> login;
};

// FILE ends in .xlsx or .csv; an existing file is never replaced.
QStringList exportResults(const QString &dir, const QString &file, const ResultsFilter &filter);

struct ImportOptions {
    qformats::Encoding encoding = qformats::Encoding::Auto;
    bool skipBad = false; // store the good questions, list the refused ones
    bool check = false;   // report only, write nothing
};
QStringList importQuestions(const QString &dir, const QString &file, const ImportOptions &options);

QStringList exportQuestions(const QString &dir, const QString &file, qformats::Format format);

} // namespace course
