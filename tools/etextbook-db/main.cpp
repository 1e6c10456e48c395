// etextbook-db: makes course folders from the command line.
#include "AccessImport.h"
#include "CourseMaker.h"
#include "ExchangeCommands.h"
#include "Usage.h"

#include "common/Errors.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

// Bytes, not the locale's encoding: the text is always UTF-8.
void print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

// Qt's note about a missing XDG_RUNTIME_DIR (usual under sudo or in CI) is noise in a
// tool whose stderr is its error channel; everything else passes through.
void filterQtMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    print(stderr, qFormatLogMessage(type, context, message) + QLatin1Char('\n'));
}

struct UsageError {
    QString text;
};

// After a mistake: a reminder of the command when it is known, else the overview.
QString reminder(const QStringList &args)
{
    const usage::Command *known = args.isEmpty() ? nullptr : usage::findCommand(args[0]);
    return known ? usage::commandUsage(*known) : usage::overview();
}

struct Command {
    QString name;
    QString oldFile; // import only
    QString dir;
    std::optional<QString> adminPassword;
    course::ImportOptions import;
    bool dryRun = false;
};

// "--name VALUE" or "--name=VALUE" at args[i]; advances i past the value.
std::optional<QString> optionValue(const QStringList &args, int &i, const QString &name)
{
    const QString &a = args[i];
    if (a.startsWith(name + QLatin1Char('=')))
        return a.mid(name.size() + 1);
    if (a != name)
        return std::nullopt;
    if (i + 1 >= args.size())
        throw UsageError{QStringLiteral("после %1 нужно указать значение").arg(name)};
    return args[++i];
}

Command parse(const QStringList &args)
{
    if (args.isEmpty())
        throw UsageError{QStringLiteral("не указана команда")};
    Command cmd{args[0], {}, {}, {}, {}, false};
    const bool import = cmd.name == QLatin1String("import");
    const bool mapPaths = cmd.name == QLatin1String("map-paths");
    const bool takesPassword = import || cmd.name == QLatin1String("create");
    if (!usage::findCommand(cmd.name))
        throw UsageError{QStringLiteral("неизвестная команда «%1»").arg(cmd.name)};
    const QString passwordOption = QStringLiteral("--admin-password");
    bool havePassword = false;
    QStringList positional;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        if (takesPassword && (a == passwordOption || a.startsWith(passwordOption + QLatin1Char('=')))) {
            if (havePassword)
                throw UsageError{QStringLiteral("пароль администратора указан дважды")};
            if (a == passwordOption) {
                if (i + 1 >= args.size())
                    throw UsageError{QStringLiteral("после %1 нужно указать пароль").arg(passwordOption)};
                cmd.adminPassword = args[++i];
            } else {
                cmd.adminPassword = a.mid(passwordOption.size() + 1);
            }
            havePassword = true;
        } else if (import && (a == QLatin1String("--map-path") || a.startsWith(QLatin1String("--map-path=")))) {
            try {
                cmd.import.pathRules << course::parsePathRule(*optionValue(args, i, QStringLiteral("--map-path")));
            } catch (const AppError &e) {
                throw UsageError{e.text()};
            }
        } else if (import && (a == QLatin1String("--jet3-charset") || a.startsWith(QLatin1String("--jet3-charset=")))) {
            cmd.import.jet3Charset = optionValue(args, i, QStringLiteral("--jet3-charset"))->toUtf8();
            if (cmd.import.jet3Charset.isEmpty())
                throw UsageError{QStringLiteral("после --jet3-charset нужно указать кодировку, например CP1251")};
        } else if (mapPaths && a == QLatin1String("--dry-run")) {
            cmd.dryRun = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            throw UsageError{QStringLiteral("неизвестный параметр «%1»").arg(a)};
        } else {
            positional << a;
        }
    }
    if (import) {
        if (positional.isEmpty() || positional[0].isEmpty())
            throw UsageError{QStringLiteral("не указан файл курса прежней версии (СТАРЫЙ.mdb)")};
        cmd.oldFile = positional.takeFirst();
    }
    if (positional.isEmpty() || positional[0].isEmpty())
        throw UsageError{QStringLiteral("не указана папка курса")};
    if (mapPaths) {
        if (positional.size() < 2)
            throw UsageError{QStringLiteral("не указано ни одного правила ОТКУДА=КУДА")};
        try {
            for (qsizetype p = 1; p < positional.size(); ++p)
                cmd.import.pathRules << course::parsePathRule(positional[p]);
        } catch (const AppError &e) {
            throw UsageError{e.text()};
        }
        positional.resize(1);
    }
    if (positional.size() > 1)
        throw UsageError{QStringLiteral("лишний параметр «%1»").arg(positional[1])};
    if (cmd.name == QLatin1String("create") && !havePassword)
        throw UsageError{QStringLiteral("не указан пароль администратора (%1 ПАРОЛЬ)").arg(passwordOption)};
    cmd.dir = positional[0];
    return cmd;
}

} // namespace

int main(int argc, char **argv)
{
    // The tool never opens a window, but the PDF pages need a GUI application for
    // fonts; the offscreen platform works with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(filterQtMessages);
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments().mid(1);
    const auto isHelp = [](const QString &a) { return a == QLatin1String("--help") || a == QLatin1String("-h"); };
    if (args.size() == 1 && isHelp(args[0])) {
        print(stdout, usage::overview());
        return 0;
    }
    if (args.size() == 1 && args[0] == QLatin1String("--version")) {
        print(stdout, QStringLiteral("etextbook-db " ETEXTBOOK_VERSION "\n"));
        return 0;
    }
    if (args.size() == 2 && isHelp(args[1])) {
        if (const usage::Command *command = usage::findCommand(args[0])) {
            print(stdout, usage::commandHelp(*command));
            return 0;
        }
    }
    try {
        if (const std::optional<QStringList> done = course::runExchangeCommand(args)) {
            print(stdout, done->join(QLatin1Char('\n')) + QLatin1Char('\n'));
            return 0;
        }
        const Command cmd = parse(args);
        const QStringList summary = cmd.name == QLatin1String("create")
                                        ? course::createEmpty(cmd.dir, *cmd.adminPassword)
                                    : cmd.name == QLatin1String("import")
                                        ? course::importAccess(cmd.oldFile, cmd.dir, cmd.adminPassword, cmd.import)
                                    : cmd.name == QLatin1String("map-paths")
                                        ? course::mapCoursePaths(cmd.dir, cmd.import.pathRules, cmd.dryRun)
                                        : course::createDemo(cmd.dir);
        print(stdout, summary.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return 0;
    } catch (const UsageError &e) {
        print(stderr, QStringLiteral("etextbook-db: %1\n\n").arg(e.text) + reminder(args));
    } catch (const course::ExchangeUsageError &e) {
        print(stderr, QStringLiteral("etextbook-db: %1\n\n").arg(e.text) + reminder(args));
    } catch (const AppError &e) {
        print(stderr, QStringLiteral("etextbook-db: ошибка: %1\n").arg(e.text()));
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("etextbook-db: непредвиденная ошибка: %1\n").arg(QString::fromLocal8Bit(e.what())));
    }
    return 1;
}
