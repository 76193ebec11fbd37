#pragma once

#include <QString>
#include <QVariant>

namespace store {
class RecordSet;
}
namespace Ui {
class FrmMain;
}
class QPlainTextEdit;

namespace viewer {

// A text field as the card shows it: null reads as empty text.
QString cardText(const QVariant& value);

// Writes the current record into the main window's question, answer, mark box and
// category, as every refresh does.
void writeCard(Ui::FrmMain& ui, store::RecordSet& cards, const QString& markField);

// Sets a box up to show card after card at little cost: the shaped text of a card-sized box
// is kept once laid out, so that placing the cursor and painting do not shape it again, and
// its scroll bar repaints only when it shows something else.
void prepareCardBox(QPlainTextEdit* box);

} // namespace viewer
