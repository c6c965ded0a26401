// screen_watch [--keep IMAGE] [--until-seen] WxH+X+Y SECONDS #RRGGBB
//
// Looks at that part of the screen as often as it can for SECONDS, and prints a line a look:
// the seconds since its first look, the number of pixels exactly of the colour #RRGGBB, and
// the number darker than mid-grey. A quarter-second flash cannot slip between two looks, as it
// can between the screenshots of a shell loop on a busy machine. --keep saves the first look
// that shows the colour; --until-seen stops there. Exits 2 on a usage error.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString keep;
    if (args.size() > 1 && args[0] == QStringLiteral("--keep")) {
        keep = args[1];
        args = args.mid(2);
    }
    const bool untilSeen = args.value(0) == QStringLiteral("--until-seen");
    if (untilSeen)
        args.removeFirst();
    const QRegularExpressionMatch crop =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)$"))
            .match(args.value(0));
    bool ok = false;
    const double seconds = args.value(1).toDouble(&ok);
    const QColor colour = QColor::fromString(args.value(2));
    if (args.size() != 3 || !crop.hasMatch() || !ok || !colour.isValid()) {
        std::fputs("usage: screen_watch [--keep IMAGE] [--until-seen] WxH+X+Y SECONDS #RRGGBB\n",
                   stderr);
        return 2;
    }
    const auto number = [&crop](int i) { return crop.captured(i).toInt(); };

    QElapsedTimer clock;
    clock.start();
    do {
        const QImage look = app.primaryScreen()
                                ->grabWindow(0, number(3), number(4), number(1), number(2))
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        const double at = double(clock.nsecsElapsed()) / 1e9;
        long coloured = 0, dark = 0;
        for (int y = 0; y < look.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(look.constScanLine(y));
            for (int x = 0; x < look.width(); ++x) {
                coloured += (line[x] & RGB_MASK) == (colour.rgb() & RGB_MASK);
                dark += qGray(line[x]) < 128;
            }
        }
        if (coloured > 0 && !keep.isEmpty()) {
            look.save(keep);
            keep.clear();
        }
        std::printf("%.3f %ld %ld\n", at, coloured, dark);
        std::fflush(stdout);
        if (coloured > 0 && untilSeen)
            break;
        QThread::msleep(10); // a look every few hundredths of a second is plenty
    } while (double(clock.elapsed()) < seconds * 1000.0);
    return 0;
}
