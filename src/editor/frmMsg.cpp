#include "frmMsg.h"

#include "forms/boxes.h"
#include "forms/controls.h"
#include "forms/units.h"
#include "startup/modGral.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int capacidad = modGral::UltimoMensaje + 1;

QPushButton* button(const QString& caption, QWidget* parent, float left, float top, float width,
                    float height)
{
    auto* b = new QPushButton(caption, parent);
    // No default button: Enter in the text box must not close the editor.
    b->setAutoDefault(false);
    forms::Move(b, left, top, width, height);
    return b;
}

QLabel* label(const QString& caption, QWidget* parent, float left, float top, float width,
              float height)
{
    auto* l = new QLabel(caption, parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop); // the text box just below overlaps the rest
    forms::Move(l, left, top, width, height);
    return l;
}

// Screen readers announce `control` by the caption above it.
void captioned(QLabel* caption, QWidget* control)
{
    caption->setBuddy(control);
    control->setAccessibleName(caption->text());
}

// The highlighted item is the current one, so the keyboard highlights wherever it lands, as in
// a native list box: otherwise a keyboard user could never highlight the only item to remove it.
class ListaMensajes : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* e) override
    {
        QListWidget::focusInEvent(e);
        const bool tabbed =
            e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
        if (tabbed && selectedItems().isEmpty() && count() > 0)
            setCurrentRow(std::max(currentRow(), 0));
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        static constexpr int moves[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                        Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
        const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (!plain || std::find(std::begin(moves), std::end(moves), e->key()) == std::end(moves)) {
            QListWidget::keyPressEvent(e);
            return;
        }
        // With nothing current Qt starts every move at the first item; End means the last.
        if (currentRow() < 0 && e->key() == Qt::Key_End)
            setCurrentRow(count() - 1);
        else
            QListWidget::keyPressEvent(e);
        if (currentRow() >= 0) // a move that stays put, on a one-item list, still highlights
            setCurrentRow(currentRow());
        e->accept();
    }
};

} // namespace

void frmMsg::Mostrar(QWidget* board, forms::IntervalTimer& tSedu)
{
    frmMsg editor(board, tSedu);
    editor.exec();
}

frmMsg::frmMsg(QWidget* board, forms::IntervalTimer& tSedu)
    : QDialog(board)
    , tSedu(tSedu)
{
    setWindowTitle(QStringLiteral("Mensajes Subliminales"));
    // Sizable with maximise and close; minimising a modal editor would hide it from the user.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    // Not framed yet: the window manager frames it like the board, most likely.
    const QWindow* boardWindow = board ? board->windowHandle() : nullptr;
    Colocar(boardWindow ? boardWindow->frameMargins() : QMargins());

    const QFont bold = forms::DesignFont({QStringLiteral("MS Sans Serif")}, 8.25, true);
    Label1 = label(QStringLiteral("Nuevo Mensaje"), this, 120, 60, 4155, 375);
    txtNvo = new QLineEdit(this);
    forms::Move(txtNvo, 60, 300, 4815, 375);
    Command2 = button(QStringLiteral("&Agregar >>"), this, 2820, 960, 1935, 375);
    Command2->setFont(bold);
    Command2->setEnabled(false);
    Command3 = button(QStringLiteral("&Quitar <<"), this, 2820, 1440, 1935, 375);
    Command3->setFont(bold);
    Command3->setEnabled(false);
    Label2 = label(QStringLiteral("Lista de mensajes"), this, 5040, 60, 3435, 315);
    lstMsg = new ListaMensajes(this);
    lstMsg->setSelectionMode(QAbstractItemView::SingleSelection);
    forms::Move(lstMsg, 4980, 300, 4875, 2310);
    Command1 = button(QStringLiteral("&Regresar"), this, 8640, 2820, 1215, 375);
    captioned(Label1, txtNvo);
    captioned(Label2, lstMsg);

    setTabOrder(Command1, lstMsg);
    setTabOrder(lstMsg, txtNvo);
    setTabOrder(txtNvo, Command2);
    setTabOrder(Command2, Command3);

    connect(txtNvo, &QLineEdit::textChanged, this, &frmMsg::txtNvo_Change);
    connect(Command1, &QPushButton::clicked, this, &frmMsg::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMsg::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMsg::Command3_Click);

    Form_Load();
    Command1->setFocus();
}

void frmMsg::Colocar(const QMargins& marco)
{
    // The designed client size is also the least that shows every control. On a screen too
    // small for it the editor takes the whole screen instead: a minimum larger than the screen
    // would put its title bar and close button out of reach.
    marcoSupuesto = marco;
    const QWidget* board = parentWidget();
    const QRect screen = (board ? board->screen() : this->screen())->availableGeometry();
    const QSize disenado(forms::PixelsX(9930), forms::PixelsY(3285));
    setMinimumSize(disenado.boundedTo(screen.size().shrunkBy(marco)));
    resize(minimumSize());

    QRect outer({}, size().grownBy(marco));
    outer.moveCenter(board ? board->frameGeometry().center() : screen.center());
    outer.moveTopLeft(
        {std::clamp(outer.left(), screen.left(), screen.right() + 1 - outer.width()),
         std::clamp(outer.top(), screen.top(), screen.bottom() + 1 - outer.height())});
    move(outer.topLeft()); // a window's position is its frame's
}

bool frmMsg::event(QEvent* e)
{
    // Its own frame arrives only once the window is shown, and can differ from the maximised
    // board's: placed again, once, by the real one.
    if ((e->type() == QEvent::Move || e->type() == QEvent::Resize) && !enmarcado && isVisible()) {
        const QMargins marco = windowHandle()->frameMargins();
        if (!marco.isNull()) {
            enmarcado = true;
            if (marco != marcoSupuesto)
                Colocar(marco);
        }
    }
    return QDialog::event(e);
}

void frmMsg::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape: // would throw the edits away; only the title bar's close does that
        e->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: // presses the focused button, or "Agregar" from the text box; never closes
        if (auto* pulsado = qobject_cast<QPushButton*>(focusWidget()))
            pulsado->click();
        else if (focusWidget() == txtNvo && Command2->isEnabled())
            Command2->click();
        e->accept();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void frmMsg::AgregarItem(const QString& texto, bool marcado)
{
    auto* item = new QListWidgetItem(texto, lstMsg);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(marcado ? Qt::Checked : Qt::Unchecked);
}

void frmMsg::Form_Load()
{
    // Every message of the store: a blank line of msg.txt is no message, and the ones after it
    // must not be lost at the next save.
    for (const QString& mensaje : modGral::Mensajes) {
        if (mensaje.isEmpty())
            continue;
        if (mensaje.startsWith(u'*'))
            AgregarItem(mensaje.mid(1), true);
        else
            AgregarItem(mensaje, false);
    }
    Command3->setEnabled(lstMsg->count() > 0);
}

void frmMsg::txtNvo_Change()
{
    Command2->setEnabled(!txtNvo->text().isEmpty());
}

void frmMsg::Command2_Click()
{
    if (lstMsg->count() >= capacidad) {
        forms::MsgBox(QStringLiteral("La lista ya tiene %1 mensajes, los que caben. Quite uno "
                                     "antes de agregar otro.")
                          .arg(capacidad),
                      forms::Icon::Information);
        return;
    }
    // A line break would split the message into two lines of msg.txt.
    QString texto = txtNvo->text().toUpper();
    texto.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
    AgregarItem(texto, false);
    txtNvo->clear();
}

void frmMsg::Command3_Click()
{
    const QList<QListWidgetItem*> marcados = lstMsg->selectedItems();
    if (marcados.isEmpty())
        return;
    QListWidgetItem* item = marcados.first();
    txtNvo->setText(item->text());
    delete item;
    lstMsg->setCurrentRow(-1); // nothing is highlighted after a removal
    lstMsg->clearSelection();
    Command3->setEnabled(lstMsg->count() > 0);
    txtNvo->selectAll();
}

void frmMsg::Command1_Click()
{
    QStringList lineas;
    std::array<QString, capacidad> mensajes;
    std::array<QString, capacidad> activos;
    quint8 n = 0;
    for (int i = 0; i < lstMsg->count(); ++i) {
        const QListWidgetItem* item = lstMsg->item(i);
        const bool marcado = item->checkState() == Qt::Checked;
        const QString linea = marcado ? u'*' + item->text() : item->text();
        lineas << linea;
        mensajes[size_t(i)] = linea;
        if (marcado)
            activos[n++] = linea;
    }

    // Old file or new, never half; on failure the edits stay open and nothing else changes.
    const QString ruta = modGral::RutaMsg();
    const QString error = forms::WriteLines(ruta, lineas, modGral::CodificacionMsg);
    if (!error.isEmpty()) {
        forms::MsgBox(QStringLiteral("No se pudieron guardar los mensajes en %1: %2")
                          .arg(QDir::toNativeSeparators(ruta), error),
                      forms::Icon::Critical);
        return;
    }
    modGral::Mensajes = mensajes;
    modGral::Activos = activos;
    modGral::NumActivos = n;
    if (modGral::NumActivos == 0)
        tSedu.setEnabled(false);
    accept();
}
