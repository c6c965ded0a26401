#include "forms/textfile.h"
#include "startup/modGral.h"
#include "support/program.h"

#include <QtTest>

using modGral::Mensajes;
using modGral::NumActivos;

// msg.txt whose text begins with U+FEFF, the character a UTF-8 byte-order mark encodes: only
// the file's first mark tells the encoding, any other is part of the first message.
class tst_msg_bom : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }

    void saveKeepsWhatALoadRead_data();
    void saveKeepsWhatALoadRead();
    void firstMessageStartingWithFeffIsSaved_data();
    void firstMessageStartingWithFeffIsSaved();
};

void tst_msg_bom::saveKeepsWhatALoadRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("found by the fuzzer") << bom + bom + bom + QByteArray("1\x01**M1\x01");
    QTest::newRow("three marks, then an active message") << bom + bom + bom + "*HOLA\r\nADIOS\r\n";
    QTest::newRow("two marks, then an active message") << bom + bom + "*HOLA\r\n";
    QTest::newRow("UTF-16 LE, two marks") << QByteArray("\xFF\xFE\xFF\xFE*\0", 6);
}

// Loading and saving the list untouched must not change a message, nor which are active.
void tst_msg_bom::saveKeepsWhatALoadRead()
{
    QFETCH(QByteArray, bytes);
    testing::LoadMsg(bytes);
    const qsizetype count = forms::ReadLines(testing::MsgPath()).text.lines.size();
    QVERIFY(count > 0);
    const QStringList loaded(Mensajes.begin(), Mensajes.begin() + count);
    const int actives = NumActivos;
    auto encoding = modGral::CodificacionMsg();

    QCOMPARE(forms::WriteLines(testing::MsgPath(), loaded, encoding), QString());
    testing::FillStore({});
    modGral::CargarMensajes();

    QCOMPARE(QStringList(Mensajes.begin(), Mensajes.begin() + count), loaded);
    QCOMPARE(int(NumActivos), actives);
}

void tst_msg_bom::firstMessageStartingWithFeffIsSaved_data()
{
    QTest::addColumn<forms::TextEncoding>("encoding");
    QTest::newRow("file read as UTF-8") << forms::TextEncoding::SystemCodePage;
    QTest::newRow("file read as UTF-8 without a mark") << forms::TextEncoding::Utf8;
    QTest::newRow("file read as UTF-8 with a mark") << forms::TextEncoding::Utf8WithBom;
    QTest::newRow("file read as Windows-1252") << forms::TextEncoding::Windows1252;
    QTest::newRow("file read as UTF-16 LE") << forms::TextEncoding::Utf16LeWithBom;
    QTest::newRow("file read as UTF-16 BE") << forms::TextEncoding::Utf16BeWithBom;
}

// Text pasted into the editor can begin with U+FEFF; the save must neither fail nor lose it.
void tst_msg_bom::firstMessageStartingWithFeffIsSaved()
{
    QFETCH(forms::TextEncoding, encoding);
    const QStringList lines{QStringLiteral("\uFEFFHOLA"), QStringLiteral("*ADIÓS")};
    QCOMPARE(forms::WriteLines(testing::MsgPath(), lines, encoding), QString());
    const forms::ReadResult read = forms::ReadLines(testing::MsgPath());
    QCOMPARE(read.error, QString());
    QCOMPARE(read.text.lines, lines);
    QCOMPARE(read.text.encoding, encoding);
}

QTEST_MAIN(tst_msg_bom)
#include "tst_msg_bom.moc"
