#pragma once

#include "store/Categories.h"

#include <QString>

#include <array>
#include <memory>

namespace store {
class Database;
class Engine;
class RecordSet;
} // namespace store

namespace app {

class BankLock;

// What every window reads and writes; it lives in memory for the run.
struct ProgramState {
    QString CurrentSQL;
    QString DbPath;
    std::shared_ptr<store::Database> QuestionDb;
    std::shared_ptr<store::RecordSet> CardSet;
    QString LastPremadeType;
    QString LastTestType;
    std::array<QString, store::CategoryCount> LastCategoryChecks;
    QString MarkField;
    std::shared_ptr<store::RecordSet> SavedCardSet;
    std::shared_ptr<store::Engine> Engine;
    std::shared_ptr<BankLock> Lock; // held from Continue to the end of the run
};

// The one process-wide state.
ProgramState& state();

} // namespace app
