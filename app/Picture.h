#pragma once

#include <QLabel>
#include <QString>

namespace app {

// A label that shows the picture its layout names. Read in the format its name gives, it
// loads no image plugin but that format's: reading it as a plain pixmap would load and ask
// every installed one first, before the window could show.
class Picture : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString picture READ picture WRITE setPicture)

public:
    explicit Picture(QWidget* parent = nullptr);

    QString picture() const { return m_picture; }
    void setPicture(const QString& path);

private:
    QString m_picture;
};

} // namespace app
