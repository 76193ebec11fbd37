#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

class QTextStream;

namespace banktool {

// Words of a command line that do not fit its command: memvane-bank says why, shows the
// command's usage on standard error and ends with status 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// What a command was given: its arguments in order and its options.
class CommandLine {
public:
    explicit CommandLine(const QCommandLineParser& parser);

    const QStringList& arguments() const { return m_arguments; }
    const QString& argument(int i) const { return m_arguments[i]; }
    bool isSet(const QString& option) const { return m_parser.isSet(option); }
    // The option's last value, or fallback when it is not given.
    QString value(const QString& option, const QString& fallback = {}) const;
    QStringList values(const QString& option) const { return m_parser.values(option); }
    // The option's value, which must be one of choices (compared without case).
    QString choice(const QString& option, const QStringList& choices,
                   const QString& fallback) const;
    // The same, as the index of the choice.
    qsizetype choiceIndex(const QString& option, const QStringList& choices,
                          const QString& fallback) const;
    // The value at the place of the option's value among choices; the first when not given.
    template <typename T>
    T pick(const QString& option, const QStringList& choices, const std::vector<T>& values) const {
        return values[size_t(choiceIndex(option, choices, choices.first()))];
    }

private:
    const QCommandLineParser& m_parser;
    QStringList m_arguments;
};

// word, one of choices in any case, as choices spell it; throws UsageError naming them and the
// closest otherwise. what says what took it: "--set".
QString oneOf(const QString& what, const QString& word, const QStringList& choices);

// One of the fifteen topics in any case, as the bank spells it; throws UsageError otherwise.
QString topicWord(const QString& what, const QString& word);

// One command of memvane-bank. Its run reports to out and throws store::Error (store::BankError,
// decks::DeckError or print::PrintError for what the user can mend) or UsageError.
struct Command {
    QString name;
    QStringList arguments; // as the usage names them; "[X]" is optional
    QString help;
    QList<QCommandLineOption> options;
    std::function<void(const CommandLine&, QTextStream& out)> run;

    // "name [OPTIONS] A B"
    QString usage() const;
    int requiredArguments() const;
};

} // namespace banktool
