#include "frmSplash.h"

#include "forms/controls.h"
#include "forms/placement.h"
#include "forms/units.h"

#include <QLabel>

namespace {

QLabel* autoSizedLabel(const QString& caption, const QFont& font, QWidget* parent, float left,
                       float top)
{
    auto* label = new QLabel(caption, parent);
    label->setFont(font);
    forms::SetLeft(label, left);
    forms::SetTop(label, top);
    label->adjustSize();
    return label;
}

} // namespace

frmSplash::frmSplash()
    : QFrame(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    // The fixed dialog frame, drawn since the window has no title bar.
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    const int border = frameWidth();

    Frame1 = new QFrame(this);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    forms::Move(Frame1, 150, 60, 7080, 4050);
    Frame1->move(Frame1->pos() + QPoint(border, border));

    imgLogo = new QLabel(Frame1);
    forms::Move(imgLogo, 480, 1440, 1815, 2025);
    // Stretched to fill its box, as designed: from the largest rendering, scaled smoothly.
    const qreal ratio = devicePixelRatioF();
    QPixmap logo =
        QPixmap(QStringLiteral(":/icons/trevolo-256.png"))
            .scaled(imgLogo->size() * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    logo.setDevicePixelRatio(ratio);
    imgLogo->setPixmap(logo);

    const QStringList arial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Arimo"), QStringLiteral("Helvetica")};
    lblCompanyProduct = autoSizedLabel(QStringLiteral("Orvanta"),
                                       forms::DesignFont(arial, 18, true, true), Frame1, 1500, 720);
    lblProductName = autoSizedLabel(QStringLiteral("Trevolo"),
                                    forms::DesignFont(arial, 32.25, true), Frame1, 2940, 1800);

    // In the middle of the screen, as a dialog with no owner is.
    forms::CentreOverOwner(
        this, QSize(forms::PixelsX(7380) + 2 * border, forms::PixelsY(4245) + 2 * border));
}
