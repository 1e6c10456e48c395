#pragma once
// What the course tool says about itself. One table of commands feeds `--help`,
// `COMMAND --help` and the manual page, so the three never drift apart: a new
// command is one more entry in the table (Usage.cpp) and one more branch in the
// parser. Needs only QtCore, so the manual page can be printed at build time by a
// program that links nothing else.
#include <QList>
#include <QString>

namespace usage {

struct Option {
    const char *name; // as typed, with its value: "--admin-password ПАРОЛЬ"
    const char *text;
};

struct Example {
    const char *commandLine;
    const char *text;
};

struct Command {
    const char *name;        // "create"
    const char *arguments;   // what follows the name: "ПАПКА --admin-password ПАРОЛЬ"
    const char *summary;     // one line for the list of commands
    const char *description; // paragraphs separated by an empty line
    QList<Option> options;
    QList<Example> examples;
};

struct ExitCode {
    int code;
    const char *text;
};

const QList<Command> &commands();
const Command *findCommand(const QString &name);
const QList<ExitCode> &exitCodes();

// "etextbook-db create ПАПКА --admin-password ПАРОЛЬ"
QString synopsis(const Command &command);

// etextbook-db --help
QString overview();
// etextbook-db COMMAND --help
QString commandHelp(const Command &command);
// The short reminder after a mistake on the command line of a known command.
QString commandUsage(const Command &command);

// The manual page etextbook-db(1) in roff, dated as given ("2026-12-11").
QString manPage(const QString &version, const QString &date);

} // namespace usage
