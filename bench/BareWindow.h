#pragma once

#include <QString>
#include <QWidget>

#include <array>

namespace bench {

// The least any window could do to show a card, as a floor under the program's figures: the
// question, the category and the count drawn with QPainter::drawText into a plain widget, in
// the places, fonts and colours of the main window's controls, and only those three places
// repainted. None of the program's code runs in it.
class BareWindow : public QWidget {
public:
    explicit BareWindow(const QWidget& main);

    // Puts the card's texts in and repaints them now, as the program's figures do.
    void showCard(const QString& question, const QString& category, const QString& count);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Place {
        QRect rect;
        QFont font;
        QColor ink;
        QColor fill;
        int flags = 0;
        QString text;
    };
    std::array<Place, 3> m_places; // question, category, count
};

} // namespace bench
