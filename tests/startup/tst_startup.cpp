#include "board/frmTrevolo.h"
#include "forms/clock.h"
#include "forms/program.h"
#include "forms/units.h"
#include "startup/frmSplash.h"
#include "startup/modGral.h"
#include "support/program.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

namespace {

// Notes the program clock whenever a window of ours is shown or destroyed.
class WindowWatch : public QObject {
public:
    struct Seen {
        QString what;
        float clock;
        int numActivos = -1; // the store as the window sees it
    };
    QList<Seen> seen;
    QPointer<frmSplash> splash;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* s = qobject_cast<frmSplash*>(object)) {
                splash = s;
                connect(s, &QObject::destroyed, this, [this] {
                    seen.append({QStringLiteral("splash gone"), forms::Timer()});
                });
                seen.append({QStringLiteral("splash shown"), forms::Timer()});
            } else if (qobject_cast<frmTrevolo*>(object)) {
                seen.append({QStringLiteral("board shown"), forms::Timer(), modGral::NumActivos});
            }
        }
        return false;
    }
};

} // namespace

class tst_startup : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }
    void cleanup() { frmTrevolo::Descargar(); }

    void splashForThreeSecondsThenTheBoard_data();
    void splashForThreeSecondsThenTheBoard();
    void inputOnTheSplashChangesNothing();
    void splashLooksAsDesigned();
};

void tst_startup::splashForThreeSecondsThenTheBoard_data()
{
    QTest::addColumn<QByteArray>("file"); // msg.txt, if any
    QTest::addColumn<int>("numActivos");
    QTest::addColumn<int>("boxes");
    QTest::newRow("no msg.txt") << QByteArray() << 0 << 0;
    QTest::newRow("messages loaded before the board") << QByteArray("*a\r\nb\r\n*c\r\n") << 2 << 0;
    QByteArray tooMany;
    for (int i = 0; i < 60; ++i)
        tooMany += "*m\r\n";
    QTest::newRow("too many lines: told before the board") << tooMany << 51 << 1;
}

void tst_startup::splashForThreeSecondsThenTheBoard()
{
    QFETCH(QByteArray, file);
    QFETCH(int, numActivos);
    QFETCH(int, boxes);
    if (!file.isEmpty())
        testing::WriteMsg(file);
    int boxesBeforeBoard = -1;
    testing::Boxes().onShow = [&](const forms::Box&) {
        boxesBeforeBoard = frmTrevolo::Instancia().isVisible() ? 0 : 1;
    };
    WindowWatch watch;
    qApp->installEventFilter(&watch);
    QApplication::setWindowIcon({});
    modGral::Main();
    qApp->removeEventFilter(&watch);

    // Every window and box of the program shows Trevolo's icon, sharp at any title bar's size.
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)));
    QCOMPARE(watch.seen.size(), 3);
    QCOMPARE(watch.seen[0].what, QStringLiteral("splash shown"));
    QCOMPARE(watch.seen[1].what, QStringLiteral("splash gone"));
    QCOMPARE(watch.seen[2].what, QStringLiteral("board shown"));
    testing::CompareSpan(watch.seen[0].clock, watch.seen[1].clock, 3.0f);
    testing::CompareSpan(watch.seen[1].clock, watch.seen[2].clock, 0.0f);
    QVERIFY(frmTrevolo::Instancia().isVisible());
    QCOMPARE(watch.seen[2].numActivos, numActivos);
    QCOMPARE(testing::Boxes().shown.size(), boxes);
    if (boxes)
        QCOMPARE(boxesBeforeBoard, 1);
}

void tst_startup::inputOnTheSplashChangesNothing()
{
    WindowWatch watch;
    qApp->installEventFilter(&watch);
    testing::After(1.0, nullptr, [&watch] {
        QVERIFY(watch.splash);
        QTest::mouseClick(watch.splash, Qt::LeftButton);
        QTest::keyClick(watch.splash, Qt::Key_Escape);
        QTest::keyClick(watch.splash, Qt::Key_Return);
    });
    modGral::Main();
    qApp->removeEventFilter(&watch);

    QCOMPARE(watch.seen.size(), 3);
    testing::CompareSpan(watch.seen[0].clock, watch.seen[1].clock, 3.0f);
}

void tst_startup::splashLooksAsDesigned()
{
    frmSplash splash;
    splash.show();
    QVERIFY(splash.windowFlags() & Qt::SplashScreen); // no taskbar entry
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.contentsRect().size(), QSize(forms::PixelsX(7380), forms::PixelsY(4245)));
    QCOMPARE(splash.frameGeometry().center(),
             QGuiApplication::primaryScreen()->availableGeometry().center());

    // At their places in twips: Frame1 in the client area, inside the window's drawn frame.
    const QPoint inFrame = splash.Frame1->pos() - QPoint(splash.frameWidth(), splash.frameWidth());
    QCOMPARE(inFrame, QPoint(forms::PixelsX(150), forms::PixelsY(60)));
    QCOMPARE(splash.Frame1->size(), QSize(forms::PixelsX(7080), forms::PixelsY(4050)));
    QCOMPARE(splash.imgLogo->pos(), QPoint(forms::PixelsX(480), forms::PixelsY(1440)));
    QCOMPARE(splash.lblCompanyProduct->pos(), QPoint(forms::PixelsX(1500), forms::PixelsY(720)));
    QCOMPARE(splash.lblProductName->pos(), QPoint(forms::PixelsX(2940), forms::PixelsY(1800)));

    QCOMPARE(splash.lblCompanyProduct->text(), QStringLiteral("Orvanta"));
    QVERIFY(splash.lblCompanyProduct->font().bold());
    QVERIFY(splash.lblCompanyProduct->font().italic());
    QCOMPARE(splash.lblCompanyProduct->font().pointSizeF(), 18.0);
    QCOMPARE(splash.lblProductName->text(), QStringLiteral("Trevolo"));
    QVERIFY(splash.lblProductName->font().bold());
    QCOMPARE(splash.lblProductName->font().pointSizeF(), 32.25);
    // Sized to their captions.
    QCOMPARE(splash.lblProductName->size(), splash.lblProductName->sizeHint());
    const QSize box(forms::PixelsX(1815), forms::PixelsY(2025));
    QCOMPARE(splash.imgLogo->size(), box);
    // The logo stretched to fill its box, at the screen's own resolution.
    const QPixmap logo = splash.imgLogo->pixmap();
    QCOMPARE(logo.deviceIndependentSize().toSize(), box);
    QCOMPARE(logo.width(), qRound(box.width() * splash.devicePixelRatioF()));
    QCOMPARE(splash.imgLogo->parentWidget(), splash.Frame1);
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
