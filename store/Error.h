#pragma once

#include <QString>

#include <stdexcept>

namespace store {

// Every failure of the store, the CSV reader, the program, the deck library, printing and the
// bank tool: a number from err below and a description the user is shown.
class Error : public std::runtime_error {
public:
    Error(int number, const QString& description)
        : std::runtime_error(description.toStdString())
        , m_number(number)
        , m_description(description) {}

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// Every error number of the program, in one table.
namespace err {
constexpr int OutOfMemory = 7;
constexpr int TypeMismatch = 13;
constexpr int Internal = 51; // a failure no other number fits
constexpr int InvalidUseOfNull = 94;
constexpr int InvalidArgument = 3001;
constexpr int UpdateWithoutEdit = 3020;
constexpr int NoCurrentRecord = 3021;
constexpr int BankNotFound = 3024;
constexpr int DiskFull = 3026;
constexpr int ReadOnly = 3027;
constexpr int NotValidPassword = 3031;
constexpr int FileInUse = 3045;
constexpr int EngineError = 3049; // the engine reports a damaged or unreadable file
constexpr int CannotOpen = 3051;
constexpr int SyntaxError = 3075;
constexpr int TableNotFound = 3078;
constexpr int RecordDeleted = 3167;
constexpr int BankExists = 3204;
constexpr int NotSupported = 3251; // a table the record set cannot address
constexpr int Locked = 3260;
constexpr int ItemNotFound = 3265;
constexpr int BadCsv = 3274;       // a CSV file the bank tool cannot read
constexpr int BankRefused = 3275;  // a bank, or a file to write, the bank tool refuses
constexpr int BadDeck = 3276;      // a deck of another flash-card program that cannot be read
constexpr int PrintRefused = 3277; // a card set that cannot be laid out on paper as asked
} // namespace err

} // namespace store
