#include "tools/bank/Command.h"

namespace tools {

CommandLine::CommandLine(const QCommandLineParser& parser)
    : m_parser(parser)
    , m_arguments(parser.positionalArguments()) {}

QString CommandLine::value(const QString& option, const QString& fallback) const {
    const QStringList given = m_parser.values(option);
    return given.isEmpty() ? fallback : given.last();
}

QString CommandLine::choice(const QString& option, const QStringList& choices,
                            const QString& fallback) const {
    const QString given = value(option, fallback);
    for (const QString& choice : choices) {
        if (choice.compare(given, Qt::CaseInsensitive) == 0)
            return choice;
    }
    throw UsageError(QStringLiteral("--%1 takes %2, not '%3'")
                         .arg(option, choices.join(QStringLiteral(", ")), given));
}

QString Command::usage() const {
    QString text = name;
    if (!options.isEmpty())
        text += QStringLiteral(" [OPTIONS]");
    for (const QString& argument : arguments)
        text += u' ' + argument;
    return text;
}

int Command::requiredArguments() const {
    return int(std::count_if(arguments.begin(), arguments.end(),
                             [](const QString& a) { return !a.startsWith(u'['); }));
}

} // namespace tools
