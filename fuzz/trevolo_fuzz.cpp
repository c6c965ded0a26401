// Arbitrary bytes through the places where outside text enters the program: msg.txt, the
// messages typed into the editor and the period typed into the timer's input box.
//
// One input serves all: the whole input is a msg.txt, and as UTF-8 the editor's lines; for the
// period, its first byte picks the locale (odd: es_ES, even: C) and the rest is the text typed.

#include "board/frmTrevolo.h"
#include "forms/boxes.h"
#include "forms/folders.h"
#include "forms/textfile.h"
#include "startup/modGral.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QLocale>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {

QList<forms::Box> shown;

// What a load must leave alone; no line of a file can make it look written.
const QString untouched = QStringLiteral("\u0001untouched");

void check(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "trevolo_fuzz: %s\n", what);
    std::abort();
}

bool freeOfLineEnds(const QString& line)
{
    return !line.contains(u'\r') && !line.contains(u'\n');
}

// A file read and written back reads as the same lines, and a second write changes no byte.
void checkRoundTrip(const forms::DecodedLines& decoded)
{
    for (const QString& line : decoded.lines)
        check(freeOfLineEnds(line), "a decoded line holds CR or LF");

    forms::TextEncoding encoding = decoded.encoding;
    const QByteArray written = forms::EncodeLines(decoded.lines, encoding);
    const forms::DecodedLines reread = forms::DecodeLines(written);
    check(reread.lines == decoded.lines, "the lines changed through a write and a read");
    // No lines make an empty file, which holds no encoding to read back.
    const bool empty = decoded.lines.isEmpty();
    check(empty || reread.encoding == encoding, "a written file reads in another encoding");

    forms::TextEncoding again = reread.encoding;
    check(forms::EncodeLines(reread.lines, again) == written && (empty || again == encoding),
          "writing the lines read back changed the file");
}

// Whatever the user typed into the editor is written so that it reads back the same: lines
// free of CR and LF (the editor replaces them), in any encoding msg.txt was read in. A file
// read as Windows-1252 may come back as UTF-8 when its bytes happen to be valid UTF-8, so that
// one is only written.
void checkWrite(const QByteArray& bytes)
{
    const QStringList lines = QString::fromUtf8(bytes)
                                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                  .replace(u'\r', u'\n')
                                  .split(u'\n');
    for (const forms::TextEncoding read :
         {forms::TextEncoding::SystemCodePage, forms::TextEncoding::Utf8WithBom}) {
        forms::TextEncoding encoding = read;
        const forms::DecodedLines reread = forms::DecodeLines(forms::EncodeLines(lines, encoding));
        check(reread.lines == lines, "typed lines changed through a write and a read");
        check(reread.encoding == encoding, "typed lines read back in another encoding");
    }
    forms::TextEncoding encoding = forms::TextEncoding::Windows1252;
    forms::EncodeLines(lines, encoding);
}

// The whole load, file and message boxes included.
void checkLoad(const QByteArray& bytes, const forms::DecodedLines& decoded)
{
    QFile file(modGral::RutaMsg());
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes) == bytes.size(),
          "cannot write msg.txt");
    file.close();

    modGral::Mensajes.fill(untouched);
    modGral::Activos.fill(untouched);
    modGral::NumActivos = 99;
    shown.clear();
    modGral::CargarMensajes();

    const QStringList& lines = decoded.lines;
    const qsizetype loaded = std::min<qsizetype>(lines.size(), modGral::CapacidadMensajes);
    int actives = 0;
    for (qsizetype i = 0; i <= modGral::UltimoMensaje; ++i) {
        const QString& mensaje = modGral::Mensajes[size_t(i)];
        if (i >= loaded) {
            check(mensaje == untouched, "an entry past the file's lines was written");
            continue;
        }
        check(mensaje == lines[i], "an entry differs from its line in the file");
        check(freeOfLineEnds(mensaje), "an entry holds CR or LF");
        if (modGral::MensajeDe(mensaje).activo) {
            check(actives < int(modGral::NumActivos) &&
                      modGral::Activos[size_t(actives)] == mensaje,
                  "the active entries are not packed in order");
            ++actives;
        }
    }
    check(int(modGral::NumActivos) == actives, "NumActivos is not the number of active entries");
    for (int i = actives; i <= modGral::UltimoMensaje; ++i)
        check(modGral::Activos[size_t(i)] == untouched, "an unused Activos entry was written");
    check(modGral::CodificacionMsg() == decoded.encoding, "the load kept another encoding");

    bool dropped = false;
    for (qsizetype i = loaded; i < lines.size(); ++i)
        dropped = dropped || !lines[i].isEmpty();
    check(shown.size() == (dropped ? 1 : 0), "dropped lines are not told exactly once");
    for (const forms::Box& box : shown)
        check(box.kind == forms::Box::Kind::Message && box.icon == forms::Icon::Warning,
              "the load showed an unexpected box");
}

void checkPeriod(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    static const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    QLocale::setDefault(data[0] & 1 ? spanish : QLocale::c());
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    const std::optional<double> periodo = forms::NumberIn(text);
    if (!periodo)
        return;
    check(std::isfinite(*periodo), "NumberIn let a non-finite number through");

    // Exact: a double times 1000 needs at most 63 bits of mantissa.
    const long double exact = static_cast<long double>(*periodo) * 1000.0L;
    constexpr long double largest = std::numeric_limits<qint32>::max();
    const std::optional<qint32> intervalo = IntervaloDelPeriodo(*periodo);
    if (!intervalo) {
        check(*periodo >= 1.0 && exact > largest, "a period that fits the timer was refused");
        return;
    }
    check(*intervalo >= 1000, "an interval below one second");
    if (*periodo < 1.0)
        check(*intervalo == 6000, "a period below one second is not six");
    else
        // The program rounds the product as a double first: allow for that, not a millisecond.
        check(std::fabs(static_cast<long double>(*intervalo) - exact) <= 0.5L + 1e-6L,
              "the interval is not the period's nearest millisecond");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("Trevolo"));
    static QTemporaryDir folder;
    check(folder.isValid(), "no temporary folder");
    forms::SetAppPath(folder.path());
    forms::SetBoxResponder([](const forms::Box& box) {
        shown.append(box);
        return QString();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const forms::DecodedLines decoded = forms::DecodeLines(bytes);
    checkRoundTrip(decoded);
    checkWrite(bytes);
    // Writing and reading the file makes an input five times slower, so only inputs whose
    // length is a multiple of 8 take the whole load. Length, not a hash: most mutations keep
    // it, so an input that reached new code in the load keeps reaching it.
    if (size % 8 == 0)
        checkLoad(bytes, decoded);
    checkPeriod(data, size);
    return 0;
}
