#include "frmTrevolo.h"

#include "board/grid.h"
#include "board/hands.h"
#include "editor/frmMsg.h"
#include "forms/boxes.h"
#include "forms/placement.h"
#include "forms/program.h"
#include "forms/random.h"
#include "forms/units.h"
#include "startup/modGral.h"
#include "store/store.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPointer>

#include <cmath>
#include <limits>

namespace {

QPointer<frmTrevolo> instance;

constexpr float redrawSeconds = 600.0f;

// The flash: its label as designed, in twips, in red on the button face, and how long each
// message shows.
constexpr forms::Twips flashPlace{1680, 3420, 8655, 675};
constexpr qreal flashPoints = 24;
constexpr quint32 flashColour = 0x000040C0;
constexpr float flashSeconds = 0.25f;
// Until the user sets a period, one flash every five seconds; a period below a second gives six.
constexpr int designedIntervalMs = 5000;
constexpr double shortPeriodSeconds = 6.0;

// Far more characters than any screen shows on one line.
constexpr qsizetype largoVisible = 4096;

// What the flash gives its label of a message, without its "*": the label lays out all of its
// text at every flash, a second and more for megabytes. Of a longer message, the centred line
// shows only its middle, so only the middle is given.
QString parteVisible(const QString& mensaje)
{
    QStringView texto = modGral::MensajeDe(mensaje).texto;
    if (texto.size() > largoVisible) {
        qsizetype desde = (texto.size() - largoVisible) / 2;
        if (texto[desde].isLowSurrogate()) // not half a character
            ++desde;
        texto = texto.mid(desde, largoVisible);
    }
    return texto.toString();
}

const QStringList letterFamilies{QStringLiteral("Arial Rounded MT Bold"),
                                 QStringLiteral("Comfortaa"), QStringLiteral("Quicksand"),
                                 QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
const QStringList msSansSerif{QStringLiteral("MS Sans Serif")};

QFont letterFont()
{
    return forms::DesignFont(letterFamilies, 39.75, true);
}

// A hidden label with centred text, as the design-time controls are.
QLabel* designLabel(QWidget* parent, const QString& caption, forms::Twips place, const QFont& font,
                    const QColor& text)
{
    auto* label = forms::Create<QLabel>(parent, place, caption);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->hide();
    return label;
}

// The board's letters in reading order: the alphabet without W, from element 1.
QStringList letrasDelTablero()
{
    QStringList letras{QString()};
    for (const QChar letra : QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVXYZ"))
        letras << QString(letra);
    return letras;
}

} // namespace

std::optional<qint32> IntervaloDelPeriodo(double segundos)
{
    if (!(segundos >= 1.0)) // not a number counts as too short
        segundos = shortPeriodSeconds;
    const double ms = std::nearbyint(segundos * 1000.0); // a half goes to the even neighbour
    if (ms > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(ms);
}

frmTrevolo& frmTrevolo::Instancia()
{
    if (!instance)
        instance = new frmTrevolo;
    return *instance;
}

void frmTrevolo::Descargar()
{
    delete instance;
}

frmTrevolo::frmTrevolo()
    : client(new QWidget(this))
    , lblSedu(designLabel(client, QStringLiteral("Mensaje"), flashPlace,
                          forms::DesignFont(msSansSerif, flashPoints, true),
                          forms::ColorBGR(flashColour)))
    , lblLetra(designLabel(client, QStringLiteral("A"), {300, 360, 855, 735}, letterFont(),
                           forms::ColorBGR(0x00000000)))
    , lblMano(designLabel(client, QStringLiteral("I"), {420, 1200, 615, 795}, letterFont(),
                          client->palette().color(QPalette::ButtonText)))
    , tSedu(new forms::IntervalTimer(this, designedIntervalMs, false))
{
    setWindowTitle(QStringLiteral("Trevolo "));
    setWindowIcon(modGral::Icono());
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
    forms::WhenFirstShownMaximised(this, [this] { Form_Activate(); });
}

void frmTrevolo::buildMenus()
{
    mnuBarra = {menuBar()->addMenu(QStringLiteral("&Archivo")),
                menuBar()->addMenu(QStringLiteral("A&cciones"))};
    mnuArch = {mnuBarra[0]->addAction(QStringLiteral("&Mensajes Subliminales ...")),
               mnuBarra[0]->addSeparator(), mnuBarra[0]->addAction(QStringLiteral("&Salir"))};
    mnuAcc = {mnuBarra[1]->addAction(QStringLiteral("Temporizador")),
              mnuBarra[1]->addAction(QStringLiteral("Activar &Mensajes"))};
    mnuAcc[1]->setCheckable(true);
    for (short i = 0; i < mnuArch.size(); ++i)
        connect(mnuArch[i], &QAction::triggered, this, [this, i] { mnuArch_Click(i); });
    for (short i = 0; i < mnuAcc.size(); ++i)
        connect(mnuAcc[i], &QAction::triggered, this, [this, i] { mnuAcc_Click(i); });
    connect(tSedu, &forms::IntervalTimer::Timer, this, &frmTrevolo::tSedu_Timer);
}

bool frmTrevolo::event(QEvent* e)
{
    const bool handled = QMainWindow::event(e);
    if (e->type() == QEvent::Resize || e->type() == QEvent::WindowStateChange)
        Form_Resize();
    return handled;
}

void frmTrevolo::closeEvent(QCloseEvent* e)
{
    // No program may run on without a visible window.
    e->accept();
    forms::End();
}

void frmTrevolo::Primero()
{
    bSed = true;
    AjustarLetra();
    Letras = letrasDelTablero();
    Manos = manos::Tabla;
    layOutGrid();
    centreFlash();
    forms::Randomize();
    loadCells();
    emit Construido();

    while (!forms::Ending()) {
        AsignarManos();
        modGral::Espera(redrawSeconds);
    }
}

// The steps between the columns and rows, and the templates' size for them.
void frmTrevolo::layOutGrid()
{
    // The texts are measured in the window's own font, not in the letters' font.
    const GridLayout grid = LayOutGrid(
        {forms::OuterWidth(this), forms::OuterHeight(this), forms::Width(client),
         forms::Height(client), forms::TextWidth(font(), lblLetra(0)->text()),
         forms::TextHeight(font()), QSizeF(forms::Width(lblLetra(0)), forms::Height(lblLetra(0))),
         QSizeF(forms::Width(lblMano(0)), forms::Height(lblMano(0))),
         lblLetra(0)->font().pointSizeF(), lblMano(0)->font().pointSizeF()});
    miAncho = grid.columnStep;
    miLargo = grid.rowStep;
    FitTemplates(lblLetra(0), lblMano(0), grid);
}

// The flash goes across the middle of the client area.
void frmTrevolo::centreFlash()
{
    forms::SetWidth(lblSedu, forms::OuterWidth(this) - OuterMargin);
    forms::SetTop(lblSedu, forms::Height(client) / 2.0f - forms::Height(lblSedu) / 2.0f);
    forms::SetLeft(lblSedu, forms::Width(client) / 2.0f - forms::Width(lblSedu) / 2.0f);
}

// Loads and shows cells 1 to 25, each letter with its hand code under it, row after row.
void frmTrevolo::loadCells()
{
    const QList<QPointF> corners = LetterCorners(miAncho, miLargo);
    for (int k = 1; k <= GridCells; ++k) {
        const QPointF& corner = corners[k - 1];
        lblLetra.Load(k);
        lblMano.Load(k);
        lblLetra(k)->setText(Letras[k]);
        lblLetra(k)->setAccessibleDescription(QStringLiteral("letra ") + Letras[k]);
        forms::SetLeft(lblLetra(k), float(corner.x()));
        forms::SetTop(lblLetra(k), float(corner.y()));
        forms::SetLeft(lblMano(k), float(corner.x()));
        forms::SetTop(lblMano(k), forms::Height(lblLetra(k)) + float(corner.y()));
        lblMano(k)->show();
        lblLetra(k)->show();
    }
}

void frmTrevolo::AsignarManos()
{
    const QStringList codigos = manos::Sortear(Manos, forms::Rnd);
    for (int n = 1; n <= GridCells; ++n) {
        lblMano(n)->setText(codigos[n - 1]);
        lblMano(n)->setAccessibleDescription(manos::Significado(codigos[n - 1]));
    }
}

void frmTrevolo::Form_Activate()
{
    if (!bSed) {
        Primero();
        return; // Primero returns only when the program ends
    }
    modGral::Actual = 0; // the next flash starts again at the first active message
}

// The letters fitted to the window's height, before the grid is laid out.
void frmTrevolo::AjustarLetra()
{
    FitLetterTemplate(lblLetra(0), forms::OuterHeight(this));
}

void frmTrevolo::maximise()
{
    if (windowState() != Qt::WindowMaximized)
        setWindowState(Qt::WindowMaximized);
}

void frmTrevolo::Form_Load()
{
    maximise();
}

void frmTrevolo::Form_Resize()
{
    maximise();
}

void frmTrevolo::mnuAcc_Click(short Index)
{
    switch (Index) {
    case 0: // Temporizador
        PedirPeriodo();
        break;
    case 1: // Activar &Mensajes
        ActivarMensajes();
        break;
    default:
        break;
    }
}

// Asks until the user enters a number: the box can only be left that way.
void frmTrevolo::PedirPeriodo()
{
    for (;;) {
        const QString respuesta = forms::InputBox(
            QStringLiteral("Introduzca el periodo de cambio de mensajes en segundos"),
            QStringLiteral("Trevolo "));
        if (forms::Ending())
            return;
        const std::optional<double> periodo = forms::NumberIn(respuesta);
        if (!periodo) {
            forms::MsgBox(QStringLiteral("Introduzca un numero"), forms::Icon::Information);
            continue;
        }
        if (const std::optional<qint32> intervalo = IntervaloDelPeriodo(*periodo)) {
            tSedu->setInterval(*intervalo);
            return;
        }
        forms::MsgBox(QStringLiteral("El periodo no puede pasar de %1 segundos")
                          .arg(QLocale().toString(std::numeric_limits<qint32>::max() / 1000)),
                      forms::Icon::Information);
    }
}

void frmTrevolo::ActivarMensajes()
{
    // The item is checkable: Qt has already inverted its check mark.
    QAction* item = mnuAcc[1];
    if (!item->isChecked()) {
        tSedu->setEnabled(false);
    } else if (modGral::NumActivos == 0) {
        forms::MsgBox(QStringLiteral("No hay mensajes seleccionados"), forms::Icon::Information);
        item->setChecked(false);
    } else {
        tSedu->setEnabled(true);
    }
}

void frmTrevolo::mnuArch_Click(short Index)
{
    switch (Index) {
    case 0: // &Mensajes Subliminales ...
        EditMessages();
        Form_Activate();
        break;
    case 2: // &Salir
        forms::End();
        break;
    default: // the separator
        break;
    }
}

void frmTrevolo::EditMessages()
{
    if (frmMsg::Mostrar(this) && modGral::NumActivos == 0) // nothing left to flash
        tSedu->setEnabled(false);
}

void frmTrevolo::tSedu_Timer()
{
    lblSedu->setText(parteVisible(modGral::Activos[modGral::Actual]));
    ++modGral::Actual;
    if (modGral::Actual >= modGral::NumActivos)
        modGral::Actual = 0;
    lblSedu->raise(); // over the letters
    forms::ShowWhileWaiting(lblSedu, flashSeconds, modGral::Espera);
}
