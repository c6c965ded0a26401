#include "frmTrevolo.h"

#include "forms/program.h"
#include "forms/units.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

QPointer<frmTrevolo> instance;

// How long the first activation waits for the window manager to maximise the board before it
// lays the board out for whatever size the window has.
constexpr int maximiseDeadlineMs = 3000;

const QStringList letterFamilies{QStringLiteral("Arial Rounded MT Bold"),
                                 QStringLiteral("Comfortaa"), QStringLiteral("Quicksand"),
                                 QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
const QStringList msSansSerif{QStringLiteral("MS Sans Serif")};

QFont letterFont() {
    return forms::DesignFont(letterFamilies, 39.75, true);
}

struct Twips {
    float left, top, width, height;
};

// A hidden label with centred text, as the design-time controls are.
QLabel* designLabel(QWidget* parent, const QString& caption, Twips place, const QFont& font,
                    const QColor& text) {
    auto* label = new QLabel(caption, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    forms::Move(label, place.left, place.top, place.width, place.height);
    label->hide();
    return label;
}

} // namespace

frmTrevolo& frmTrevolo::Instancia() {
    if (!instance)
        instance = new frmTrevolo;
    return *instance;
}

void frmTrevolo::Descargar() {
    delete instance;
}

frmTrevolo::frmTrevolo()
    : client(new QWidget(this))
    , lblSedu(designLabel(client, QStringLiteral("Mensaje"), {1680, 3420, 8655, 675},
                          forms::DesignFont(msSansSerif, 24, true), forms::ColorBGR(0x000040C0)))
    , lblLetra(designLabel(client, QStringLiteral("A"), {300, 360, 855, 735}, letterFont(),
                           forms::ColorBGR(0x00000000)))
    , lblMano(designLabel(client, QStringLiteral("I"), {420, 1200, 615, 795}, letterFont(),
                          client->palette().color(QPalette::ButtonText)))
    , tSedu(new forms::IntervalTimer(this, 5000, false)) {
    setWindowTitle(QStringLiteral("Trevolo "));
    setWindowIcon(QIcon(QStringLiteral(":/trevolo.png")));
    // Always maximised, so the maximise button has nothing to do.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setCentralWidget(client);
    resize(forms::PixelsX(10935), forms::PixelsY(8310));

    // Opaque in the button-face colour, so that a flashed message reads cleanly over the letters.
    QPalette flash = lblSedu->palette();
    flash.setColor(QPalette::Window, flash.color(QPalette::Button));
    lblSedu->setPalette(flash);
    lblSedu->setAutoFillBackground(true);

    buildMenus();
    Form_Load();
}

void frmTrevolo::buildMenus() {
    mnuBarra = {menuBar()->addMenu(QStringLiteral("&Archivo")),
                menuBar()->addMenu(QStringLiteral("A&cciones"))};
    mnuArch = {mnuBarra[0]->addAction(QStringLiteral("&Mensajes Subliminales ...")),
               mnuBarra[0]->addSeparator(), mnuBarra[0]->addAction(QStringLiteral("&Salir"))};
    mnuAcc = {mnuBarra[1]->addAction(QStringLiteral("Temporizador")),
              mnuBarra[1]->addAction(QStringLiteral("Activar &Mensajes"))};
    for (short i = 0; i < mnuArch.size(); ++i)
        connect(mnuArch[i], &QAction::triggered, this, [this, i] { mnuArch_Click(i); });
}

bool frmTrevolo::event(QEvent* e) {
    const bool handled = QMainWindow::event(e);
    switch (e->type()) {
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        Form_Resize();
        watchFirstActivation();
        break;
    case QEvent::Show:
        if (firstActivationDue && !maximiseDeadlinePassed)
            QTimer::singleShot(maximiseDeadlineMs, this, [this] {
                maximiseDeadlinePassed = true;
                watchFirstActivation();
            });
        watchFirstActivation();
        break;
    default:
        break;
    }
    return handled;
}

// The board is laid out once, for the maximised window; on X11 the window manager maximises a
// window some time after it is shown, so the first activation waits for that size.
void frmTrevolo::watchFirstActivation() {
    if (!firstActivationDue || !isVisible())
        return;
    const bool maximised = windowState() == Qt::WindowMaximized &&
                           frameGeometry().size() == screen()->availableGeometry().size();
    if (!maximised && !maximiseDeadlinePassed)
        return;
    firstActivationDue = false;
    // Queued: Primero never returns, so it must not run inside Qt's own event handling.
    QMetaObject::invokeMethod(this, &frmTrevolo::Form_Activate, Qt::QueuedConnection);
}

void frmTrevolo::closeEvent(QCloseEvent* e) {
    // No program may run on without a visible window.
    e->accept();
    forms::End();
}

void frmTrevolo::Form_Activate() {}

void frmTrevolo::maximise() {
    if (windowState() != Qt::WindowMaximized)
        setWindowState(Qt::WindowMaximized);
}

void frmTrevolo::Form_Load() {
    maximise();
}

void frmTrevolo::Form_Resize() {
    maximise();
}

void frmTrevolo::mnuArch_Click(short Index) {
    switch (Index) {
    case 2: // &Salir
        forms::End();
        break;
    default: // the separator
        break;
    }
}
