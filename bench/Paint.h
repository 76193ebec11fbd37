#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

namespace bench {

// Notes which controls of some names have painted since the last clear, in any window,
// so it can watch a window that does not exist yet. A text box paints through its viewport,
// which counts for the box.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const QStringList& names);
    void clear() { m_painted.clear(); }
    bool allPainted() const { return m_painted.size() == m_names.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStringList m_names;
    QSet<QString> m_painted;
};

// Runs the event loop until every watched control has painted, as after a window is first
// shown; throws when that takes more than some seconds.
void waitForPaint(const PaintWatch& watch);

// Lets the event loop run a while: paints, posted events, deferred deletes.
void settle();

} // namespace bench
