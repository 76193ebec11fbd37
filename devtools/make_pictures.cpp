// Draws the publisher name bitmap, the colour logo and the window icon into the directory given
// on the command line. Everything is painted from code, so the bytes are the same on every run.

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <set>

namespace {

// QImage's BMP writer does not let us pin every header field, so the file is assembled by hand.
QByteArray toBmp24(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_BGR888);
    const int rowBytes = img.width() * 3;
    const int stride = (rowBytes + 3) & ~3;
    const quint32 imageSize = stride * img.height();
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.writeRawData("BM", 2);
    stream << quint32(54 + imageSize) << quint32(0) << quint32(54) << quint32(40)
           << qint32(img.width()) << qint32(img.height()) << quint16(1) << quint16(24) << quint32(0)
           << quint32(imageSize) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    for (int y = img.height() - 1; y >= 0; --y) {
        stream.writeRawData(reinterpret_cast<const char*>(img.constScanLine(y)), rowBytes);
        stream.writeRawData("\0\0\0", stride - rowBytes);
    }
    return out;
}

QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QImage publisherImage() {
    QImage img(107, 72, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Largest size at which both words fit the width and the 69 rows the window leaves visible.
    const QString words[] = {QStringLiteral("Vorel"), QStringLiteral("Press")};
    const double gap = 13;
    QFont font;
    QRectF boxes[2];
    for (int px = 48; px > 8; --px) {
        font = pixelFont(QStringLiteral("Liberation Serif"), px);
        const QFontMetricsF fm(font);
        for (int i : {0, 1})
            boxes[i] = fm.tightBoundingRect(words[i]);
        if (qMax(boxes[0].width(), boxes[1].width()) <= 99 && boxes[0].height() * 2 + gap <= 64)
            break;
    }
    const double capHeight = boxes[0].height();
    const double baselines[] = {(69 - capHeight * 2 - gap) / 2 + capHeight,
                                (69 + gap) / 2 + capHeight};
    p.setFont(font);
    p.setPen(Qt::black);
    for (int i : {0, 1}) {
        const double x = (107 - boxes[i].width()) / 2 - boxes[i].left();
        p.drawText(QPointF(qRound(x), qRound(baselines[i])), words[i]);
    }
    p.fillRect(QRect(10, int((baselines[0] + baselines[1] - capHeight) / 2), 87, 1), Qt::black);
    return img;
}

// The leaf is laid out in a 100 x 100 box so it can be painted crisply at any size.
void drawLeaf(QPainter& p, const QRectF& box) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100, box.height() / 100);
    QPainterPath leaf(QPointF(20, 80));
    leaf.cubicTo(8, 42, 42, 8, 90, 10);
    leaf.cubicTo(92, 58, 58, 92, 20, 80);
    QLinearGradient fill(20, 80, 90, 10);
    fill.setStops({{0, QColor(0x2e, 0x8b, 0x3a)}, {1, QColor(0x8c, 0xd1, 0x4b)}});
    p.setPen(QPen(QColor(0x1d, 0x5e, 0x26), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(leaf);
    QPainterPath veins(QPointF(8, 92));
    veins.lineTo(82, 18);
    for (double t : {0.3, 0.5, 0.7}) {
        const QPointF on(20 + 62 * t, 80 - 62 * t);
        for (const QPointF dir : {QPointF(0.17, -0.98), QPointF(0.98, -0.17)}) {
            veins.moveTo(on);
            veins.lineTo(on + dir * (20 - 10 * t)); // side veins lean towards the tip
        }
    }
    p.setPen(QPen(QColor(0xe8, 0xf6, 0xd4), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(veins);
    p.restore();
}

void drawBadge(QPainter& p, const QPointF& centre, double radius) {
    p.setPen(QPen(Qt::white, radius / 6));
    p.setBrush(QColor(0x1f, 0x6f, 0xb2));
    p.drawEllipse(centre, radius, radius);
    p.setFont(pixelFont(QStringLiteral("Liberation Sans"), qRound(radius * 1.3)));
    p.setPen(Qt::white);
    const QPointF corner(radius, radius);
    p.drawText(QRectF(centre - corner, centre + corner), Qt::AlignCenter, QStringLiteral("P"));
}

// The icon is laid out afresh rather than scaled down, so its lines stay sharp at 48 pixels.
QImage logoImage(QSize size, const QRectF& leafBox, const QPointF& badgeCentre, double radius) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    drawLeaf(p, leafBox);
    drawBadge(p, badgeCentre, radius);
    return img;
}

// Qt's automatic conversion falls back to a coarse colour cube; instead coarsen the channels
// only as far as needed to fit 256 colours, and keep those exact colours in sorted order.
QImage toIndexed8(const QImage& img) {
    for (int step = 1;; ++step) {
        QImage coarse = img;
        std::set<QRgb> colours;
        const auto snap = [step](int c) { return qMin(255, qRound(double(c) / step) * step); };
        for (int y = 0; y < coarse.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(coarse.scanLine(y));
            for (int x = 0; x < coarse.width(); ++x) {
                line[x] = qRgb(snap(qRed(line[x])), snap(qGreen(line[x])), snap(qBlue(line[x])));
                colours.insert(line[x]);
            }
        }
        if (colours.size() <= 256) {
            const QList<QRgb> table(colours.begin(), colours.end());
            return coarse.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: memvane-pictures OUTDIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QFile bmp(dir.filePath(QStringLiteral("publisher.bmp")));
    QImageWriter jpeg(dir.filePath(QStringLiteral("logo.jpg")), "jpg");
    jpeg.setQuality(92); // lands the file near 2.7 KB
    jpeg.setProgressiveScanWrite(false);
    jpeg.setOptimizedWrite(true);
    const QImage icon = logoImage({48, 48}, {0, 0, 46, 46}, {36, 36}, 11);
    const bool ok = bmp.open(QIODevice::WriteOnly) &&
                    bmp.write(toBmp24(publisherImage())) == 23382 &&
                    jpeg.write(logoImage({107, 72}, {14, 2, 68, 68}, {82, 50}, 15)) &&
                    toIndexed8(icon).save(dir.filePath(QStringLiteral("memvane.png")), "png");
    if (!ok)
        std::fprintf(stderr, "memvane-pictures: could not write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
