#pragma once

#include <QString>

#include <stdexcept>

namespace store {

// A failure with the number and description the user is shown.
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

namespace err {
constexpr int OutOfMemory = 7;
constexpr int InvalidUseOfNull = 94;
constexpr int InvalidArgument = 3001;
constexpr int UpdateWithoutEdit = 3020;
constexpr int NoCurrentRecord = 3021;
constexpr int FileNotFound = 3024;
constexpr int ReadOnly = 3027;
constexpr int FileInUse = 3045;
constexpr int CannotOpen = 3051;
constexpr int NotValidPassword = 3031;
constexpr int SyntaxError = 3075;
constexpr int TableNotFound = 3078;
constexpr int RecordDeleted = 3167;
constexpr int NotSupported = 3251; // a table the record set cannot address
constexpr int Locked = 3260;
constexpr int ItemNotFound = 3265;
constexpr int EngineError = 3049; // the engine reports a damaged or unreadable file
} // namespace err

} // namespace store
