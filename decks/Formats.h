#pragma once

#include "decks/Deck.h"

#include <QByteArray>
#include <QHash>

#include <vector>

class QIODevice;

namespace decks {

// A deck as a reader takes it: its text, as UTF-8 whatever the file's encoding (XML as the file
// has it), and its path, by which the packages are opened.
struct DeckInput {
    QIODevice& text;
    const QString& path;
};

// Hands each card of the deck to the sink as it is read; throws DeckError when the deck cannot
// be read, store::CsvError from those read through store::CsvReader (our CSV, Anki text). What is
// skipped or changed on the way goes to the report.
using DeckReader = void (*)(const DeckInput& input, const DeckOptions& options,
                            const CardSink& sink, DeckReport& report);

// A bank as it is written out: its questions, and by ID the identity each came with from
// another program, which Anki's notes carry as their guid.
struct BankContent {
    std::vector<store::Question> questions;
    QHash<qint64, QString> guids;
};

// The file's bytes; throws DeckError for a text the format cannot hold.
using DeckWriter = QByteArray (*)(const BankContent& bank);

struct FormatInfo {
    // How the text reaches the reader: recoded to UTF-8 by --encoding, as the file has it (XML
    // names its own encoding), or not at all (a package is a zip, read by its path).
    enum Input { Text, Xml, Package };

    QString name;  // as --from and --to take it
    QString title; // as the report names it
    Input input;
    DeckReader read;
    DeckWriter write = nullptr; // for a format only read, none
    QString suffix = {};        // of a file written in it
    QString writtenAs = {};     // as export names it
};

// Every format, in the order of Format.
const std::vector<FormatInfo>& formats();

const FormatInfo& formatInfo(Format format);

// The names --from takes, in the order of Format.
QStringList formatNames();

// "KVTML", "Anki text", …: the format as the report names it.
QString formatTitle(Format format);

// The formats known, as --from names them: "csv, kvtml, …".
QString knownFormats();

} // namespace decks
