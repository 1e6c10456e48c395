#pragma once
// The sign-in rules, kept apart from the login window so they can be checked on
// plain lists: the account lookup, the administrator rule and the immediate end
// of the process when sign-in is cancelled.
#include <QString>
#include <QStringList>
#include <functional>

namespace signin {

// The longest login or password the sign-in fields take.
constexpr int kFieldLength = 31;

QString noAccountMessage();     // "Данная учетная запись не существует"
QString wrongPasswordMessage(); // "Не верен Логин или Пароль!"

struct SignInOutcome {
    enum Result { NoAccount, WrongPassword, Success };
    Result result = NoAccount;
    // The account compared: the first whose login equals the typed one, else -1.
    int account = -1;
    // The typed login once a stored login equals it (also when the password is wrong).
    QString matchedLogin;
};

// Entry i of logins and entry i of passwords form the i-th account. Only the first
// account whose login equals the typed one is compared; every comparison is exact,
// case and spaces included.
SignInOutcome checkSignIn(const QStringList &logins, const QStringList &passwords, const QString &login,
                          const QString &password);

// The administrator is the account whose login is exactly "Admin".
bool isAdministrator(const QString &login);

// Ends the process at once with the given exit code: no event is handled, no
// destructor runs and nothing is written. Tests put their own handler in.
using TerminateHandler = std::function<void(int exitCode)>;
void setTerminateHandler(TerminateHandler handler); // empty restores the real end
void terminateProcess(int exitCode);

} // namespace signin
