#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace store {
class RecordSet;
}
namespace Ui {
class FrmMain;
}

namespace viewer {

// A text field as the card shows it: null reads as empty text.
QString cardText(const QVariant& value);

// A yes/no value: 0 is no, any other value yes; a null is no.
bool isYes(const QVariant& value);

// The mark field that markField names, compared exactly with "Mark1" to "Mark6".
std::optional<QString> markFieldName(const QString& markField);

// Writes the current record into the main window's question, answer, mark box and
// category, as every refresh does.
void writeCard(Ui::FrmMain& ui, store::RecordSet& cards, const QString& markField);

} // namespace viewer
