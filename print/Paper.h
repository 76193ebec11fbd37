#pragma once

#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>

namespace print {

// A sheet of paper; its size in millimetres, portrait.
struct Paper {
    QPageSize size;
    QString name;

    double width() const { return size.size(QPageSize::Millimeter).width(); }
    double height() const { return size.size(QPageSize::Millimeter).height(); }
};

// The papers by name: "a4", "letter".
const QStringList& paperNames();

// One of paperNames() in any case; throws PrintError for any other name.
Paper paperNamed(const QString& name);

// The system's paper as libpaper reads it (PAPERSIZE, then /etc/papersize), else A4.
Paper systemPaper();

} // namespace print
