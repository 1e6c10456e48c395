#pragma once
// The command line of export-results, import-questions and export-questions.
#include <QString>
#include <QStringList>

#include <optional>

namespace course {

struct ExchangeUsageError {
    QString text;
};

// Usage lines of the three commands, for the tool's help.
extern const char kExchangeUsage[];

// Runs the command when args[0] names one of the three and returns its summary;
// nullopt for any other command. Throws ExchangeUsageError or AppError.
std::optional<QStringList> runExchangeCommand(const QStringList &args);

} // namespace course
