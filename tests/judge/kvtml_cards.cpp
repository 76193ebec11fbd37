// KDE's own reading of a KVTML file, for the tests to set beside ours. Built on Qt 5 and KDE's
// libkeduvocdocument, it never shares a process with Qt 6.
//
// kvtml-cards FILE [QUESTION_SIDE ANSWER_SIDE]
// prints a line a card, "QUESTION<TAB>ANSWER<TAB>LESSON/SUBLESSON", with backslash, tab, line
// feed and carriage return written as \\, \t, \n and \r; the sides are identifier numbers, 0 and 1
// unless given, and the answer may be the "comment", "paraphrase" or "example" of the
// question's translation.
#include <KEduVocDocument>
#include <KEduVocExpression>
#include <KEduVocLesson>
#include <KEduVocTranslation>

#include <QTextStream>
#include <QUrl>

#include <cstdio>

namespace {

QString escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\t'), QLatin1String("\\t"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

enum Part { Text, Comment, Paraphrase, Example };

QString side(KEduVocExpression* entry, int index, Part part = Text) {
    if (!entry->translationIndices().contains(index))
        return QString();
    KEduVocTranslation* t = entry->translation(index);
    switch (part) {
    case Comment:
        return t->comment();
    case Paraphrase:
        return t->paraphrase();
    case Example:
        return t->example();
    case Text:
        break;
    }
    return t->text();
}

void list(KEduVocContainer* lesson, const QString& path, int question, int answer, Part part,
          QTextStream& out) {
    const auto entries = lesson->entries(KEduVocContainer::NotRecursive);
    for (KEduVocExpression* entry : entries)
        out << escaped(side(entry, question)) << '\t'
            << escaped(part == Text ? side(entry, answer) : side(entry, question, part)) << '\t'
            << path << '\n';
    const auto children = lesson->childContainers();
    for (KEduVocContainer* child : children)
        list(child, path.isEmpty() ? child->name() : path + QLatin1Char('/') + child->name(),
             question, answer, part, out);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "Usage: kvtml-cards FILE [QUESTION_SIDE ANSWER_SIDE]\n");
        return 2;
    }
    const int question = argc == 4 ? std::atoi(argv[2]) : 0;
    const int answer = argc == 4 ? std::atoi(argv[3]) : 1;
    const QString word = argc == 4 ? QString::fromLatin1(argv[3]) : QString();
    const Part part = word == QLatin1String("comment")      ? Comment
                      : word == QLatin1String("paraphrase") ? Paraphrase
                      : word == QLatin1String("example")    ? Example
                                                            : Text;
    KEduVocDocument document;
    const auto opened = document.open(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])),
                                      KEduVocDocument::FileOpenReadOnly);
    QTextStream err(stderr);
    if (opened != KEduVocDocument::NoError) {
        err << "kvtml-cards: " << argv[1] << ": " << KEduVocDocument::errorDescription(opened)
            << '\n';
        return 1;
    }
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    list(document.lesson(), QString(), question, answer, part, out);
    return 0;
}
