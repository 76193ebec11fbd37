#include "decks/DeckFile.h"
#include "decks/KvtmlReader.h"
#include "decks/Zip.h"
#include "store/Bank.h"
#include "store/BankPassword.h"
#include "store/ConnectText.h"
#include "store/Database.h"
#include "store/RecordSet.h"
#include "tests/support/BankToolRun.h"
#include "tests/support/TestBank.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sqlcipher/sqlite3.h>
#include <zip.h>
#include <zstd.h>

namespace {

using Run = testing::BankToolRun;
using testing::bankTool;
using testing::writeFile;

QString deck(const char* name) {
    return QStringLiteral(DECKS_DIR "/") + QLatin1String(name);
}

// A card as the tests compare it: "question | answer | names".
QString shown(const decks::Card& card) {
    return QStringLiteral("%1 | %2 | %3")
        .arg(card.question, card.answer, decks::nameTexts(card.names).join(u'/'));
}

// An Anki "Notes in Plain Text" export of this shape, as Anki writes it.
const QByteArray AnkiNotes = "#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n"
                             "#deck column:3\n#tags column:6\n"
                             "a1B2c3\tBasic\tBiology::Cells\tWhat is <b>osmosis</b>?\t"
                             "\"Water<br>across a <div>membrane</div>\"\tcells exam\n"
                             "d4E5f6\tBasic\tBiology::Ecology\tA &lt;niche&gt;\t"
                             "<img src=\"niche.png\"> [sound:niche.mp3]role&nbsp;of a species\t\n";

// A Quizlet export with separators of its user's choice.
const QByteArray QuizletOwn = "der Hund,the dog;die Katze,the cat;das Pferd,the horse;die Kuh,the "
                              "cow;das Schaf,the sheep;die Maus,the mouse;";

// A bank of two questions for decks to go into.
QString smallBank(const QTemporaryDir& dir) {
    const QString csv = dir.filePath(QStringLiteral("small.csv"));
    writeFile(csv, "ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n1,Q1,A1,Plants,0,0,0\n"
                   "2,the lawyer reads the newspaper,old,Plants,0,0,0\n");
    const QString bank = dir.filePath(QStringLiteral("bank.mdb"));
    bankTool({QStringLiteral("create"), csv, bank});
    return bank;
}

// A KVTML deck of so many entries, its last one cut short when broken.
QByteArray bigKvtml(int entries, bool broken) {
    QByteArray text = "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><entries>\n";
    for (int i = 0; i < entries; ++i)
        text += "<entry id=\"" + QByteArray::number(i) + "\"><translation id=\"0\"><text>Term " +
                QByteArray::number(i) +
                "</text></translation><translation id=\"1\"><text>The "
                "meaning of term " +
                QByteArray::number(i) + "</text></translation></entry>\n";
    return text + (broken ? "<entry id=\"x\"><translation" : "</entries></kvtml>\n");
}

using Members = std::vector<std::pair<QString, QByteArray>>;

// A zip of these members, as the programs' exporters write one.
QByteArray zipped(const Members& members) {
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("package.zip"));
    zip_t* archive = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto& [name, bytes] : members)
        zip_file_add(archive, name.toUtf8().constData(),
                     zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0),
                     ZIP_FL_ENC_UTF_8);
    zip_close(archive);
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The collection of the real Anki 2.0 package, changed by SQL.
QByteArray anki1Collection(const char* sql) {
    QTemporaryDir dir;
    const QString path = dir.filePath("collection");
    writeFile(path, decks::Zip(deck("mnemosyne-anki1.apkg")).readAll("collection.anki2", 1 << 20));
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real Anki 2.0 package cut to one note of the given type, its templates (front, back, …)
// and fields changed: a basic note of one or two cards, or a cloze note of two deletions; more
// SQL changes it further.
QByteArray templated(const QStringList& templates, const QStringList& fields,
                     const QStringList& values, bool cloze = false, const QByteArray& more = {}) {
    const QByteArray note = cloze ? "1502797244875" : "1502277444711";
    const QString type = cloze ? "1502277416028" : "1502277416035";
    QByteArray sql =
        "DELETE FROM cards WHERE nid <> " + note + "; DELETE FROM notes WHERE id <> " + note + ";";
    if (!cloze && templates.size() > 2)
        sql += "INSERT INTO cards SELECT id + 1, nid, did, 1, mod, usn, type, queue, due, ivl, "
               "factor, reps, lapses, left, odue, odid, flags, data FROM cards;";
    QByteArray collection = anki1Collection((sql + more).constData());
    QTemporaryDir dir;
    const QString path = dir.filePath("collection");
    writeFile(path, collection);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT models FROM col", -1, &read, nullptr);
    sqlite3_step(read);
    QJsonObject models =
        QJsonDocument::fromJson(reinterpret_cast<const char*>(sqlite3_column_text(read, 0)))
            .object();
    sqlite3_finalize(read);
    QJsonObject model = models[type].toObject();
    QJsonArray templateList;
    for (qsizetype i = 0; i + 1 < templates.size(); i += 2)
        templateList.append(QJsonObject{{"name", QStringLiteral("Card %1").arg(i / 2 + 1)},
                                        {"ord", int(i / 2)},
                                        {"qfmt", templates[i]},
                                        {"afmt", templates[i + 1]}});
    QJsonArray fieldList;
    for (qsizetype i = 0; i < fields.size(); ++i)
        fieldList.append(QJsonObject{{"name", fields[i]}, {"ord", int(i)}});
    model["tmpls"] = templateList;
    model["flds"] = fieldList;
    models[type] = model;
    const QByteArray json = QJsonDocument(models).toJson(QJsonDocument::Compact);
    const QByteArray flds = values.join(QChar(0x1f)).toUtf8();
    sqlite3_stmt* write = nullptr;
    sqlite3_prepare_v2(db, "UPDATE col SET models = ?1", -1, &write, nullptr);
    sqlite3_bind_text(write, 1, json.constData(), int(json.size()), SQLITE_TRANSIENT);
    sqlite3_step(write);
    sqlite3_finalize(write);
    sqlite3_prepare_v2(db, "UPDATE notes SET flds = ?1", -1, &write, nullptr);
    sqlite3_bind_text(write, 1, flds.constData(), int(flds.size()), SQLITE_TRANSIENT);
    sqlite3_step(write);
    sqlite3_finalize(write);
    sqlite3_close(db);
    QFile file(path);
    return zipped({{"collection.anki2", file.open(QIODevice::ReadOnly) ? file.readAll() : ""}});
}

// zstd's frame of so many zero bytes, its size in its header.
QByteArray zstdZeros(qint64 size) {
    ZSTD_CCtx* context = ZSTD_createCCtx();
    ZSTD_CCtx_setPledgedSrcSize(context, quint64(size));
    const QByteArray zeros(1 << 20, 0);
    QByteArray out;
    QByteArray piece(qsizetype(ZSTD_CStreamOutSize()), Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const qint64 take = qMin<qint64>(zeros.size(), size - done);
        done += take;
        ZSTD_inBuffer in{zeros.constData(), size_t(take), 0};
        size_t left = 0;
        do {
            ZSTD_outBuffer buffer{piece.data(), size_t(piece.size()), 0};
            left = ZSTD_compressStream2(context, &buffer, &in,
                                        done == size ? ZSTD_e_end : ZSTD_e_continue);
            out.append(piece.constData(), qsizetype(buffer.pos));
        } while (in.pos < in.size || (done == size && left != 0));
    }
    ZSTD_freeCCtx(context);
    return out;
}

// A .cards file as Mnemosyne 2 exports one: its log entries of tags, a cloned card type, facts
// and cards of each kind, more entries after them, and its metadata.
QByteArray mnemosyneCards(const QByteArray& more = {}) {
    const QByteArray xml =
        "<openSM2sync number_of_entries=\"16\">"
        "<log type=\"10\" o_id=\"t1\"><name>Biology::Cells</name></log>"
        "<log type=\"10\" o_id=\"t2\"><name>__UNTAGGED__</name></log>"
        "<log type=\"19\" o_id=\"1::Definition.1\"><name>Front-to-back</name>"
        "<q_fact_keys>['b']</q_fact_keys><a_fact_keys>['f']</a_fact_keys></log>"
        "<log type=\"22\" o_id=\"1::Definition\"><name>Definition</name>"
        "<fact_views>['1::Definition.1']</fact_views></log>"
        "<log type=\"13\" fname=\"cell.png\"></log>"
        "<log type=\"16\" o_id=\"f1\"><f>What is &lt;b&gt;osmosis&lt;/b&gt;?</f>"
        "<b>Water across a membrane</b></log>"
        "<log type=\"16\" o_id=\"f2\"><f>cell</f><b>&lt;img src=\"cell.png\"&gt;</b></log>"
        "<log type=\"16\" o_id=\"f3\"><f>casa</f><p_1>ka-sa</p_1><m_1>house</m_1>"
        "<n></n></log>"
        "<log type=\"16\" o_id=\"f4\"><text>The [mitochondria] is the [powerhouse:energy] "
        "of the cell</text></log>"
        "<log type=\"16\" o_id=\"f5\"><f>Term</f><b>Meaning</b></log>"
        "<log type=\"6\" o_id=\"c1\" card_t=\"1\" fact=\"f1\" fact_v=\"1.1\" tags=\"t1\"></log>"
        "<log type=\"6\" o_id=\"c2\" card_t=\"2\" fact=\"f2\" fact_v=\"2.1\" tags=\"t1\"></log>"
        "<log type=\"6\" o_id=\"c3\" card_t=\"2\" fact=\"f2\" fact_v=\"2.2\" tags=\"t1\"></log>"
        "<log type=\"6\" o_id=\"c4\" card_t=\"3\" fact=\"f3\" fact_v=\"3.1\" tags=\"t2\"></log>"
        "<log type=\"6\" o_id=\"c5\" card_t=\"3\" fact=\"f3\" fact_v=\"3.2\" tags=\"t2\"></log>"
        "<log type=\"6\" o_id=\"c6\" card_t=\"5\" fact=\"f4\" fact_v=\"5.1\" tags=\"t2\">"
        "<extra>{'cloze': 'mitochondria', 'index': 0}</extra></log>"
        "<log type=\"6\" o_id=\"c7\" card_t=\"5\" fact=\"f4\" fact_v=\"5.1\" tags=\"t2\">"
        "<extra>{'cloze': 'powerhouse:energy', 'index': 1}</extra></log>"
        "<log type=\"6\" o_id=\"c8\" card_t=\"1::Definition\" fact=\"f5\" "
        "fact_v=\"1::Definition.1\" tags=\"t2\"></log>" +
        more + "</openSM2sync>\n";
    return zipped({{"cards.xml", xml}, {"METADATA", "author_name:A teacher\ntags:\n"}});
}

} // namespace

class TestDecks : public QObject {
    Q_OBJECT

private slots:
    // Real files of the other programs, and text as their exports write it.
    void readsDecks_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text"); // written to file when not empty
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("card");
        const QStringList none;
        QTest::newRow("KWordQuiz, blanks stay")
            << deck("kwordquiz-fill_in_the_blank.kvtml") << QByteArray() << none << 15 << 0 << 0
            << "the lawyer reads the newspaper | der "
               "Rechtsanwalt liest [die Zeitung] | Default "
               "Lesson";
        // Conjugations and comparisons nested in a translation are not its text.
        QTest::newRow("Parley, a conjugated verb")
            << deck("parley-feature_test_document.kvtml") << QByteArray() << none << 24 << 6 << 17
            << "gehen | to go | Verbs, Conjugations";
        QTest::newRow("Parley, a formula")
            << deck("parley-feature_test_document.kvtml") << QByteArray() << none << 24 << 6 << 20
            << "$$f(z) = \\frac{1}{2\\pi\\mathrm{i}}\\oint_{|z - "
               "\\zeta| = 1}\\frac{f(\\zeta)}{\\zeta-z}\\mathrm{d}"
               "\\zeta$$ | math test | LaTeX";
        QTest::newRow("Parley, sides swapped")
            << deck("parley-feature_test_document.kvtml") << QByteArray()
            << QStringList{"--sides", "1,0"} << 24 << 6 << 0 << "hello | hallo | Normal words";
        QTest::newRow("Parley, a picture and a sound on each side")
            << deck("parley-feature_test_document.kvtml") << QByteArray() << none << 24 << 6 << 3
            << "Baum [picture: tree_de.jpg] | tree [picture: tree_en.jpg] | Pronunciation, Sound, "
               "Image | picture 'tree_de.jpg', picture 'tree_en.jpg', sound 'De-Baum.ogg', sound "
               "'En-uk-tree.ogg'";
        // A word and its hint; the picture of the translation both come from stays with the word.
        QTest::newRow("KHangMan, word and hint")
            << deck("khangman-animals.kvtml") << QByteArray() << QStringList{"--sides", "0,comment"}
            << 44 << 0 << 0 << "bear | Large heavy animal with thick fur | ";
        QTest::newRow("KVTML, hint as question, picture on the word")
            << "hint.kvtml"
            << QByteArray("<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation id=\"0\">"
                          "<comment>a big cat</comment><image>lion.png</image><text>lion</text>"
                          "</translation></entry><entry id=\"1\"><translation id=\"0\">"
                          "<text>ant</text></translation></entry></entries></kvtml>")
            << QStringList{"--sides", "comment,0"} << 1 << 1 << 0
            << "a big cat | lion [picture: lion.png] |  | picture 'lion.png'";
        QTest::newRow("KVTML 1, paraphrase as answer")
            << "old.kvtml"
            << QByteArray("<kvtml><e><o h=\" to  walk \" r=\"verb\">go</o><t>gehen</t></e></kvtml>")
            << QStringList{"--sides", "0,paraphrase"} << 1 << 0 << 0 << "go | to walk | ";
        QTest::newRow("KVTML 1, comparison left out")
            << deck("kvoctrain-sample-template-ascii.kvtml") << QByteArray() << none << 6 << 0 << 3
            << "good | good | Lesson two";
        // Lessons nest; word types and Leitner boxes hold entries too but are no lessons.
        const QByteArray nested =
            "<kvtml version=\"2.0\"><entries>"
            "<entry id=\"7\"><translation id=\"0\"><text> in  a\n lesson </text></translation>"
            "<translation id=\"1\"><text>A</text></translation></entry>"
            "<entry id=\"8\"><translation id=\"0\"><text>Q</text></translation>"
            "<translation id=\"1\"><text>B</text></translation></entry></entries>"
            "<wordtypes><container><name>Noun</name><entry id=\"7\"/></container></wordtypes>"
            "<leitnerboxes><container><name>Box 1</name><entry id=\"8\"/></container>"
            "</leitnerboxes><lessons><container><name>Outer</name><container><name>Inner</name>"
            "<entry id=\"7\"/></container></container></lessons></kvtml>";
        QTest::newRow("KVTML, nested lessons")
            << "nested.kvtml" << nested << none << 2 << 0 << 0 << "in a lesson | A | Inner/Outer";
        QTest::newRow("KVTML, outside every lesson")
            << "nested.kvtml" << nested << none << 2 << 0 << 1 << "Q | B | ";
        // Our export: each card once, in its topic, and in its sets under <sets>; an earlier
        // export wrote a set as a lesson of copies.
        const QByteArray card = "<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation "
                                "id=\"0\"><text>Q</text></translation><translation id=\"1\">"
                                "<text>A</text></translation></entry>";
        const QByteArray topic =
            "</entries><lessons><container><name>Plants</name><entry id=\"0\"/></container>";
        QTest::newRow("our KVTML, sets apart")
            << "sets.kvtml"
            << card + topic +
                   "</lessons><sets><container><name>Just the Basics</name><entry id=\"0\"/>"
                   "</container><container><name>Custom Set 2</name><entry id=\"0\"/>"
                   "</container></sets></kvtml>"
            << none << 1 << 0 << 0 << "Q | A | Plants/Just the Basics/Custom Set 2";
        const QByteArray copy = "<entry id=\"1\"><translation id=\"0\"><text>Q</text>"
                                "</translation><translation id=\"1\"><text>A</text>"
                                "</translation></entry>";
        QTest::newRow("our earlier KVTML, sets of copies")
            << "copies.kvtml"
            << card + copy + topic +
                   "<container><name>Just the Basics</name><entry id=\"1\"/></container>"
                   "</lessons></kvtml>"
            << none << 1 << 0 << 0 << "Q | A | Plants/Just the Basics";
        QTest::newRow("KVTML, lessons of the early 2.0 files")
            << "early.kvtml"
            << QByteArray("<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation "
                          "id=\"0\"><text>also</text></translation><translation id=\"1\"><text>"
                          "auch</text></translation></entry></entries><lessons><lesson><name>"
                          "conjunctions</name><entryid>0</entryid></lesson></lessons></kvtml>")
            << none << 1 << 0 << 0 << "also | auch | conjunctions";
        QTest::newRow("Mnemosyne, lines ending in CR alone")
            << deck("mnemosyne-excel_import.txt") << QByteArray() << QStringList{"--from", "tsv"}
            << 5 << 0 << 4 << "Question 5 | Answer 5 | ";
        QTest::newRow("Mnemosyne, three fields and a reference")
            << deck("mnemosyne-tsv_2.txt") << QByteArray() << QStringList{"--from", "tsv"} << 1 << 0
            << 0 << "f | p\n至 | ";
        QTest::newRow("Anki manual, a two-line answer")
            << deck("ankidroid-text-anki-manual-csv-multi-line.txt") << QByteArray() << none << 2
            << 0 << 0 << "hello | this is\na two line answer | ";
        QTest::newRow("Anki notes, HTML") << "notes.txt" << AnkiNotes << none << 2 << 0 << 0
                                          << "What is osmosis? | Water\nacross a\nmembrane | "
                                             "Biology::Cells/Cells/Biology/cells/exam";
        QTest::newRow("Anki notes, picture and sound")
            << "notes.txt" << AnkiNotes << none << 2 << 0 << 1
            << "A <niche> | [picture: niche.png] role\u00a0of a species | "
               "Biology::Ecology/Ecology/Biology | sound 'niche.mp3', picture 'niche.png'";
        QTest::newRow("Anki cards, answer after its rule")
            << "cards.txt"
            << QByteArray("#separator:Semicolon;;;\n#HTML: true;;;\n# a comment\n"
                          "Q1;\"Q1<hr id=answer>A1\"\n# another\nQ2;A2 <b>x</b>;;\n")
            << none << 2 << 0 << 1 << "Q2 | A2 x | ";
        QTest::newRow("Anki without header, a card missing its answer")
            << "guess.txt" << QByteArray("a,b\nc,\n") << none << 1 << 1 << 0 << "a | b | ";
        QTest::newRow("a spreadsheet's two columns")
            << "terms.csv" << QByteArray("cell;the unit of life\r\ntissue;cells\r\n") << none << 2
            << 0 << 1 << "tissue | cells | ";
        QTest::newRow("Quizlet, own separators")
            << "set.txt" << QByteArray("term 1 - def, with - dash;;term 2 - def 2;;")
            << QStringList{"--from", "quizlet",          "--field-separator",
                           " - ",    "--card-separator", ";;"}
            << 2 << 0 << 0 << "term 1 | def, with - dash | ";
        QTest::newRow("Anki, a deck name in quotes")
            << "deck.txt" << QByteArray("#separator:tab\n#deck:\"CSCI 50.01 Module 5\"\nQ\tA\n")
            << none << 1 << 0 << 0 << "Q | A | CSCI 50.01 Module 5";
        QTest::newRow("Quizlet, ; between cards and , in them")
            << "set.txt" << QuizletOwn
            << QStringList{"--from", "quizlet", "--field-separator", ",", "--card-separator", ";"}
            << 6 << 0 << 1 << "die Katze | the cat | ";
        QTest::newRow("Latin-1 told")
            << "old.tsv" << QByteArray("caf\xe9\tcoffee\n") << QStringList{"--encoding", "latin1"}
            << 1 << 0 << 0 << "café | coffee | ";
        // Anki's packages: every card as Anki renders it, from the collection Anki would open.
        // The layouts of Anki 2.1 and 2.1.50 are the same real deck rewritten by
        // scripts/anki-package-layouts.py beside stand-ins that hold one card.
        QTest::newRow("Anki 2.0 package, a nested deck")
            << deck("mnemosyne-anki1.apkg") << QByteArray() << none << 6 << 1 << 5
            << "subdeck card | answer | Deck 1::subdeck/subdeck/Deck 1/Basic with type answer";
        QTest::newRow("Anki 2.1 package, the second of two deletions and a hint")
            << deck("built-anki1-legacy2.apkg") << QByteArray() << none << 6 << 1 << 3
            << "aa bbb [...]\u00a0 [Text: aa {{c1::bbb}} {{c2::cc}}\u00a0] | aa bbb cc | "
               "Deck 1/Cloze";
        QTest::newRow("Anki 2.1.50 collection, a picture")
            << deck("built-anki1-latest.colpkg") << QByteArray() << none << 6 << 1 << 0
            << "[picture: al.png]aoeu | al | Deck 1/Basic | picture 'al.png'";
        QTest::newRow("AnkiDroid's templates, a card of a note's eight")
            << deck("ankidroid-templates.apkg") << QByteArray() << none << 99 << 47 << 2
            << "Which nerve acts on Coracobrachialis? | Musculocutaneous | "
               "1-TEMPLATES::Anatomy/Anatomy/1-TEMPLATES/Muscle/UpperEx/arm/Muscle";
        QTest::newRow("AnkiDroid's templates, a third deletion")
            << deck("ankidroid-templates.apkg") << QByteArray() << none << 99 << 47 << 75
            << "Some common text here! I am a long sentence with multiple sections [...]! | "
               "Some common text here! I am a long sentence with multiple sections clozed! | "
               "1-TEMPLATES::NormalClozes/NormalClozes/1-TEMPLATES/cloze";
        // Anki's template language, each rule on the real note: sections shown when their
        // field has text, hidden ones, filters, special fields, clozes nested and hinted.
        const QStringList basic = {"Front", "Back", "Extra"};
        const QString answer = "{{FrontSide}}<hr id=answer>{{Back}}";
        QTest::newRow("Anki template, a section and an inverted one")
            << "t.apkg"
            << templated(
                   {"{{Front}}{{#Extra}} ({{Extra}}){{/Extra}}{{^Back}} nothing{{/Back}}", answer},
                   basic, {"Q", "A", "E"})
            << none << 1 << 0 << 0 << "Q (E) | A | Deck 1/Basic";
        QTest::newRow("Anki template, sections of empty fields")
            << "t.apkg"
            << templated(
                   {"{{Front}}{{#Extra}} ({{Extra}}){{/Extra}}{{^Extra}}, alone{{/Extra}}", answer},
                   basic, {"Q", "A", "<br> <div></div>"})
            << none << 1 << 0 << 0 << "Q, alone | A | Deck 1/Basic";
        QTest::newRow("Anki template, reversed: the second card")
            << "t.apkg"
            << templated({"{{Front}}", answer, "{{Back}}", "{{FrontSide}}<hr id=answer>{{Front}}"},
                         basic, {"Q", "A", ""})
            << none << 2 << 0 << 1 << "A | Q | Deck 1/Basic";
        QTest::newRow("Anki template, a second card Anki leaves empty")
            << "t.apkg"
            << templated({"{{Front}}", answer, "{{#Extra}}{{Extra}}{{/Extra}}", answer}, basic,
                         {"Q", "A", ""})
            << none << 1 << 1 << 0 << "Q | A | Deck 1/Basic";
        QTest::newRow("Anki template naming a field its note type lacks")
            << "t.apkg"
            << templated({"{{Front}}", answer, "{{Back}} {{Nope}}", answer}, basic, {"Q", "A", ""})
            << none << 1 << 1 << 0 << "Q | A | Deck 1/Basic";
        QTest::newRow("Anki template with a section left open")
            << "t.apkg"
            << templated({"{{Front}}", answer, "{{#Back}}{{Back}}", answer}, basic, {"Q", "A", ""})
            << none << 1 << 1 << 0 << "Q | A | Deck 1/Basic";
        QTest::newRow("Anki template, special fields")
            << "t.apkg"
            << templated({"{{Type}}: {{Card}} of {{Deck}} ({{Subdeck}}){{Tags}}", answer}, basic,
                         {"Q", "A", ""})
            << none << 1 << 0 << 0 << "Basic: Card 1 of Deck 1 (Deck 1) | A | Deck 1/Basic";
        QTest::newRow("Anki template, filters")
            << "t.apkg"
            << templated({"{{text:Front}}{{type:Back}}{{tts en_US:Back}} {{hint:Extra}}",
                          "{{furigana:Back}}, {{kana:Back}}, {{kanji:Back}}"},
                         basic, {"<b>Q</b> &amp;", "日本[にほん]", "E"})
            << none << 1 << 0 << 0 << "Q & [Extra: E] | 日本(にほん), にほん, 日本 | Deck 1/Basic";
        const QStringList cloze = {"Text", "Extra"};
        const QString clozed = "{{c1::outer {{c2::inner}}}} {{c1::again::a hint}}";
        QTest::newRow("Anki cloze, an outer deletion with a hint")
            << "c.apkg"
            << templated({"{{cloze:Text}}", "{{cloze:Text}}<br>{{Extra}}"}, cloze, {clozed, "X"},
                         true)
            << none << 2 << 0 << 0 << "[...] [a hint] | outer inner again\nX | Deck 1/Cloze";
        QTest::newRow("Anki cloze, the inner deletion")
            << "c.apkg"
            << templated({"{{cloze:Text}}", "{{cloze:Text}}<br>{{Extra}}"}, cloze, {clozed, "X"},
                         true)
            << none << 2 << 0 << 1 << "outer [...] again | outer inner again\nX | Deck 1/Cloze";
        QTest::newRow("Anki template, typing: the answer it expects")
            << "t.apkg"
            << templated({"{{Front}}{{type:Back}}", "{{Front}}<hr id=answer>{{type:Back}}"}, basic,
                         {"Q", "A", ""})
            << none << 1 << 0 << 0 << "Q | A | Deck 1/Basic";
        QTest::newRow("Anki cloze, typing the deletions")
            << "c.apkg"
            << templated({"{{cloze:Text}}{{type:cloze:Text}}", "{{type:cloze:Text}}"}, cloze,
                         {"{{c1::a}} {{c1::b}} {{c2::c}}", ""}, true)
            << none << 2 << 0 << 0 << "[...] [...] c | a, b | Deck 1/Cloze";
        QTest::newRow("Anki cloze, a card whose deletion is gone")
            << "c.apkg"
            << templated({"{{cloze:Text}}", "{{cloze:Text}}"}, cloze, {"{{c1::one}} two", ""}, true)
            << none << 1 << 1 << 0 << "[...] two | one two | Deck 1/Cloze";
        QTest::newRow("Anki card in a filtered deck, named by its own")
            << "t.apkg"
            << templated({"{{Front}} in {{Deck}}", answer}, basic, {"Q", "A", ""}, false,
                         "UPDATE cards SET did = 999, odid = 1;")
            << none << 1 << 0 << 0 << "Q in Deck 1 | A | Deck 1/Basic";
        QTest::newRow("Anki note of a type the package lacks")
            << "t.apkg"
            << templated({"{{cloze:Text}}", "{{cloze:Text}}"}, cloze,
                         {"{{c1::one}} {{c2::two}}", ""}, true,
                         "INSERT INTO notes SELECT 7, 'g7', 42, mod, usn, tags, flds, sfld, "
                         "csum, flags, data FROM notes; INSERT INTO cards SELECT 7, 7, did, "
                         "0, mod, usn, type, queue, due, ivl, factor, reps, lapses, left, "
                         "odue, odid, flags, data FROM cards LIMIT 1;")
            << none << 2 << 1 << 1 << "one [...] | one two | Deck 1/Cloze";
        QByteArray wal = anki1Collection("");
        wal[18] = wal[19] = 2;
        QTest::newRow("Anki collection left in WAL mode")
            << "wal.apkg" << zipped({{"collection.anki2", wal}}) << none << 6 << 1 << 5
            << "subdeck card | answer | Deck 1::subdeck/subdeck/Deck 1/Basic with type answer";
        QTest::newRow("Anki 2.1 package that names its layout in a meta")
            << "meta.apkg"
            << zipped({{"meta", "\x08\x02"},
                       {"collection.anki2", anki1Collection("DELETE FROM cards WHERE ord = 0;")},
                       {"collection.anki21", wal}})
            << none << 6 << 1 << 0
            << "[picture: al.png]aoeu | al | Deck 1/Basic | picture 'al.png'";
        QTest::newRow("Mnemosyne .cards, back to front")
            << "deck.cards" << mnemosyneCards() << none << 8 << 0 << 2
            << "[picture: cell.png] | cell | Biology::Cells/Front-to-back and back-to-front | "
               "picture 'cell.png'";
        QTest::newRow("Mnemosyne .cards, vocabulary produced")
            << "deck.cards" << mnemosyneCards() << none << 8 << 0 << 4
            << "house | casa\nka-sa | Vocabulary";
        QTest::newRow("Mnemosyne .cards, a cloze with its hint")
            << "deck.cards" << mnemosyneCards() << none << 8 << 0 << 6
            << "The mitochondria is the [energy] of the cell | powerhouse | Cloze deletion";
        QTest::newRow("Mnemosyne .cards, cards of a plugin's type and of a lost fact")
            << "deck.cards"
            << mnemosyneCards("<log type=\"6\" o_id=\"c9\" card_t=\"7\" fact=\"f1\" "
                              "fact_v=\"7.1\" tags=\"\"></log><log type=\"6\" o_id=\"c10\" "
                              "card_t=\"1\" fact=\"f9\" fact_v=\"1.1\" tags=\"\"></log>")
            << none << 8 << 2 << 0
            << "What is osmosis? | Water across a membrane | Biology::Cells/Front-to-back only";
        QTest::newRow("Mnemosyne .cards, a cloned card type")
            << "deck.cards" << mnemosyneCards() << none << 8 << 0 << 7
            << "Meaning | Term | Definition";
    }

    void readsDecks() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, options);
        QFETCH(int, cards);
        QFETCH(int, skipped);
        QFETCH(int, at);
        QFETCH(QString, card);
        QTemporaryDir dir;
        if (!text.isEmpty()) {
            file = dir.filePath(file);
            writeFile(file, text);
        }
        // The options as the bank tool parses them.
        decks::DeckOptions read;
        for (int i = 0; i + 1 < options.size(); i += 2) {
            const QString& value = options[i + 1];
            if (options[i] == u"--from")
                read.format = decks::Format(decks::formatNames().indexOf(value));
            else if (options[i] == u"--sides")
                read.sides = *decks::kvtmlSides(value);
            else if (options[i] == u"--encoding")
                read.encoding = decks::Encoding::Latin1;
            else if (options[i] == u"--field-separator")
                read.fieldSeparator = value;
            else if (options[i] == u"--card-separator")
                read.cardSeparator = value;
        }
        std::vector<decks::Card> read_;
        decks::DeckReport report;
        decks::readDeck(
            file, read, [&](decks::Card&& c) { read_.push_back(std::move(c)); }, report);
        QCOMPARE(int(read_.size()), cards);
        QCOMPARE(int(report.skipped.size()), skipped);
        // The pictures and sounds the report gives for the card, after it.
        QString got = shown(read_[size_t(at)]);
        QStringList media;
        for (const auto& [where, what] : report.media) {
            if (where == read_[size_t(at)].where)
                media << what;
        }
        if (!media.isEmpty())
            got += " | " + media.join(", ");
        QCOMPARE(got, card);

        // The bank tool makes a bank of the same cards.
        const Run run = bankTool(QStringList{"create", "--category", "Ecology"} + options +
                                 QStringList{file, dir.filePath("bank.mdb")});
        QCOMPARE(run.status, 0);
        const auto questions = store::readBank(dir.filePath("bank.mdb"));
        QVERIFY2(
            run.out.contains(questions.size() == 1
                                 ? QStringLiteral(" with 1 question, ")
                                 : QStringLiteral(" with %1 questions, ").arg(questions.size())),
            qPrintable(run.out));
        // One question for each question and answer.
        QSet<QString> texts;
        for (const decks::Card& c : read_)
            texts.insert(c.question + u'\n' + c.answer);
        QCOMPARE(int(questions.size()), int(texts.size()));
        // The first card of a question text is its question.
        const auto same = std::find_if(questions.begin(), questions.end(), [&](const auto& q) {
            return q.question == read_[size_t(at)].question;
        });
        QVERIFY(same != questions.end());
        QCOMPARE(*same->answer, read_[size_t(at)].answer);
    }

    // Every refusal names the file and where, ends with a non-zero status and leaves the bank
    // as it was, byte for byte.
    void refusesBadDecksLeavingTheBankAlone_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<int>("status");
        const QStringList topic = {"--category", "Ecology"};
        QByteArray truncated = bigKvtml(3, false);
        truncated.chop(30);
        QTest::newRow("malformed XML")
            << "bad.kvtml"
            << QByteArray("<kvtml version=\"2.0\"><entries>\n<entry id=\"0\"></kvtml>") << topic
            << QStringList{"bad.kvtml, line 2", "mismatch"} << 1;
        QTest::newRow("truncated XML") << "cut.kvtml" << truncated << topic
                                       << QStringList{"cut.kvtml, line 5", "Premature end"} << 1;
        QTest::newRow("entity-expansion bomb")
            << "bomb.kvtml"
            << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [\n<!ENTITY a \"aaaaaaaa\">\n"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c "
                          "\"&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n<kvtml version=\"2.0\"><entries>"
                          "<entry id=\"0\"><translation id=\"0\"><text>&c;</text>"
                          "</translation></entry></entries></kvtml>\n")
            << topic << QStringList{"bomb.kvtml, line 6", "entities"} << 1;
        QTest::newRow("another XML") << "page.xml" << QByteArray("<html><body/></html>") << topic
                                     << QStringList{"page.xml, line 1", "not <kvtml>"} << 1;
        QTest::newRow("a folder") << "folder.kvtml" << QByteArray() << topic
                                  << QStringList{"folder.kvtml", "is a folder"} << 1;
        QTest::newRow("no such file") << "none.kvtml" << QByteArray() << topic
                                      << QStringList{"cannot read", "none.kvtml"} << 1;
        QTest::newRow("separator that splits nothing")
            << "set.txt" << QByteArray("a:b\nc:d\n")
            << topic + QStringList{"--from", "quizlet", "--field-separator", ";"}
            << QStringList{"set.txt", "splits none of its 2 cards"} << 1;
        QTest::newRow("unknown format")
            << "deck.dat" << QByteArray("hello\n") << topic
            << QStringList{"deck.dat", "csv, kvtml, anki, tsv, quizlet"} << 1;
        QTest::newRow("Latin-1 untold")
            << "old.tsv" << QByteArray("a\tb\rcaf\xe9\tcoffee\r") << topic
            << QStringList{"old.tsv, line 2", "not UTF-8", "--encoding"} << 1;
        QTest::newRow("UTF-16 untold")
            << "wide.txt"
            << QByteArray(QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)
                              .encode(QStringLiteral("q\ta\n")))
            << topic << QStringList{"wide.txt, line 1", "UTF-16"} << 1;
        QTest::newRow("NUL in our CSV")
            << "q.csv"
            << QByteArrayLiteral("ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n3,Q,A,Plants,0,0,"
                                 "0\n4,Q\0,A,Plants,0,0,0\n")
            << QStringList() << QStringList{"q.csv, line 3", "U+0000"} << 1;
        QTest::newRow("cards without a topic")
            << "lessons.kvtml" << QByteArray() << QStringList()
            << QStringList{"15 cards have no topic", "\n  lesson \"Default Lesson\": 15 cards\n",
                           "--map"}
            << 1;
        QTest::newRow("--map of a name the deck lacks")
            << "lessons.kvtml" << QByteArray() << topic + QStringList{"--map", "Image=Animals"}
            << QStringList{"no lesson, deck or tag of the deck is named 'Image'; its names are:\n"
                           "  lesson \"Default Lesson\": 15 cards\nNothing was written."}
            << 1;
        QTest::newRow("a set word unknown")
            << "lessons.kvtml" << QByteArray() << topic + QStringList{"--set", "tuff"}
            << QStringList{"--set takes BASICS, TOUGH, FINAL, not 'tuff'; did you mean 'TOUGH'?"}
            << 2;
        QTest::newRow("a Quizlet export guessed as Anki")
            << "set.txt" << QuizletOwn << topic
            << QStringList{"set.txt was read as Anki text (guessed from its name, '.txt'), but its "
                           "one line is split by ';' into 7 fields",
                           "--from quizlet --card-separator ';' --field-separator ','"}
            << 1;
        QTest::newRow("no deck at all")
            << "files.txt" << QByteArray("a\tb\nREADME\nimages/a.png\nnotes\n") << topic
            << QStringList{"files.txt was read as Anki text (guessed from its name, '.txt'), but "
                           "3 of its 4 lines or entries gave no card (first line 2: one field "
                           "only",
                           "--from anki reads it", "csv, kvtml, anki, tsv, quizlet"}
            << 1;
        QTest::newRow("answers on no card")
            << "set.txt" << QByteArray("a - \nb - \n")
            << topic + QStringList{"--from", "quizlet", "--field-separator", " - "}
            << QStringList{"set.txt gives no card: each of its 2 lines or entries was skipped, the "
                           "first (line 1) for no answer. Nothing was written."}
            << 1;
        QTest::newRow("a bank for the deck")
            << "itself.mdb" << QByteArray() << topic
            << QStringList{"itself.mdb' is a question bank, not a deck: memvane-bank export"} << 1;
        QTest::newRow("a topic that is none of the fifteen")
            << "lessons.kvtml" << QByteArray() << QStringList{"--map", "Default Lesson=ecolgy"}
            << QStringList{"did you mean 'Ecology'"} << 2;
        const QString oneSide =
            "one side only: no entry has text on the answer side (identifier 1); its words are all "
            "on identifier 0";
        QTest::newRow("one side only, with hints")
            << "khangman-animals.kvtml" << QByteArray() << topic
            << QStringList{"khangman-animals.kvtml, " + oneSide +
                           "; --sides 0,comment (44 entries have one) takes each word's comment "
                           "as its answer"}
            << 1;
        QTest::newRow("one side only, --dry-run")
            << "khangman-animals.kvtml" << QByteArray() << topic + QStringList{"--dry-run"}
            << QStringList{"khangman-animals.kvtml, " + oneSide} << 1;
        QTest::newRow("one side only, words alone")
            << "words.kvtml"
            << QByteArray("<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"><name>"
                          "ਗੁਰਮੁਖੀ</name></identifier></identifiers><entries><entry id=\"0\">"
                          "<translation id=\"0\"><text>ਸ਼ੇਰ</text></translation></entry>"
                          "</entries></kvtml>")
            << topic
            << QStringList{"words.kvtml, " + oneSide +
                           ", and no entry has a comment, paraphrase or example to take as the "
                           "answer"}
            << 1;
        // KVTML 1 keeps the hint as an attribute; the question side is the one missing here.
        QTest::newRow("one side only, KVTML 1 swapped")
            << "old.kvtml" << QByteArray("<kvtml><e><o r=\"a hint\">word</o></e></kvtml>")
            << topic + QStringList{"--sides", "1,0"}
            << QStringList{"old.kvtml, one side only: no entry has text on the question side "
                           "(identifier 1); its words are all on identifier 0; --sides 0,comment "
                           "(1 entry has one)"}
            << 1;
        QTest::newRow("one side only, a paraphrase none has")
            << "khangman-animals.kvtml" << QByteArray()
            << topic + QStringList{"--sides", "0,paraphrase"}
            << QStringList{"answer side (the paraphrase of identifier 0)", "--sides 0,comment"}
            << 1;
        QTest::newRow("--sides, two words")
            << "lessons.kvtml" << QByteArray() << QStringList{"--sides", "comment,example"}
            << QStringList{"--sides takes", "comment, paraphrase or example", "'comment,example'"}
            << 2;
        QTest::newRow("--sides, a word it does not take")
            << "lessons.kvtml" << QByteArray() << QStringList{"--sides", "0,hint"}
            << QStringList{"as 0,comment; not '0,hint'"} << 2;
        QTest::newRow("sides that are not two")
            << "lessons.kvtml" << QByteArray() << QStringList{"--sides", "1"}
            << QStringList{"--sides"} << 2;
        // Packages made to harm, or damaged: refused before a card is read.
        const QByteArray collection = anki1Collection("");
        QFile real(deck("mnemosyne-anki1.apkg"));
        const QByteArray package = real.open(QIODevice::ReadOnly) ? real.readAll() : QByteArray();
        QTest::newRow("a zip bomb")
            << "bomb.apkg"
            << zipped({{"meta", "\x08\x03"}, {"collection.anki21b", zstdZeros(qint64(1100) << 20)}})
            << topic << QStringList{"bomb.apkg", "'collection.anki21b' inflates past 1 GiB"} << 1;
        QTest::newRow("media outside the folder")
            << "up.apkg"
            << zipped({{"collection.anki2", collection}, {"media", "{\"0\": \"../../.bashrc\"}"}})
            << topic << QStringList{"up.apkg", "names '../../.bashrc'"} << 1;
        QTest::newRow("a media list that is not JSON")
            << "list.apkg" << zipped({{"collection.anki2", collection}, {"media", "{\"0\": "}})
            << topic << QStringList{"list.apkg", "media list is not JSON"} << 1;
        QTest::newRow("media at an absolute path")
            << "abs.apkg"
            << zipped({{"collection.anki2", collection}, {"media", "{\"0\": \"/etc/passwd\"}"}})
            << topic << QStringList{"abs.apkg", "names '/etc/passwd'"} << 1;
        QTest::newRow("a member outside the folder")
            << "up.cards" << zipped({{"cards.xml", "<openSM2sync/>"}, {"../x.png", "x"}}) << topic
            << QStringList{"up.cards", "holds '../x.png'"} << 1;
        QTest::newRow("a truncated package")
            << "cut.apkg" << package.left(package.size() / 2) << topic
            << QStringList{"cut.apkg", "not a whole zip"} << 1;
        QTest::newRow("a collection that is no SQLite")
            << "text.apkg" << zipped({{"collection.anki2", "Please update"}}) << topic
            << QStringList{"text.apkg", "not a SQLite file"} << 1;
        QTest::newRow("notes as a view")
            << "view.apkg"
            << zipped(
                   {{"collection.anki2", anki1Collection("ALTER TABLE notes RENAME TO n; "
                                                         "CREATE VIEW notes AS SELECT * FROM n;")}})
            << topic << QStringList{"view.apkg", "'notes' is a view, not a table"} << 1;
        QTest::newRow("a trigger")
            << "trigger.apkg"
            << zipped(
                   {{"collection.anki2", anki1Collection("CREATE TRIGGER t AFTER DELETE ON cards "
                                                         "BEGIN DELETE FROM notes; END;")}})
            << topic << QStringList{"trigger.apkg", "trigger 't' on 'cards'"} << 1;
        const QByteArray latest =
            decks::Zip(deck("built-anki1-latest.colpkg")).readAll("collection.anki21b", 1 << 20);
        QTest::newRow("a compressed collection cut short")
            << "short.apkg"
            << zipped(
                   {{"meta", "\x08\x03"}, {"collection.anki21b", latest.left(latest.size() / 2)}})
            << topic << QStringList{"short.apkg", "'collection.anki21b' ends early"} << 1;
        QTest::newRow("a damaged meta")
            << "meta.apkg" << zipped({{"meta", "\x08"}, {"collection.anki21b", latest}}) << topic
            << QStringList{"meta.apkg", "protocol-buffer message in it is damaged"} << 1;
        QTest::newRow("a newer Anki's package")
            << "new.apkg" << zipped({{"meta", "\x08\x07"}, {"collection.anki21b", "x"}}) << topic
            << QStringList{"new.apkg", "package version 7"} << 1;
        QTest::newRow("Mnemosyne .cards, its XML cut short")
            << "cut.cards"
            << zipped({{"cards.xml", "<openSM2sync><log type=\"16\" o_id=\"f1\"><f>x</f>"}})
            << topic << QStringList{"cut.cards, cards.xml line 1", "damaged"} << 1;
        QTest::newRow("a zip of neither program")
            << "other.zip" << zipped({{"readme.txt", "hello"}}) << topic
            << QStringList{"other.zip", "in no format"} << 1;
        QTest::newRow("Mnemosyne media outside the folder")
            << "media.cards" << mnemosyneCards("<log type=\"13\" fname=\"../../cell.png\"></log>")
            << topic << QStringList{"media.cards, entry 19", "'../../cell.png'"} << 1;
        // Read whole before a card is written: a fault at the end of 50 MB still writes nothing.
        QTest::newRow("50 MB, broken at the end")
            << "big.kvtml" << bigKvtml(320000, true) << topic
            << QStringList{"big.kvtml, line 320003", "Premature end"} << 1;
    }

    void refusesBadDecksLeavingTheBankAlone() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, options);
        QFETCH(QStringList, said);
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString bank = smallBank(dir);
        const QByteArray before = testing::checksum(bank);
        const QString path = dir.filePath(file);
        if (file.startsWith(u"folder"))
            QVERIFY(QDir().mkpath(path));
        else if (file.startsWith(u"itself"))
            QVERIFY(QFile::copy(bank, path));
        else if (file.startsWith(u"lessons"))
            QVERIFY(QFile::copy(deck("kwordquiz-fill_in_the_blank.kvtml"), path));
        else if (text.isEmpty() && QFile::exists(deck(qPrintable(file))))
            QVERIFY(QFile::copy(deck(qPrintable(file)), path));
        else if (!text.isEmpty())
            writeFile(path, text);
        const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        // create reads as import does; once is enough for the big file.
        for (const char* command : {"import", "create"}) {
            if (text.size() > (1 << 20) && command == QByteArrayView("create"))
                break;
            const QString target =
                command == QByteArrayView("import") ? bank : dir.filePath("new.mdb");
            const Run run = bankTool(QStringList{command} + options + QStringList{path, target});
            QCOMPARE(run.status, status);
            for (const QString& part : said)
                QVERIFY2(run.err.contains(part), qPrintable(run.err));
            // What the user can mend is said as it is, with no error number.
            QVERIFY2(!run.err.contains(QRegularExpression("error \\d+:")), qPrintable(run.err));
            QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
            QCOMPARE(testing::checksum(bank), before);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), entries);
        }
    }

    // The same deck again updates the questions it made; marks stay.
    void importsAgainWithoutDuplicates() {
        QTemporaryDir dir;
        const QString bank = smallBank(dir);
        const QString notes = dir.filePath("notes.txt");
        writeFile(notes, AnkiNotes);
        const QStringList map = {"--map", "Cells=Cell Structure and Function",
                                 "--map", "biology=Ecology",
                                 "--set", "TOUGH,final"};
        Run run = bankTool(QStringList{"import"} + map + QStringList{notes, bank});
        QCOMPARE(run.out.section('\n', 1),
                 "Added 2, updated 0, left alone 0, skipped 0.\nPictures written as text: 1\n"
                 "Sounds dropped: 1\n  line 8: sound 'niche.mp3'\n  line 8: picture 'niche.png'\n"
                 "1 card has names that --map puts in different topics; the first --map given "
                 "won (first at line 7: deck \"Cells\" to Cell Structure and Function, not deck "
                 "\"Biology\" to Ecology).\n");
        auto questions = store::readBank(bank);
        QCOMPARE(questions.size(), size_t(4));
        QCOMPARE(*questions[2].category, "Cell Structure and Function");
        QCOMPARE(*questions[3].category, "Ecology");
        QCOMPARE(questions[3].sets, (std::array<int, 3>{0, 1, 1}));
        testing::writeField(bank, 4, "Mark2", 1);

        // The teacher rewrites a question and adds one; Anki keeps the guids.
        writeFile(notes, QByteArray(AnkiNotes).replace("A &lt;niche&gt;", "A niche?") +
                             "g7H8i9\tBasic\tBiology\tNew?\tYes\t\n");
        const QByteArray before = testing::checksum(bank);
        run = bankTool(QStringList{"import", "--dry-run"} + map + QStringList{notes, bank});
        QVERIFY2(run.out.section('\n', 1).startsWith("Would add 1, update 1, leave alone 1, skip "
                                                     "0; nothing was written."),
                 qPrintable(run.out));
        QVERIFY2(run.out.contains("\n  deck \"Biology\": 3 cards\n"), qPrintable(run.out));
        QCOMPARE(testing::checksum(bank), before);
        run = bankTool(QStringList{"import"} + map + QStringList{notes, bank});
        QVERIFY2(
            run.out.section('\n', 1).startsWith("Added 1, updated 1, left alone 1, skipped 0."),
            qPrintable(run.out));
        questions = store::readBank(bank);
        QCOMPARE(questions.size(), size_t(5));
        QCOMPARE(*questions[3].question, "A niche?");
        QCOMPARE(questions[3].marks[1], 1);
        // The program opens a bank that keeps guids as it opens any other.
        auto db = std::make_shared<store::Database>(
            bank, store::ConnectText::parse(store::BankConnectText),
            store::Database::Mode::ReadWrite);
        QCOMPARE(db->openRecordSet("SELECT * FROM QATABLE WHERE TOUGH = YES")->recordCount(), 3);
        db.reset();

        // Without an identity, a card is the question of the same text: here one the bank had.
        const QString kvtml = deck("kwordquiz-fill_in_the_blank.kvtml");
        run = bankTool({"import", "--category", "ecology", kvtml, bank});
        QCOMPARE(run.out.section('\n', 1), "Added 14, updated 1, left alone 0, skipped 0.\n");
        run = bankTool({"import", "--category", "Ecology", kvtml, bank});
        QCOMPARE(run.out.section('\n', 1), "Added 0, updated 0, left alone 15, skipped 0.\n");
        questions = store::readBank(bank);
        QCOMPARE(questions.size(), size_t(19));
        QCOMPARE(*questions[1].answer, "der Rechtsanwalt liest [die Zeitung]");
        QCOMPARE(questions.back().id, 19);

        // Our own CSV: a category of another book is mapped, or named in the report.
        writeFile(dir.filePath("own.csv"),
                  "ID,Question,Answer,Category,BASICS,TOUGH,FINAL\n"
                  "30,Q,A,Botany,0,0,0\n31,Q,A,,0,0,0\n32,Q,A,Zoology,0,0,0\n");
        run = bankTool({"import", "--map", "botany=Plants", "--category", "Animals",
                        dir.filePath("own.csv"), bank});
        QCOMPARE(run.status, 0);
        QCOMPARE(testing::readColumn(bank, "Category").mid(19),
                 (QVariantList{"Plants", "Animals", "Animals"}));
        run = bankTool({"import", dir.filePath("own.csv"), bank});
        QVERIFY2(run.out.contains("'Zoology' (first at ID 32) is none of the fifteen topics") &&
                     run.out.contains("did you mean 'Ecology'"),
                 qPrintable(run.out));

        // A package again, in another layout of the same notes: the same cards, by guid and
        // card number; a note changed since updates its card.
        run =
            bankTool({"import", "--category", "Ecology", deck("built-anki1-latest.colpkg"), bank});
        QVERIFY2(run.out.section('\n', 1).startsWith("Added 6, updated 0, left alone 0, skipped"),
                 qPrintable(run.out));
        run = bankTool({"import", "--category", "Ecology", deck("mnemosyne-anki1.apkg"), bank});
        QVERIFY2(run.out.section('\n', 1).startsWith("Added 0, updated 0, left alone 6, skipped"),
                 qPrintable(run.out));
        writeFile(dir.filePath("changed.apkg"),
                  zipped({{"collection.anki2",
                           anki1Collection("UPDATE notes SET flds = 'subdeck card' || char(31) || "
                                           "'changed' WHERE flds LIKE 'subdeck%'")}}));
        run = bankTool({"import", "--category", "Ecology", dir.filePath("changed.apkg"), bank});
        QVERIFY2(run.out.section('\n', 1).startsWith("Added 0, updated 1, left alone 5, skipped"),
                 qPrintable(run.out));
        QCOMPARE(*store::readBank(bank).back().answer, "changed");
        // A note exported earlier as Anki text is its first card by its guid.
        writeFile(dir.filePath("guid.apkg"),
                  zipped({{"collection.anki2",
                           anki1Collection("UPDATE notes SET guid = 'a1B2c3' WHERE id = "
                                           "1502277444711")}}));
        run = bankTool({"import", "--category", "Ecology", dir.filePath("guid.apkg"), bank});
        QVERIFY2(run.out.section('\n', 1).startsWith("Added 0, updated 2, left alone 4, skipped"),
                 qPrintable(run.out));
        QCOMPARE(*store::readBank(bank)[2].question, "[picture: al.png]aoeu");
        // Anki's own package of a note whose front is a sound alone.
        run = bankTool({"import", "--category", "Ecology", deck("anki-media.apkg"), bank});
        QVERIFY2(run.err.endsWith("anki-media.apkg gives no card: its one card (card 1 (note "
                                  "1)) was skipped for no question. Nothing was written.\n"),
                 qPrintable(run.err));
    }

    // A deck of 100,000 cards goes in whole, read as it streams.
    void importsAHundredThousandCards() {
        QTemporaryDir dir;
        const QString bank = smallBank(dir);
        QByteArray text = "#separator:tab\n#html:false\n#deck:Ecology\n";
        for (int i = 0; i < 100000; ++i)
            text += "Term " + QByteArray::number(i) + "\tMeaning " + QByteArray::number(i) + "\n";
        writeFile(dir.filePath("big.txt"), text);
        const Run run = bankTool({"import", dir.filePath("big.txt"), bank});
        QCOMPARE(run.out, "Read " + dir.filePath("big.txt") +
                              " as Anki text (found from its content: Anki's header lines).\n"
                              "Added 100000, updated 0, left alone 0, skipped 0.\n");
        QCOMPARE(store::readBank(bank).back().id, 100002);
    }
};

QTEST_GUILESS_MAIN(TestDecks)
#include "tst_decks.moc"
