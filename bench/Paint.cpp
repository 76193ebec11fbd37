#include "bench/Paint.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

namespace bench {

PaintWatch::PaintWatch(const QStringList& names)
    : m_names(names) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint)
        return false;
    for (QObject* object = watched; object; object = object->parent()) {
        if (m_names.contains(object->objectName())) {
            m_painted.insert(object->objectName());
            break;
        }
        if (object->isWidgetType() && static_cast<QWidget*>(object)->isWindow())
            break;
    }
    return false;
}

void waitForPaint(const PaintWatch& watch) {
    const QDeadlineTimer deadline(10000);
    while (!watch.allPainted()) {
        if (deadline.hasExpired())
            throw std::runtime_error("the window did not paint");
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void settle() {
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace bench
