#include "board/frmTrevolo.h"
#include "forms/program.h"
#include "forms/units.h"
#include "startup/modGral.h"
#include "support/program.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

class tst_board_window : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }
    void cleanup() { frmTrevolo::Descargar(); }

    void windowAsDesigned();
    void menusAsDesigned();
    void templatesAsDesigned();
    void staysMaximised_data();
    void staysMaximised();
    void separatorDoesNothing();
    void salirEndsTheProgramFromInsideAWait();
    void closingTheBoardEndsTheProgram();
};

void tst_board_window::windowAsDesigned()
{
    frmTrevolo& board = frmTrevolo::Instancia();
    QCOMPARE(&frmTrevolo::Instancia(), &board); // one instance
    QCOMPARE(board.windowTitle(), QStringLiteral("Trevolo "));
    QVERIFY(!board.windowIcon().isNull());
    QVERIFY(!(board.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(board.windowState(), Qt::WindowMaximized); // from the moment it loads
    QCOMPARE(board.tSedu->interval(), 5000);
    QVERIFY(!board.tSedu->isEnabled());
}

void tst_board_window::menusAsDesigned()
{
    frmTrevolo& board = frmTrevolo::Instancia();
    const QList<QAction*> bar = board.menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar[0]->text(), QStringLiteral("&Archivo"));
    QCOMPARE(bar[1]->text(), QStringLiteral("A&cciones"));
    QCOMPARE(board.mnuBarra[0]->actions(), board.mnuArch);
    QCOMPARE(board.mnuBarra[1]->actions(), board.mnuAcc);

    QCOMPARE(board.mnuArch.size(), 3);
    QCOMPARE(board.mnuArch[0]->text(), QStringLiteral("&Mensajes Subliminales ..."));
    QVERIFY(board.mnuArch[1]->isSeparator());
    QCOMPARE(board.mnuArch[2]->text(), QStringLiteral("&Salir"));
    QCOMPARE(board.mnuAcc.size(), 2);
    QCOMPARE(board.mnuAcc[0]->text(), QStringLiteral("Temporizador"));
    QCOMPARE(board.mnuAcc[1]->text(), QStringLiteral("Activar &Mensajes"));
    for (QAction* item : board.mnuArch + board.mnuAcc) {
        QVERIFY(item->shortcut().isEmpty());
        QVERIFY(item->isEnabled());
        QVERIFY(item->isVisible());
        QVERIFY(!item->isChecked());
    }
}

void tst_board_window::templatesAsDesigned()
{
    // A system whose buttons' text is not black, as the letters are.
    const QPalette system = QApplication::palette();
    QPalette blue = system;
    blue.setColor(QPalette::ButtonText, Qt::darkBlue);
    QApplication::setPalette(blue);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(system); });
    frmTrevolo& board = frmTrevolo::Instancia();
    board.show();
    struct Expected {
        QLabel* label;
        QString caption;
        float left, top, width, height;
        qreal points;
    };
    const Expected rows[] = {
        {board.lblLetra(0), QStringLiteral("A"), 300, 360, 855, 735, 39.75},
        {board.lblMano(0), QStringLiteral("I"), 420, 1200, 615, 795, 39.75},
        {board.lblSedu, board.lblSedu->text(), 1680, 3420, 8655, 675, 24},
    };
    for (const Expected& row : rows) {
        QCOMPARE(row.label->text(), row.caption);
        QCOMPARE(row.label->parentWidget(), board.client);
        QCOMPARE(row.label->geometry(),
                 QRect(forms::PixelsX(row.left), forms::PixelsY(row.top), forms::PixelsX(row.width),
                       forms::PixelsY(row.height)));
        QCOMPARE(row.label->font().pointSizeF(), row.points);
        QVERIFY(row.label->font().bold());
        QCOMPARE(row.label->alignment(), Qt::AlignCenter);
        QVERIFY(!row.label->isVisible());
    }
    QCOMPARE(board.lblLetra(0)->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(board.lblMano(0)->palette().color(QPalette::WindowText), QColor(Qt::darkBlue));
    QCOMPARE(board.lblSedu->palette().color(QPalette::WindowText), QColor(192, 64, 0));
    QCOMPARE(board.lblLetra.Count(), 1);
    QCOMPARE(board.lblMano.Count(), 1);
}

void tst_board_window::staysMaximised_data()
{
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("minimised") << Qt::WindowMinimized;
    QTest::newRow("restored") << Qt::WindowNoState;
    QTest::newRow("full screen") << Qt::WindowFullScreen;
}

void tst_board_window::staysMaximised()
{
    QFETCH(Qt::WindowState, state);
    frmTrevolo& board = frmTrevolo::Instancia();
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.setWindowState(state);
    QCOMPARE(board.windowState(), Qt::WindowMaximized);
    QVERIFY(board.isVisible());
}

void tst_board_window::separatorDoesNothing()
{
    frmTrevolo& board = frmTrevolo::Instancia();
    board.show();
    board.mnuArch[1]->trigger();
    QCoreApplication::processEvents();
    QVERIFY(!forms::Ending());
    QVERIFY(board.isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(
        std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }),
        1);
}

void tst_board_window::salirEndsTheProgramFromInsideAWait()
{
    frmTrevolo& board = frmTrevolo::Instancia();
    board.show();
    testing::After(1.0, &board, [&board] { board.mnuArch[2]->trigger(); });
    modGral::Espera(600.0f);
    QCOMPARE(forms::Timer(), 1.0f); // at once
    QVERIFY(forms::Ending());
    QVERIFY(!board.isVisible());
}

void tst_board_window::closingTheBoardEndsTheProgram()
{
    frmTrevolo& board = frmTrevolo::Instancia();
    board.show();
    QVERIFY(board.close());
    QVERIFY(forms::Ending());
    QVERIFY(!board.isVisible());
}

QTEST_MAIN(tst_board_window)
#include "tst_board_window.moc"
