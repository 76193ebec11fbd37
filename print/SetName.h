#pragma once

#include <QString>

namespace selection {
struct OptionsChoice;
} // namespace selection

namespace print {

// The cards a choice gives, named as the Options window names them: "Tough Terms", the topics
// ticked, "Custom Set 2".
QString setName(const selection::OptionsChoice& choice);

} // namespace print
