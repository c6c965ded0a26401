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
    resize(forms::PixelsX(9930), forms::PixelsY(3285));

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
    lstMsg = new QListWidget(this);
    lstMsg->setSelectionMode(QAbstractItemView::SingleSelection);
    forms::Move(lstMsg, 4980, 300, 4875, 2310);
    Command1 = button(QStringLiteral("&Regresar"), this, 8640, 2820, 1215, 375);

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
    case Qt::Key_Enter: // presses the button that has the focus, and nothing else
        if (auto* pulsado = qobject_cast<QPushButton*>(focusWidget()))
            pulsado->click();
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
