#include "frmMsg.h"

#include "forms/boxes.h"
#include "forms/controls.h"
#include "forms/placement.h"
#include "forms/units.h"
#include "store/store.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <limits>

namespace {

constexpr int capacidad = modGral::CapacidadMensajes;

// Characters of a message the list shows; laying out megabytes of text would freeze it.
constexpr qsizetype largoEnLista = 200;
// The longest message the text box takes for editing: it lays out its whole text at every
// change, a tenth of a second for this many characters, and minutes for tens of millions.
constexpr qsizetype largoEnCaja = 100000;

QPushButton* button(const QString& caption, QWidget* parent, forms::Twips place)
{
    auto* b = forms::Create<QPushButton>(parent, place, caption);
    // No default button: Enter in the text box must not close the editor.
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const QString& caption, QWidget* parent, forms::Twips place)
{
    auto* l = forms::Create<QLabel>(parent, place, caption);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop); // the text box just below overlaps the rest
    return l;
}

// Screen readers announce `control` by the caption above it.
void captioned(QLabel* caption, QWidget* control)
{
    caption->setBuddy(control);
    control->setAccessibleName(caption->text());
}

} // namespace

bool frmMsg::Mostrar(QWidget* board)
{
    frmMsg editor(board);
    return editor.exec() == QDialog::Accepted;
}

frmMsg::frmMsg(QWidget* board)
    : QDialog(board)
{
    setWindowTitle(QStringLiteral("Mensajes Subliminales"));
    // Sizable with maximise and close; minimising a modal editor would hide it from the user.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    // The designed client size is also the least that shows every control.
    forms::CentreOverOwner(this, QSize(forms::PixelsX(9930), forms::PixelsY(3285)));

    const QFont bold = forms::DesignFont({QStringLiteral("MS Sans Serif")}, 8.25, true);
    Label1 = label(QStringLiteral("Nuevo Mensaje"), this, {120, 60, 4155, 375});
    txtNvo = forms::Create<QLineEdit>(this, {60, 300, 4815, 375});
    txtNvo->setMaxLength(std::numeric_limits<int>::max()); // a message of any length
    Command2 = button(QStringLiteral("&Agregar >>"), this, {2820, 960, 1935, 375});
    Command2->setFont(bold);
    Command2->setEnabled(false);
    Command3 = button(QStringLiteral("&Quitar <<"), this, {2820, 1440, 1935, 375});
    Command3->setFont(bold);
    Command3->setEnabled(false);
    Label2 = label(QStringLiteral("Lista de mensajes"), this, {5040, 60, 3435, 315});
    lstMsg = forms::Create<forms::ListBox>(this, {4980, 300, 4875, 2310});
    lstMsg->setSelectionMode(QAbstractItemView::SingleSelection);
    Command1 = button(QStringLiteral("&Regresar"), this, {8640, 2820, 1215, 375});
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

QString frmMsg::Texto(const QListWidgetItem* item)
{
    return item->data(Qt::UserRole).toString();
}

void frmMsg::AgregarItem(const QString& texto, bool marcado)
{
    auto* item = new QListWidgetItem(modGral::Abreviado(texto, largoEnLista), lstMsg);
    item->setData(Qt::UserRole, texto);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(marcado ? Qt::Checked : Qt::Unchecked);
}

void frmMsg::Form_Load()
{
    // Every message of the store: the ones after a blank line of msg.txt must not be lost at the
    // next save.
    for (const QString& linea : modGral::LineasMensajes()) {
        const modGral::Mensaje mensaje = modGral::MensajeDe(linea);
        AgregarItem(mensaje.texto.toString(), mensaje.activo);
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
    QString texto = (textoLargo.isEmpty() ? txtNvo->text() : textoLargo).toUpper();
    texto.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
    AgregarItem(texto, false);
    textoLargo.clear();
    txtNvo->setReadOnly(false);
    txtNvo->clear();
}

void frmMsg::Command3_Click()
{
    const QList<QListWidgetItem*> marcados = lstMsg->selectedItems();
    if (marcados.isEmpty())
        return;
    QListWidgetItem* item = marcados.first();
    const QString texto = Texto(item);
    textoLargo = texto.size() > largoEnCaja ? texto : QString();
    txtNvo->setReadOnly(!textoLargo.isEmpty());
    txtNvo->setText(textoLargo.isEmpty() ? texto : modGral::Abreviado(texto, largoEnLista));
    delete item;
    lstMsg->setCurrentRow(-1); // nothing is highlighted after a removal
    lstMsg->clearSelection();
    Command3->setEnabled(lstMsg->count() > 0);
    txtNvo->selectAll();
}

void frmMsg::Command1_Click()
{
    // Active as ticked: a message typed with a leading "*" is only active once read back.
    QStringList textos; // what `mensajes` view
    QList<modGral::Mensaje> mensajes;
    for (int i = 0; i < lstMsg->count(); ++i) {
        textos << Texto(lstMsg->item(i));
        mensajes << modGral::Mensaje{textos.last(), lstMsg->item(i)->checkState() == Qt::Checked};
    }
    // On failure or "No" the edits stay open.
    const modGral::Guardado guardado = modGral::GuardarMensajes(
        mensajes,
        {.sigue = [this] { return isVisible(); }, // not closed, nor the program ended
         .reemplaza = [](const QString& pregunta) { return forms::Question(pregunta, SiNo); }});
    if (!guardado.error.isEmpty())
        forms::MsgBox(guardado.error, forms::Icon::Critical);
    if (guardado.hecho)
        accept();
}
