#pragma once

#include <QDialog>
#include <QMargins>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace forms {
class IntervalTimer;
}

// "Mensajes Subliminales": lists the messages with a tick for the active ones, adds and removes
// them, and on "Regresar" writes msg.txt and the store. Loaded afresh at every opening.
class frmMsg : public QDialog {
    Q_OBJECT
public:
    // Opens the editor modally over `board` and returns once it is unloaded. A save that leaves
    // no active message stops `tSedu`, the board's flash.
    static void Mostrar(QWidget* board, forms::IntervalTimer& tSedu);

    // An item's whole message: the list may show a long one shortened.
    static QString Texto(const QListWidgetItem* item);

    QLabel* Label1;
    QLineEdit* txtNvo;
    QPushButton* Command2;
    QPushButton* Command3;
    QLabel* Label2;
    QListWidget* lstMsg;
    QPushButton* Command1;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    frmMsg(QWidget* board, forms::IntervalTimer& tSedu);

    // Sizes the editor and centres it over the board, on the screen, for a frame of `marco`.
    void Colocar(const QMargins& marco);

    void Form_Load();
    void txtNvo_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void AgregarItem(const QString& texto, bool marcado);

    forms::IntervalTimer& tSedu;
    QMargins marcoSupuesto; // the frame it was last placed for
    bool enmarcado = false; // its own frame has been seen
    // A message too long to edit in the text box, taken back whole by Quitar: the box shows its
    // start, read-only, until Agregar puts it back.
    QString textoLargo;
};
