#include "app/FrmAbout.h"
#include "app/FrmSplash.h"
#include "app/ProgramFolder.h"
#include "app/Windows.h"
#include "app/launch.h"
#include "selection/FrmOptions.h"
#include "selection/FrmSetOptions.h"
#include "tests/support/TestBank.h"
#include "viewer/FrmMain.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace testing;

namespace {

QByteArray resource(const QString& name) {
    QFile file(QStringLiteral(":/pictures/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <class T> T at(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

QString describe(QWidget* w) {
    const QString text = testing::caption(w);
    const QFont f = w->font();
    return QStringLiteral("%1|%2,%3,%4,%5|%6|%7/%8/%9")
        .arg(w->parentWidget()->objectName())
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height())
        .arg(text, f.family())
        .arg(f.pixelSize())
        .arg(f.bold());
}

// What a control's caption needs beside it, by the way the look draws it; empty for none.
QString captionOverflow(const QWidget* w) {
    const QString text = testing::caption(w);
    if (text.isEmpty() || qobject_cast<const QPlainTextEdit*>(w))
        return {};
    const QFontMetrics metrics = w->fontMetrics();
    const QStyle* style = w->style();
    QSize needed(metrics.horizontalAdvance(QString(text).remove(u'&')), metrics.height());
    QSize room = w->size();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        room = label->contentsRect().size();
        needed = metrics
                     .boundingRect(
                         QRect(QPoint(), room),
                         int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), text)
                     .size();
    } else if (qobject_cast<const QGroupBox*>(w)) {
        needed.rwidth() += 12; // the gap before the caption and its margins
    } else if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
        const bool check = qobject_cast<const QCheckBox*>(w);
        needed.rwidth() += style->pixelMetric(check ? QStyle::PM_IndicatorWidth
                                                    : QStyle::PM_ExclusiveIndicatorWidth,
                                              nullptr, w) +
                           style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing
                                                    : QStyle::PM_RadioButtonLabelSpacing,
                                              nullptr, w);
    } else if (qobject_cast<const QPushButton*>(w)) {
        room -= QSize(4, 4); // the two-pixel edges
    }
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return {};
    return QStringLiteral("%1: \"%2\" needs %3 x %4 in %5 x %6")
        .arg(w->objectName(), text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initGuiTests(); }
    void cleanup() { cleanupGuiTest(); }

    void layouts_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("spoken"); // the accessible name
        QTest::addColumn<QString>("keys");   // what Return, Enter and Space click on it
        QTest::addColumn<QString>("look");
        auto row = [](const char* window, const char* name, const QString& expected,
                      const QString& spoken = {}, const char* keys = "", const char* look = "") {
            QTest::addRow("%s.%s", window, name)
                << window << name << expected << spoken << keys << look;
        };
        const QString copyright = QStringLiteral("\u00a9 2026 Vorel Press");
        const char* logo = "Vorel Press logo";
        row("splash", "Frame1", "frmSplash|8,8,472,214||MS Sans Serif/11/0", "", "",
            "inside 255,255,255; etched border");
        row("splash", "Image1", "Frame1|24,32,109,74||MS Sans Serif/11/0", logo);
        row("splash", "lblCompanyProduct", "Frame1|168,32,136,29|Vorel Press|Arial/24/1",
            "Vorel Press");
        row("splash", "lblProductName", "Frame1|168,64,246,51|Memvane|Arial/43/1", "Memvane");
        row("splash", "Picture1", "Frame1|24,120,107,72||MS Sans Serif/11/0", "Vorel Press");
        row("splash", "lblVersion", "Frame1|280,120,116,19|PC  Version 1.0|Arial/16/1",
            "PC  Version 1.0");
        row("splash", "lblCopyright", "Frame1|280,144,113,17|" + copyright + "|Arial/11/0",
            copyright);
        row("splash", "Label1", "Frame1|168,168,121,17|Companion program to:|MS Sans Serif/11/0",
            "Companion program to:");
        row("splash", "Label2", "Frame1|168,184,185,17|\"Parnassel\"|MS Sans Serif/11/0",
            "\"Parnassel\"");
        // The standard button: neither default nor cancel, and drawn as the desktop draws it.
        row("splash", "btn_Continue", "Frame1|368,168,81,25|Continue|MS Sans Serif/11/0",
            "Continue", "btn_Continue 3", "no flat face");
        // OK is the default button: Enter on a picture clicks it.
        row("about", "picIcon", "frmAbout|0,0,111,76||MS Sans Serif/11/0", logo, "cmdOK 2");
        row("about", "lblTitle", "frmAbout|134,0,107,32|Memvane|MS Sans Serif/16/1", "Memvane");
        row("about", "lblVersion", "frmAbout|166,16,75,15|Version 1.0|MS Sans Serif/11/0",
            "Version 1.0");
        row("about", "Label4", "frmAbout|136,32,121,17|Companion program to:|MS Sans Serif/11/0",
            "Companion program to:");
        row("about", "Label3", "frmAbout|136,48,113,25|\"Parnassel\"|MS Sans Serif/11/0",
            "\"Parnassel\"");
        row("about", "Picture1", "frmAbout|272,0,113,73||MS Sans Serif/11/0", "Vorel Press",
            "cmdOK 2");
        row("about", "Label1", "frmAbout|16,168,193,17|" + copyright + "|MS Sans Serif/11/0",
            copyright);
        row("about", "Label2", "frmAbout|16,184,201,17|All rights reserved.|MS Sans Serif/11/0",
            "All rights reserved.");
        row("about", "cmdOK", "frmAbout|283,175,84,23|OK|MS Sans Serif/11/0", "OK", "cmdOK 3",
            "face 255,255,128, caption button text");
        row("about", "Line1_1", "frmAbout|6,163,372,1||MS Sans Serif/11/0");
        row("about", "Line1_0", "frmAbout|7,164,371,2||MS Sans Serif/11/0");
    }

    void layouts() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(QString, spoken);
        QFETCH(QString, keys);
        QFETCH(QString, look);
        std::unique_ptr<QWidget> w;
        if (window == "splash")
            w = std::make_unique<app::FrmSplash>();
        else
            w = std::make_unique<app::FrmAbout>();
        auto* control = w->findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(describe(control), expected);
        QCOMPARE(spokenName(control), spoken);
        if (control->focusPolicy() & Qt::TabFocus)
            QCOMPARE(clicksFromKeys(control), keys);
        else
            QVERIFY(keys.isEmpty());
        QCOMPARE(testing::look(control), look);
    }

    void windowKinds() {
        app::FrmSplash splash;
        QCOMPARE(splash.size(), QSize(492, 230));
        QCOMPARE(splash.windowTitle(), QStringLiteral("Memvane"));
        const Qt::WindowFlags flags = splash.windowFlags();
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QCOMPARE(splash.windowType(), Qt::Tool); // no task-bar entry
        QCOMPARE(splash.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(control<QWidget>(splash, "lblVersion")->palette().color(QPalette::WindowText),
                 QColor(0, 0, 128));
        const auto nextFocus = [](QWidget* w) {
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus);
            return w;
        };
        QCOMPARE(nextFocus(control<QWidget>(splash, "btn_Continue")),
                 control<QWidget>(splash, "Picture1"));
        QCOMPARE(nextFocus(control<QWidget>(splash, "Picture1")),
                 control<QWidget>(splash, "btn_Continue"));
        QCOMPARE(unnamedControls(&splash), QStringList());
        // White everywhere around the frame too.
        const QImage shown = splash.grab().toImage();
        const QRegion around =
            QRegion(splash.rect()) - control<QWidget>(splash, "Frame1")->geometry();
        int white = 0;
        for (const QRect& part : around) {
            for (int y = part.top(); y <= part.bottom(); ++y) {
                for (int x = part.left(); x <= part.right(); ++x)
                    white += shown.pixel(x, y) == qRgb(255, 255, 255);
            }
        }
        QCOMPARE(white, 492 * 230 - 472 * 214);

        app::FrmAbout about;
        QCOMPARE(about.size(), QSize(382, 203));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Memvane"));
        QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(
            !(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.palette().color(QPalette::Window), QColor(0, 0, 128));
        QCOMPARE(nextFocus(control<QWidget>(about, "cmdOK")), control<QWidget>(about, "picIcon"));
        QCOMPARE(nextFocus(control<QWidget>(about, "picIcon")),
                 control<QWidget>(about, "Picture1"));
        QCOMPARE(unnamedControls(&about), QStringList());
        QCOMPARE(control<QWidget>(about, "Line1_1")->palette().color(QPalette::Window),
                 QColor(128, 128, 128));
        QCOMPARE(control<QWidget>(about, "Line1_0")->palette().color(QPalette::Window),
                 QColor(Qt::white));
        const qsizetype disclaimer = control<QLabel>(about, "lblDescription")->text().size();
        QVERIFY2(disclaimer > 330 && disclaimer < 400, qPrintable(QString::number(disclaimer)));
        QCOMPARE(control<QLabel>(about, "lblDescription")->text().count(QStringLiteral(". ")), 2);
        // The name picture shows unscaled in a box three rows shorter than the picture.
        QCOMPARE(control<QWidget>(about, "Picture1")->contentsRect().size(), QSize(109, 69));
    }

    void picturesAreOfTheirKind() {
        const QByteArray bmp = resource(QStringLiteral("publisher.bmp"));
        QCOMPARE(bmp.size(), 23382);
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(at<quint32>(bmp, 2), 23382u);
        QCOMPARE(at<quint32>(bmp, 10), 54u);
        QCOMPARE(at<quint32>(bmp, 14), 40u);
        QCOMPARE(at<qint32>(bmp, 18), 107);
        QCOMPARE(at<qint32>(bmp, 22), 72);
        QCOMPARE(at<quint16>(bmp, 28), quint16(24));
        QCOMPARE(at<quint32>(bmp, 30), 0u); // uncompressed

        const QByteArray jpg = resource(QStringLiteral("logo.jpg"));
        QVERIFY2(jpg.size() > 2400 && jpg.size() < 3000, qPrintable(QString::number(jpg.size())));
        QVERIFY(jpg.startsWith("\xff\xd8"));
        const qsizetype sof = jpg.indexOf("\xff\xc0");
        QVERIFY(sof > 0);                      // baseline
        QCOMPARE(jpg.indexOf("\xff\xc2"), -1); // not progressive
        QCOMPARE(qFromBigEndian<quint16>(jpg.constData() + sof + 5), quint16(72));
        QCOMPARE(qFromBigEndian<quint16>(jpg.constData() + sof + 7), quint16(107));
        QCOMPARE(int(jpg[sof + 9]), 3); // three components

        // Each window shows its pictures as Qt's own reading of the files gives them.
        const auto shown = [](QWidget& window, const char* name) {
            return control<QLabel>(window, name)
                ->pixmap()
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        const QImage logo = QImage(":/pictures/logo.jpg").convertToFormat(QImage::Format_RGB32);
        const QImage publisher =
            QImage(":/pictures/publisher.bmp").convertToFormat(QImage::Format_RGB32);
        QVERIFY(!logo.isNull() && !publisher.isNull());
        app::FrmSplash& splash = app::showWindow<app::FrmSplash>();
        QCOMPARE(shown(splash, "Image1"), logo);
        QCOMPARE(shown(splash, "Picture1"), publisher);
        app::FrmAbout& about = app::showWindow<app::FrmAbout>();
        QCOMPARE(shown(about, "picIcon"), logo);
        QCOMPARE(shown(about, "Picture1"), publisher);

        const QImage icon(QStringLiteral(":/pictures/memvane.png"));
        QCOMPARE(icon.size(), QSize(48, 48));
        QVERIFY(icon.colorCount() > 0 && icon.colorCount() <= 256);
    }

    void aboutEndsByOkEnterEscapeOrCloseBox() {
        for (const char* how : {"ok", "enter", "escape", "close"}) {
            app::FrmAbout& about = app::showWindow<app::FrmAbout>();
            QCOMPARE(control<QLabel>(about, "lblTitle")->text(), QStringLiteral("Memvane"));
            QCOMPARE(control<QWidget>(about, "cmdOK")->geometry(), QRect(283, 175, 84, 23));
            if (QByteArray(how) == "ok")
                QTest::mouseClick(control<QWidget>(about, "cmdOK"), Qt::LeftButton);
            else if (QByteArray(how) == "enter")
                QTest::keyClick(&about, Qt::Key_Return);
            else if (QByteArray(how) == "escape")
                QTest::keyClick(&about, Qt::Key_Escape);
            else
                about.close();
            QVERIFY2(!app::loadedWindow<app::FrmAbout>(), how);
            QPointer<app::FrmAbout> gone(&about);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY2(!gone, how); // destroyed, not hidden
        }
    }

    void helpOpensTheReadmeWithoutAShell() {
        // A stand-in notepad that records its arguments, in a folder whose path has blanks.
        QTemporaryDir bin;
        const QString log = bin.filePath("args.txt");
        const QString notepad = bin.filePath("notepad");
        QFile script(notepad);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '%1'\n")
                .arg(log)
                .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([path] { qputenv("PATH", path); });
        qputenv("PATH", bin.path().toUtf8() + ':' + path);

        ProgramFolder folder(numberedRows(2), QStringLiteral("My Programs/Mem vane; $HOME"));
        viewer::FrmMain& main = startProgram(folder.folder());
        MainControls(main).itmHelp->trigger();
        const auto recorded = [&] {
            QFile args(log);
            return args.open(QIODevice::ReadOnly) ? QString::fromUtf8(args.readAll()) : QString();
        };
        QTRY_COMPARE(recorded(), u'[' + folder.folder() + QStringLiteral("/readme.txt]\n"));

        // Nowhere to find a viewer: a message, and the program goes on.
        QTemporaryDir nothing;
        qputenv("PATH", nothing.path().toUtf8());
        {
            MessageCatcher catcher;
            MainControls(main).itmHelp->trigger();
            QCOMPARE(catcher.texts(),
                     QStringList(QStringLiteral("No text viewer could open the readme file '%1'.")
                                     .arg(folder.folder() + QStringLiteral("/readme.txt"))));
            QCOMPARE(catcher.title(), QStringLiteral("Memvane"));
            QVERIFY(!catcher.hadIcon());
            QCOMPARE(catcher.buttons(), 1);
        }
        QCOMPARE(app::loadedWindow<viewer::FrmMain>(), &main);
        QVERIFY(main.isVisible());
        MainControls(main).Next->click();
        QCOMPARE(MainControls(main).CountLabel->text(), QStringLiteral("2 of 2"));
    }

    void showingAnOpenWindowBringsItUp_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("iconless"); // the layout says: no icon
        QTest::newRow("Help, About") << "itmAbout"
                                     << "frmAbout" << true;
        QTest::newRow("Flash Card Options") << "btnOptions"
                                            << "frmOptions" << false;
        QTest::newRow("File, Options") << "itmOptions"
                                       << "frmOptions" << false;
        QTest::newRow("Change Set") << "cmdChangeSet"
                                    << "frmSetOptions" << true;
    }

    void showingAnOpenWindowBringsItUp() {
        QFETCH(QString, command);
        QFETCH(QString, window);
        QFETCH(bool, iconless);
        ProgramFolder folder(numberedRows(2));
        viewer::FrmMain& main = startProgram(folder.folder());
        const auto run = [&] {
            if (auto* button = main.findChild<QPushButton*>(command))
                button->click();
            else
                main.findChild<QAction*>(command)->trigger();
            QList<QWidget*> shown;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == window && w->isVisible())
                    shown << w;
            }
            return shown;
        };
        const QList<QWidget*> first = run();
        QCOMPARE(first.size(), 1);
        QWidget* shown = first[0];
        QVERIFY(!main.windowIcon().isNull());
        if (iconless)
            QVERIFY(shown->windowIcon().isNull());
        QVERIFY(QTest::qWaitForWindowActive(shown));
        shown->showMinimized();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QVERIFY(shown->isMinimized());

        QCOMPARE(run(), first); // the same window, not a second one
        QVERIFY(!shown->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(shown));
        QCOMPARE(QApplication::activeWindow(), shown);
    }

    // On a screen of each scale the window is drawn whole at that density, every control
    // inside its container and every caption inside its control.
    void scaledWindowsKeepTheirLayout_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<qreal>("scale");
        for (const qreal scale : {1.0, 1.5, 2.0}) {
            for (const char* window :
                 {"frmSplash", "FrmMain", "frmOptions", "frmSetOptions", "frmAbout"})
                QTest::addRow("%s at %g", window, scale) << QString::fromLatin1(window) << scale;
        }
    }

    void scaledWindowsKeepTheirLayout() {
        QFETCH(QString, window);
        QFETCH(qreal, scale);
        QScreen* screen = nullptr;
        for (QScreen* candidate : QGuiApplication::screens()) {
            if (candidate->devicePixelRatio() == scale)
                screen = candidate;
        }
        if (!screen)
            QSKIP("No screen at this scale: the offscreen platform runs without "
                  "tests/data/screens.json");
        ProgramFolder folder(numberedRows(2));
        QWidget* shown = &app::showWindow<app::FrmSplash>();
        if (window != u"frmSplash") {
            viewer::FrmMain& main = startProgram(folder.folder());
            shown = &main;
            // The tall window, with the answer pane.
            main.btn_AnswerToggle_MouseDown();
            if (window == u"frmOptions")
                shown = &app::showWindow<selection::FrmOptions>();
            else if (window == u"frmSetOptions")
                shown = &app::showWindow<selection::FrmSetOptions>();
            else if (window == u"frmAbout")
                shown = &app::showWindow<app::FrmAbout>();
        }
        QCOMPARE(shown->objectName(), window);
        shown->move(screen->geometry().topLeft() + QPoint(16, 16));
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCOMPARE(shown->screen(), screen);
        const QPixmap drawn = shown->grab();
        QCOMPARE(drawn.devicePixelRatio(), scale);
        QCOMPARE(drawn.size(), (QSizeF(shown->size()) * scale).toSize());

        // The layouts themselves run these past the window's edge.
        const QStringList pastTheEdge = {"FrmMain.Line1", "FrmMain.Line2", "frmAbout.Picture1"};
        QStringList wrong;
        for (const QWidget* control : shown->findChildren<QWidget*>()) {
            if (control->objectName().isEmpty() || control->objectName().startsWith(u"qt_") ||
                !control->isVisibleTo(shown))
                continue;
            if (!control->parentWidget()->rect().contains(control->geometry()) &&
                !pastTheEdge.contains(window + u'.' + control->objectName()))
                wrong << control->objectName() + QStringLiteral(" outside its container");
            if (const QString overflow = captionOverflow(control); !overflow.isEmpty())
                wrong << overflow;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
    }
};

int main(int argc, char* argv[]) {
    // Three screens, at scales 1, 1.5 and 2; the first is where windows open.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SCREENS);
    QApplication application(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    TestWindows test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windows.moc"
