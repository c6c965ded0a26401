#include "frmMsg.h"

#include "forms/boxes.h"
#include "forms/controls.h"
#include "forms/placement.h"
#include "forms/units.h"
#include "store/store.h"

#include <QHash>
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

// `texto` cut to `largo` characters with "…" at the end, never within a surrogate pair.
QString abreviado(const QString& texto, qsizetype largo)
{
    if (texto.size() <= largo)
        return texto;
    qsizetype corte = largo - 1;
    if (texto[corte - 1].isHighSurrogate())
        --corte;
    return texto.left(corte) + u'…';
}

// The messages of a file's lines that the list's lines lack, each as often as it is missing.
QStringList faltantes(const QStringList& enArchivo, const QStringList& enLista)
{
    const auto mensaje = [](const QString& linea) {
        return modGral::MensajeDe(linea).texto.toString();
    };
    QHash<QString, int> quedan;
    for (const QString& linea : enLista)
        ++quedan[mensaje(linea)];
    QStringList faltan;
    for (const QString& linea : enArchivo) {
        if (linea.isEmpty())
            continue; // a blank line is no message
        int& n = quedan[mensaje(linea)];
        if (n > 0)
            --n;
        else
            faltan << mensaje(linea);
    }
    return faltan;
}

// The question to ask before the save replaces msg.txt, which now holds `ahora`: none when it
// holds what was last read or written there, or what the user already agreed to replace, holds
// nothing the list lacks, or is gone; otherwise what would be lost. What is no regular file
// asks nothing: the save refuses it, and says why.
QString preguntaAntesDeReemplazar(const QString& ruta, const forms::ReadResult& ahora,
                                  const QStringList& lineas, const forms::FileStamp& aceptado)
{
    const QString archivo = modGral::NombreMsg(ruta);
    const QString pregunta = QStringLiteral(
        "\n\n¿Reemplazar el archivo con la lista? Con «No» no se guarda nada y la lista sigue "
        "abierta.");
    using State = forms::FileStamp::State;
    if (ahora.stamp == aceptado || ahora.stamp.state == State::NotAFile)
        return {};
    if (ahora.stamp.state == State::Unreadable)
        return QStringLiteral("No se puede leer %1 (%2): esta lista no muestra lo que contiene. "
                              "Si guarda la lista, ese contenido se perderá.")
                   .arg(archivo, ahora.error) +
               pregunta;
    if (ahora.stamp.state == State::Absent || ahora.stamp == modGral::HuellaMsg)
        return {};
    const QStringList faltan = faltantes(ahora.text.lines, lineas);
    if (faltan.isEmpty())
        return {};
    constexpr int mostrados = 3;
    const State leido = modGral::HuellaMsg.state;
    QString texto =
        (leido == State::Unreadable || leido == State::NotAFile
             ? QStringLiteral("%1 no se pudo leer al empezar y ahora se lee. ")
             : QStringLiteral("%1 ha cambiado desde la última vez que se leyó o se guardó aquí "
                              "(quizá desde otra copia de Trevolo). "))
            .arg(archivo) +
        (faltan.size() == 1
             ? QStringLiteral("Tiene un mensaje que no está en esta lista y se perderá si la "
                              "guarda:")
             : QStringLiteral("Tiene %1 mensajes que no están en esta lista y se perderán si la "
                              "guarda:")
                   .arg(faltan.size()));
    for (qsizetype i = 0; i < faltan.size() && i < mostrados; ++i)
        texto += QStringLiteral("\n«%1»").arg(abreviado(faltan[i], 60));
    if (faltan.size() > mostrados)
        texto += QStringLiteral("\ny %1 más.").arg(faltan.size() - mostrados);
    return texto + pregunta;
}

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
    auto* item = new QListWidgetItem(abreviado(texto, largoEnLista), lstMsg);
    item->setData(Qt::UserRole, texto);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(marcado ? Qt::Checked : Qt::Unchecked);
}

void frmMsg::Form_Load()
{
    // Every message of the store: a blank line of msg.txt is no message, and the ones after it
    // must not be lost at the next save.
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
    txtNvo->setText(textoLargo.isEmpty() ? texto : abreviado(texto, largoEnLista));
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
    QStringList lineas;
    for (int i = 0; i < lstMsg->count(); ++i) {
        textos << Texto(lstMsg->item(i));
        mensajes << modGral::Mensaje{textos.last(), lstMsg->item(i)->checkState() == Qt::Checked};
        lineas << modGral::LineaDe(mensajes.last());
    }

    if (Guardar(lineas)) {
        modGral::VaciarMensajes();
        modGral::LlenarMensajes(mensajes);
        accept();
    }
}

bool frmMsg::Guardar(const QStringList& lineas)
{
    // Old file or new, never half; on failure or "No" the edits stay open and nothing else
    // changes.
    const QString ruta = modGral::RutaMsg();
    const auto error = [&](const QString& porQue) {
        forms::MsgBox(QStringLiteral("No se pudieron guardar los mensajes en %1: %2")
                          .arg(modGral::NombreMsg(ruta), porQue),
                      forms::Icon::Critical);
        return false;
    };
    if (const QString sinCarpeta = modGral::CrearCarpetaMsg(); !sinCarpeta.isEmpty()) {
        forms::MsgBox(sinCarpeta, forms::Icon::Critical);
        return false;
    }
    forms::FileStamp aceptado; // what the user agreed to replace
    for (;;) {
        forms::ReadResult ahora;
        QString pregunta, porQue;
        {
            // The check and the replace are one step against every other copy; no box is, so
            // that no copy waits on a user: a change while the question is open asks again.
            forms::SaveLock cerrojo(ruta);
            const bool mio = cerrojo.Lock(modGral::EsperaOtraCopia);
            if (!isVisible()) // closed, or the program ended, meanwhile
                return false;
            if (!mio)
                return error(QStringLiteral("otra copia de Trevolo lo está guardando. Vuelva a "
                                            "pulsar Regresar en un momento."));
            ahora = forms::ReadLines(ruta);
            // Unchanged since it was read, and holding the list: kept as it is, to the byte.
            if (ahora.stamp.state == forms::FileStamp::State::Read &&
                ahora.stamp == modGral::HuellaMsg && ahora.text.lines == lineas)
                return true;
            pregunta = preguntaAntesDeReemplazar(ruta, ahora, lineas, aceptado);
            if (pregunta.isEmpty())
                porQue =
                    forms::WriteLines(ruta, lineas, modGral::CodificacionMsg, &modGral::HuellaMsg);
        }
        if (pregunta.isEmpty())
            return porQue.isEmpty() || error(porQue);
        if (!forms::Question(pregunta, SiNo))
            return false;
        aceptado = ahora.stamp;
    }
}
