#pragma once

class QFont;
class QString;
class QWidget;

// Windows are laid out in twips, 1440 to the inch, converted through the screen's logical DPI
// (15 twips to a pixel at 96 DPI).
namespace forms {

float TwipsPerPixelX();
float TwipsPerPixelY();
int PixelsX(float twips);
int PixelsY(float twips);
float TwipsX(double pixels);
float TwipsY(double pixels);

// A control's place in its container.
void Move(QWidget* control, float left, float top, float width, float height);
float Left(const QWidget* control);
float Top(const QWidget* control);
float Width(const QWidget* control);
float Height(const QWidget* control);
void SetLeft(QWidget* control, float left);
void SetTop(QWidget* control, float top);
void SetWidth(QWidget* control, float width);

// A window's size with its frame, title bar and menu bar.
float OuterWidth(const QWidget* window);
float OuterHeight(const QWidget* window);

// A one-line text measured in a font.
float TextWidth(const QFont& font, const QString& text);
float TextHeight(const QFont& font);

} // namespace forms
