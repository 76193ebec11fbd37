#pragma once

#include "store/Question.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// A bank written out for the other flash-card programs.
namespace banktool {

enum class ExportFormat { Csv, Anki, Kvtml };

// The format `to` names (csv, anki or kvtml, in any case), or when it is empty the one the file
// name asks for: .csv our CSV, .txt Anki's notes text, .kvtml KVTML. Throws UsageError for any
// other.
ExportFormat exportFormat(const QString& fileName, const QString& to);

// The pre-made and custom sets a question is in, by name, in field order.
QStringList setNames(const store::Question& question);

// Anki's "Notes in Plain Text": the guid a question came with (guids, by ID) or one from its
// ID, the question and answer as HTML, and the topic and every set as tags.
QByteArray ankiNotes(const std::vector<store::Question>& questions,
                     const QHash<qint64, QString>& guids);

// KVTML 2.0 with the sides Question and Answer, each question once: a lesson per topic, and
// the sets under <sets>, containers as lessons are, which KDE's programs do not read.
// Throws BankError for a text that XML cannot hold.
QByteArray kvtmlDocument(const std::vector<store::Question>& questions);

} // namespace banktool
