#include "banktool/Command.h"

#include "store/Categories.h"

namespace banktool {

CommandLine::CommandLine(const QCommandLineParser& parser)
    : m_parser(parser)
    , m_arguments(parser.positionalArguments()) {}

QString CommandLine::value(const QString& option, const QString& fallback) const {
    const QStringList given = m_parser.values(option);
    return given.isEmpty() ? fallback : given.last();
}

QString CommandLine::choice(const QString& option, const QStringList& choices,
                            const QString& fallback) const {
    return oneOf(QStringLiteral("--") + option, value(option, fallback), choices);
}

qsizetype CommandLine::choiceIndex(const QString& option, const QStringList& choices,
                                   const QString& fallback) const {
    return choices.indexOf(choice(option, choices, fallback));
}

QString oneOf(const QString& what, const QString& word, const QStringList& choices) {
    for (const QString& choice : choices) {
        if (choice.compare(word.trimmed(), Qt::CaseInsensitive) == 0)
            return choice;
    }
    // A suggestion that starts as the word does; none for a word far from every choice.
    const QString closest = store::closestOf(word, choices);
    const bool near = !word.trimmed().isEmpty() &&
                      closest.front().toCaseFolded() == word.trimmed().front().toCaseFolded();
    throw UsageError(
        QStringLiteral("%1 takes %2, not '%3'%4")
            .arg(what, choices.join(QStringLiteral(", ")), word,
                 near ? QStringLiteral("; did you mean '%1'?").arg(closest) : QString()));
}

QString topicWord(const QString& what, const QString& word) {
    for (const QString& topic : store::categories()) {
        if (topic.compare(word.trimmed(), Qt::CaseInsensitive) == 0)
            return topic;
    }
    throw UsageError(QStringLiteral("%1: '%2' is not one of the fifteen topics; did you mean "
                                    "'%3'?")
                         .arg(what, word, store::closestCategory(word)));
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

} // namespace banktool
