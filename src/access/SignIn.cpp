#include "SignIn.h"
#include "common/Errors.h"

#include <cstdlib>

namespace signin {

QString noAccountMessage() { return QStringLiteral("Данная учетная запись не существует"); }
QString wrongPasswordMessage() { return QStringLiteral("Не верен Логин или Пароль!"); }

SignInOutcome checkSignIn(const QStringList &logins, const QStringList &passwords, const QString &login,
                          const QString &password)
{
    SignInOutcome out;
    for (int i = 0; i < logins.size(); ++i) {
        if (logins.at(i) != login)
            continue;
        out.account = i;
        out.matchedLogin = login;
        // The two lists come from two statements; a row added between them by another
        // copy of the program could leave a login without its password.
        if (i >= passwords.size())
            throw AppError(QStringLiteral("Список учетных записей прочитан не полностью. "
                                          "Перезапустите программу и войдите снова"));
        out.result = passwords.at(i) == password ? SignInOutcome::Success : SignInOutcome::WrongPassword;
        return out;
    }
    return out;
}

bool isAdministrator(const QString &login) { return login == QLatin1String("Admin"); }

namespace {
TerminateHandler g_terminate;
}

void setTerminateHandler(TerminateHandler handler) { g_terminate = std::move(handler); }

void terminateProcess(int exitCode)
{
    if (g_terminate) {
        g_terminate(exitCode);
        return;
    }
    std::_Exit(exitCode);
}

} // namespace signin
