#pragma once

#include "store/Categories.h"

#include <QString>

#include <array>

namespace selection {

// What the options dialog shows when OK is clicked.
struct OptionsChoice {
    std::array<bool, 3> testType{};                      // selected TestType options
    std::array<bool, 4> premadeType{};                   // selected PremadeType options
    std::array<int, store::CategoryCount> customCheck{}; // box values; ticked is exactly 1
    std::array<QString, store::CategoryCount> captions;  // box captions
    QString markField;
};

// The query text and the choices the dialog remembers for its next load.
struct Selection {
    QString CurrentSQL;
    QString LastTestType;
    QString LastPremadeType;
    std::array<QString, store::CategoryCount> LastCategoryChecks;
};

// The selection after OK: what a mode does not write keeps its value from before.
Selection buildQuery(const OptionsChoice& choice, Selection before);

} // namespace selection
