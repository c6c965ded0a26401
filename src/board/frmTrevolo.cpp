#include "frmTrevolo.h"

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
#include <QFontInfo>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPointer>

#include <array>
#include <cmath>
#include <limits>

namespace {

QPointer<frmTrevolo> instance;

// With the fixed-size letter template a low window could never satisfy the fitting, so the
// letters shrink no further than this.
constexpr float smallestLetterPoints = 8.0f;

// Left edge of the first column, and the least room between two cells of the designed grid.
constexpr float gridLeft = 500.0f;
// What the designed steps and the flash leave out of the window's outer size.
constexpr float outerMargin = 500.0f;
constexpr float cellGap = 90.0f;
// A shrunk grid keeps a quarter of a cell between cells, so that a hand code reads clearly as
// its own letter's, not as the next row's: five cells and their gaps take six cells' room.
constexpr float spacedCell = 1.25f;
constexpr float cellsWithGaps = 6.0f;

constexpr float redrawSeconds = 600.0f;
constexpr float flashSeconds = 0.25f;

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

// What a hand code asks of the learner, for screen readers.
QString handMeaning(const QString& code)
{
    if (code == QStringLiteral("I"))
        return QStringLiteral("mano izquierda");
    if (code == QStringLiteral("D"))
        return QStringLiteral("mano derecha");
    return QStringLiteral("ambas manos");
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

const QString izquierda = QStringLiteral("I");
const QString derecha = QStringLiteral("D");
const QString ambas = QStringLiteral("J");

constexpr int celdas = 25; // five rows of five, numbered from 1 in reading order
constexpr int celdasPorFila = 5;

// Cells 4 and 9 always hold "I" and "D". Where that code would be the third in a row, the two
// cells before it take `antes` instead, or `antes` swapped when the first of them already holds
// its first code.
struct CeldaFija {
    int celda;
    QString codigo;
    std::array<QString, 2> antes;
};
const CeldaFija celdasFijas[] = {{4, izquierda, {ambas, izquierda}},
                                 {9, derecha, {derecha, ambas}}};
// Cell 10 always holds "J", and starts a new count.
constexpr int celdaAmbas = 10;
// The count a cell may leave; one that would take it further is changed.
constexpr quint8 cuentaMaxima = 2;

// One drawing of the hand codes, cell after cell. `Anterior` is the code the next cell is
// compared with and `Cuenta` how many cells the count has run; a third redraws the cell.
class Sorteo {
public:
    Sorteo(const forms::LabelArray& lblMano, const QStringList& Manos)
        : lblMano(lblMano)
        , Manos(Manos)
    {
    }

    void Celda(int n)
    {
        sortear(n); // fixed cells draw too: their number is used up all the same
        if (n == 1) {
            Anterior = mano(1);
            Cuenta = 1;
        } else if (n == celdaAmbas) {
            poner(n, ambas);
            Cuenta = 1; // Anterior keeps the "D" of cell 9
        } else if (const CeldaFija* fija = celdaFija(n)) {
            Fija(*fija);
        } else {
            Libre(n);
        }
    }

private:
    static const CeldaFija* celdaFija(int n)
    {
        for (const CeldaFija& fija : celdasFijas)
            if (fija.celda == n)
                return &fija;
        return nullptr;
    }

    QString mano(int n) const { return lblMano(n)->text(); }
    void poner(int n, const QString& codigo) { lblMano(n)->setText(codigo); }
    void sortear(int n) { poner(n, Manos[int(std::floor(float(Manos.size()) * forms::Rnd()))]); }

    void Fija(const CeldaFija& fija)
    {
        const int n = fija.celda;
        poner(n, fija.codigo);
        if (mano(n) == Anterior && Cuenta == cuentaMaxima) {
            // The fixed code would make a third in a row: rewrite the two cells before it.
            const bool cambiadas = mano(n - 2) == fija.antes[0];
            poner(n - 2, fija.antes[cambiadas ? 1 : 0]);
            poner(n - 1, fija.antes[cambiadas ? 0 : 1]);
            Anterior = fija.codigo;
            Cuenta = 1;
        } else if (mano(n) == Anterior) {
            ++Cuenta;
        } else {
            Anterior = mano(n);
            Cuenta = 1;
        }
    }

    void Libre(int n)
    {
        // A change of code keeps the count: two repeats since the count last started, of any
        // codes, redraw the cell after them, so that cells drawn "J", "J", "D", "D" redraw the
        // fourth. Those are the exercise's designed boards, which the hand tests pin down.
        if (mano(n) == Anterior)
            ++Cuenta;
        else
            Anterior = mano(n);
        if (Cuenta > cuentaMaxima) {
            do
                sortear(n);
            while (mano(n) == Anterior);
            Cuenta = 1;
            Anterior = mano(n);
        }
    }

    const forms::LabelArray& lblMano;
    const QStringList& Manos;
    QString Anterior;
    quint8 Cuenta = 0;
};

} // namespace

std::optional<qint32> IntervaloDelPeriodo(double segundos)
{
    if (!(segundos >= 1.0)) // not a number counts as too short
        segundos = 6.0;
    const double ms = std::nearbyint(segundos * 1000.0); // a half goes to the even neighbour
    if (ms > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(ms);
}

GridLayout LayOutGrid(const GridRoom& room)
{
    const float cellWidth = float(std::max(room.letter.width(), room.hand.width()));
    const float cellHeight = float(room.letter.height() + room.hand.height());
    // One pixel spare, as every edge is rounded to whole pixels.
    const float roomWidth = room.clientWidth - forms::TwipsPerPixelX() - gridLeft;
    const float roomHeight = room.clientHeight - forms::TwipsPerPixelY();
    const float designedColumn = (room.outerWidth - outerMargin) / 5.0f + room.textWidth;
    const float designedRow = (room.outerHeight - outerMargin) / 6.0f + room.textHeight;

    const auto apart = [](float step, float cell) { return step >= cell + cellGap; };
    if (apart(designedColumn, cellWidth) && apart(designedRow, cellHeight) &&
        4.0f * designedColumn + cellWidth <= roomWidth &&
        4.0f * designedRow + cellHeight <= roomHeight)
        return {designedColumn, designedRow, 1.0f, room.letterPoints, room.handPoints};

    // The largest cells for which five fit across and down with the gaps between them; the
    // letters never grow past what the fitting left them.
    const float fits = std::min(
        {1.0f, roomWidth / (cellsWithGaps * cellWidth), roomHeight / (cellsWithGaps * cellHeight)});
    const qreal points = std::max(qreal(smallestLetterPoints),
                                  std::min(room.letterPoints, room.handPoints * qreal(fits)));
    const float scale = float(points / room.handPoints);
    // Along each side the designed step where it keeps the cells spaced and inside, else the
    // cells spread to the far edge, never closer than spaced.
    const auto step = [](float designed, float cell, float length) {
        return std::max(cell * spacedCell, std::min(designed, (length - cell) / 4.0f));
    };
    return {step(designedColumn, cellWidth * scale, roomWidth),
            step(designedRow, cellHeight * scale, roomHeight), scale, points, points};
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
    , lblSedu(designLabel(client, QStringLiteral("Mensaje"), {1680, 3420, 8655, 675},
                          forms::DesignFont(msSansSerif, 24, true), forms::ColorBGR(0x000040C0)))
    , lblLetra(designLabel(client, QStringLiteral("A"), {300, 360, 855, 735}, letterFont(),
                           forms::ColorBGR(0x00000000)))
    , lblMano(designLabel(client, QStringLiteral("I"), {420, 1200, 615, 795}, letterFont(),
                          client->palette().color(QPalette::ButtonText)))
    , tSedu(new forms::IntervalTimer(this, 5000, false))
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
    Manos = {izquierda, derecha, ambas, izquierda, ambas};
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
    fitTemplates(grid);
}

// The flash goes across the middle of the client area.
void frmTrevolo::centreFlash()
{
    forms::SetWidth(lblSedu, forms::OuterWidth(this) - outerMargin);
    forms::SetTop(lblSedu, forms::Height(client) / 2.0f - forms::Height(lblSedu) / 2.0f);
    forms::SetLeft(lblSedu, forms::Width(client) / 2.0f - forms::Width(lblSedu) / 2.0f);
}

// Loads and shows cells 1 to 25, each letter with its hand code under it, row after row.
void frmTrevolo::loadCells()
{
    int k = 1;
    float y = 0.0f;
    for (int fila = 1; fila <= celdas / celdasPorFila; ++fila) {
        float x = gridLeft;
        for (int columna = 1; columna <= celdasPorFila; ++columna) {
            lblLetra.Load(k);
            lblMano.Load(k);
            lblLetra(k)->setText(Letras[k]);
            lblLetra(k)->setAccessibleDescription(QStringLiteral("letra ") + Letras[k]);
            forms::SetLeft(lblLetra(k), x);
            forms::SetTop(lblLetra(k), y);
            forms::SetLeft(lblMano(k), x);
            forms::SetTop(lblMano(k), forms::Height(lblLetra(k)) + y);
            lblMano(k)->show();
            lblLetra(k)->show();
            ++k;
            x = miAncho + x;
        }
        y = miLargo + y;
    }
}

// Letters and hands take the grid's font size, their labels growing or shrinking with it.
void frmTrevolo::fitTemplates(const GridLayout& grid)
{
    if (grid.scale == 1.0f)
        return;
    for (QLabel* plantilla : {lblLetra(0), lblMano(0)}) {
        QFont font = plantilla->font();
        font.setPointSizeF(plantilla == lblLetra(0) ? grid.letterPoints : grid.handPoints);
        plantilla->setFont(font);
        plantilla->resize(forms::PixelsX(forms::Width(plantilla) * grid.scale),
                          forms::PixelsY(forms::Height(plantilla) * grid.scale));
    }
}

void frmTrevolo::AsignarManos()
{
    Sorteo sorteo(lblMano, Manos);
    for (int n = 1; n <= celdas; ++n)
        sorteo.Celda(n);
    for (int n = 1; n <= celdas; ++n)
        lblMano(n)->setAccessibleDescription(handMeaning(lblMano(n)->text()));
}

void frmTrevolo::Form_Activate()
{
    if (!bSed) {
        Primero();
        return; // Primero returns only when the program ends
    }
    modGral::Actual = 0; // the next flash starts again at the first active message
}

// Shrinks the letters a point at a time while ten of them, less 1000 twips, stand taller than
// the window.
void frmTrevolo::AjustarLetra()
{
    QLabel* plantilla = lblLetra(0);
    const auto demasiadoAlta = [this, plantilla] {
        return forms::Height(plantilla) * 10.0f - 1000.0f > forms::OuterHeight(this);
    };
    while (demasiadoAlta()) {
        // The size the font really has on this screen, which may differ from the size set.
        const float s = float(QFontInfo(plantilla->font()).pointSizeF());
        if (s - 1.0f < smallestLetterPoints)
            break;
        QFont font = plantilla->font();
        font.setPointSizeF(s - 1.0f);
        plantilla->setFont(font);
    }
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
