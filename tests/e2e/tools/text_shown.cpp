// text_shown [--points P] [--bold] [--color #RRGGBB] WINDOW|IMAGE TEXT
//
// Exits 0 when the X window WINDOW (an id), or the picture IMAGE, shows TEXT, 1 when it does
// not, 2 on a usage error. TEXT is drawn here with the same Qt, font and palette as the
// program's labels (the application font, at P points and bold if asked, in the window's text
// colour or COLOR), so its pixels match those on the screen: that lets the end-to-end tests
// read what a window says.
#include <QApplication>
#include <QColor>
#include <QCommandLineParser>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// How far a channel may stray from the drawn pixel: the glyphs are the same, but the
// background behind them may differ a little from the palette's window colour.
constexpr int tolerance = 24;

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The text on the window colour, cropped to its ink, drawn `shift` of a pixel to the right.
QImage drawn(const QString& text, const QFont& font, const QColor& ink, qreal shift)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 4, metrics.height() + 4, QImage::Format_RGB32);
    const QColor paper = QApplication::palette().color(QPalette::Window);
    image.fill(paper);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QPointF(2 + shift, 2 + metrics.ascent()), text);
    painter.end();

    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != paper.rgb()) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return {};
    return image.copy(left, top, right - left + 1, bottom - top + 1);
}

bool matchesAt(const QImage& shot, const QImage& text, int x0, int y0)
{
    for (int y = 0; y < text.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(shot.constScanLine(y0 + y)) + x0;
        const auto* t = reinterpret_cast<const QRgb*>(text.constScanLine(y));
        for (int x = 0; x < text.width(); ++x)
            if (!near(s[x], t[x]))
                return false;
    }
    return true;
}

QImage picture(const QString& source)
{
    bool isWindow = false;
    const WId window = source.toULongLong(&isWindow, 0);
    const QImage image =
        isWindow ? QApplication::primaryScreen()->grabWindow(window).toImage() : QImage(source);
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption points(QStringLiteral("points"), QStringLiteral("Font size."),
                                    QStringLiteral("P"));
    const QCommandLineOption bold(QStringLiteral("bold"), QStringLiteral("Bold font."));
    const QCommandLineOption color(QStringLiteral("color"), QStringLiteral("Text colour."),
                                   QStringLiteral("#RRGGBB"));
    parser.addOptions({points, bold, color});
    parser.addPositionalArgument(QStringLiteral("source"), QStringLiteral("Window id or image."));
    parser.addPositionalArgument(QStringLiteral("text"), QStringLiteral("The text to find."));
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    QFont font = QApplication::font();
    if (parser.isSet(points))
        font.setPointSizeF(parser.value(points).toDouble());
    font.setBold(parser.isSet(bold));
    const QColor ink = parser.isSet(color) ? QColor::fromString(parser.value(color))
                                           : QApplication::palette().color(QPalette::WindowText);
    if (args.size() != 2 || !ink.isValid() || font.pointSizeF() <= 0) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }

    const QImage shot = picture(args[0]);
    if (shot.isNull()) {
        std::fprintf(stderr, "no window or image %s\n", qPrintable(args[0]));
        return 2;
    }
    // Glyphs are placed to fractions of a pixel across, and centred text starts anywhere: try
    // every start that Qt's 1/64-pixel positions can give.
    for (int sixtyfourths = 0; sixtyfourths < 64; ++sixtyfourths) {
        const qreal shift = sixtyfourths / 64.0;
        const QImage text = drawn(args[1], font, ink, shift);
        if (text.isNull()) {
            std::fputs("no text to look for\n", stderr);
            return 2;
        }
        for (int y = 0; y + text.height() <= shot.height(); ++y)
            for (int x = 0; x + text.width() <= shot.width(); ++x)
                if (matchesAt(shot, text, x, y)) {
                    std::printf("at %d,%d (+%.3f)\n", x, y, shift);
                    return 0;
                }
    }
    return 1;
}
