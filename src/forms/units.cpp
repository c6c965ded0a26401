#include "units.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace forms {
namespace {

constexpr float twipsPerInch = 1440.0f;

QScreen* screen()
{
    return QGuiApplication::primaryScreen();
}

} // namespace

float TwipsPerPixelX()
{
    return twipsPerInch / float(screen()->logicalDotsPerInchX());
}

float TwipsPerPixelY()
{
    return twipsPerInch / float(screen()->logicalDotsPerInchY());
}

int PixelsX(float twips)
{
    return qRound(twips / TwipsPerPixelX());
}

int PixelsY(float twips)
{
    return qRound(twips / TwipsPerPixelY());
}

float TwipsX(double pixels)
{
    return float(pixels) * TwipsPerPixelX();
}

float TwipsY(double pixels)
{
    return float(pixels) * TwipsPerPixelY();
}

void Move(QWidget* control, float left, float top, float width, float height)
{
    control->setGeometry(PixelsX(left), PixelsY(top), PixelsX(width), PixelsY(height));
}

float Left(const QWidget* control)
{
    return TwipsX(control->x());
}

float Top(const QWidget* control)
{
    return TwipsY(control->y());
}

float Width(const QWidget* control)
{
    return TwipsX(control->width());
}

float Height(const QWidget* control)
{
    return TwipsY(control->height());
}

void SetLeft(QWidget* control, float left)
{
    control->move(PixelsX(left), control->y());
}

void SetTop(QWidget* control, float top)
{
    control->move(control->x(), PixelsY(top));
}

void SetWidth(QWidget* control, float width)
{
    control->resize(PixelsX(width), control->height());
}

float OuterWidth(const QWidget* window)
{
    return TwipsX(window->frameGeometry().width());
}

float OuterHeight(const QWidget* window)
{
    return TwipsY(window->frameGeometry().height());
}

float TextWidth(const QFont& font, const QString& text)
{
    return TwipsX(QFontMetricsF(font).horizontalAdvance(text));
}

float TextHeight(const QFont& font)
{
    return TwipsY(QFontMetricsF(font).height());
}

} // namespace forms
