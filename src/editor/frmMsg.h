#pragma once

#include "forms/boxes.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Mensajes Subliminales": lists the messages with a tick for the active ones, adds and removes
// them, and on "Regresar" writes msg.txt and the store. Loaded afresh at every opening.
class frmMsg : public QDialog {
    Q_OBJECT
public:
    // Opens the editor modally over `board` and returns once it is unloaded: whether it saved.
    static bool Mostrar(QWidget* board);

    // An item's whole message: the list may show a long one shortened.
    static QString Texto(const QListWidgetItem* item);

    // The buttons of the question before a save replaces what it would lose.
    static inline const forms::Answers SiNo{QStringLiteral("&Sí"), QStringLiteral("&No")};

    QLabel* Label1;
    QLineEdit* txtNvo;
    QPushButton* Command2;
    QPushButton* Command3;
    QLabel* Label2;
    QListWidget* lstMsg;
    QPushButton* Command1;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    explicit frmMsg(QWidget* board);

    void Form_Load();
    void txtNvo_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void AgregarItem(const QString& texto, bool marcado);

    // A message too long to edit in the text box, taken back whole by Quitar: the box shows its
    // start, read-only, until Agregar puts it back.
    QString textoLargo;
};
