#include "bench/BareWindow.h"

#include "devtools/automation/MainControls.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>

namespace bench {

namespace {

QRect placeIn(const QWidget& main, const QWidget& control, const QRect& rect) {
    return QRect(control.mapTo(&main, rect.topLeft()), rect.size());
}

} // namespace

BareWindow::BareWindow(const QWidget& main) {
    const automation::MainControls ui(main);
    const QWidget& text = *ui.Question->viewport();
    const int margin = int(ui.Question->document()->documentMargin());
    m_places[0] = {placeIn(main, text, text.rect().adjusted(margin, margin, -margin, -margin)),
                   ui.Question->font(),
                   text.palette().color(QPalette::Text),
                   text.palette().color(QPalette::Base),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   {}};
    for (QLabel* label : {ui.Category, ui.CountLabel}) {
        m_places[label == ui.Category ? 1 : 2] = {placeIn(main, *label, label->rect()),
                                                  label->font(),
                                                  label->palette().color(QPalette::WindowText),
                                                  label->palette().color(QPalette::Window),
                                                  int(label->alignment()),
                                                  {}};
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setPalette(main.palette());
    resize(main.size());
}

void BareWindow::showCard(const QString& question, const QString& category, const QString& count) {
    const std::array<const QString*, 3> texts = {&question, &category, &count};
    for (size_t i = 0; i < m_places.size(); ++i) {
        m_places[i].text = *texts[i];
        update(m_places[i].rect);
    }
    // Its own update request only: one pending for the main window is not this window's work.
    QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

void BareWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (event->rect() == rect())
        painter.fillRect(rect(), palette().window());
    for (const Place& place : m_places) {
        if (!event->region().intersects(place.rect))
            continue;
        painter.fillRect(place.rect, place.fill);
        painter.setFont(place.font);
        painter.setPen(place.ink);
        painter.drawText(place.rect, place.flags, place.text);
    }
}

} // namespace bench
