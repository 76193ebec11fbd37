#include "banktool/BankCommands.h"

#include "banktool/Commands.h"
#include "store/Error.h"

#include <QTextStream>

#include <algorithm>

namespace banktool {

namespace {

// A bank, a deck or a card set refused, by the store, the deck library or printing.
bool isRefusal(const store::Error& error) {
    return error.number() == store::err::BankRefused || error.number() == store::err::BadDeck ||
           error.number() == store::err::PrintRefused;
}

const QList<Command>& commands() {
    static const QList<Command> list = {createCommand(), importCommand(), exportCommand(),
                                        checkCommand(), printCommand()};
    return list;
}

QString overview() {
    QString text = QStringLiteral("Usage: memvane-bank COMMAND ARGS...\n\nCommands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(c.usage());
    return text + QStringLiteral("\nmemvane-bank COMMAND --help tells more; memvane-bank "
                                 "--version names the version.\n");
}

QString commandHelp(const Command& command, const QCommandLineParser& parser) {
    QString text =
        QStringLiteral("Usage: memvane-bank %1\n\n%2\n").arg(command.usage(), command.help);
    if (!command.options.isEmpty()) {
        // Qt's own help text lists the options, after its usage line and arguments.
        const QString qtHelp = parser.helpText();
        const qsizetype options = qtHelp.indexOf(QStringLiteral("Options:"));
        if (options >= 0)
            text += u'\n' + qtHelp.mid(options);
    }
    return text;
}

int runCommand(const Command& command, const QStringList& arguments, QTextStream& out,
               QTextStream& err) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Tells what the command does."));
    parser.addOption(help);
    parser.addOptions(command.options);
    // The parser takes the program's name first.
    const bool parsed = parser.parse(QStringList{QStringLiteral("memvane-bank")} + arguments);
    if (parsed && parser.isSet(help)) {
        out << commandHelp(command, parser);
        return 0;
    }
    try {
        if (!parsed)
            throw UsageError(parser.errorText());
        const CommandLine line(parser);
        const int given = int(line.arguments().size());
        if (given < command.requiredArguments() || given > command.arguments.size())
            throw UsageError(QStringLiteral("takes the arguments %1 (%2 given)")
                                 .arg(command.arguments.join(u' '))
                                 .arg(given));
        command.run(line, out);
        return 0;
    } catch (const UsageError& error) {
        err << "memvane-bank " << command.name << ": " << error.message() << "\n"
            << "Usage: memvane-bank " << command.usage() << "\n";
        return 2;
    } catch (const store::Error& error) {
        // What the user can mend is said as it is; other failures with their number.
        if (isRefusal(error))
            err << "memvane-bank " << command.name << ": " << error.what() << "\n";
        else
            err << "memvane-bank " << command.name << ": error " << error.number() << ": "
                << error.description() << "\n";
    }
    return 1;
}

} // namespace

int runBankCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.isEmpty()) {
        err << overview();
        return 2;
    }
    if (arguments[0] == u"--help" || arguments[0] == u"-h") {
        out << overview();
        return 0;
    }
    if (arguments[0] == u"--version") {
        out << "memvane-bank " << MEMVANE_VERSION << "\n";
        return 0;
    }
    const auto& list = commands();
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Command& c) { return c.name == arguments[0]; });
    if (it == list.end()) {
        err << "memvane-bank: unknown command '" << arguments[0] << "'\n\n" << overview();
        return 2;
    }
    return runCommand(*it, arguments.mid(1), out, err);
}

int runBankCommand(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runBankCommand(arguments, out, err);
}

} // namespace banktool
