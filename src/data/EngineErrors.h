#pragma once
// Turns what the engine reports into a message a teacher can act on.
#include <QString>

class QSqlError;

namespace data {

// The engine's primary result code (SQLITE_BUSY, SQLITE_READONLY …) carried by err, or 0.
int engineResultCode(const QSqlError &err);

// A Russian message for an engine failure: what went wrong and what to do. The
// engine's own text is kept at the end in brackets where it names a detail.
QString engineErrorText(int resultCode, const QString &engineText);
QString engineErrorText(const QSqlError &err);

// Throws AppError built from err.
[[noreturn]] void throwEngineError(const QSqlError &err);

} // namespace data
