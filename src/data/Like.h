#pragma once
// The engine's Like: "%" is any run of characters, "_" exactly one, and letters
// compare without regard to case for Cyrillic and Latin alike.
#include <QString>

namespace data {

// Matches text against pattern; escape, when not null, makes the next character literal.
bool likeMatch(const QString &pattern, const QString &text, QChar escape = QChar());

// Registers like() on the sqlite3 handle of an opened connection (a sqlite3*).
void registerLike(void *sqliteHandle);

} // namespace data
