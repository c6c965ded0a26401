#include "encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>
#include <tuple>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace forms {
namespace {

// Encodings that a byte-order mark at the start of the file names.
struct Marked {
    TextEncoding encoding;
    QStringConverter::Encoding converter;
    QByteArray mark;
};
const Marked marked[] = {
    {TextEncoding::Utf8WithBom, QStringConverter::Utf8, "\xEF\xBB\xBF"},
    {TextEncoding::Utf16LeWithBom, QStringConverter::Utf16LE, "\xFF\xFE"},
    {TextEncoding::Utf16BeWithBom, QStringConverter::Utf16BE, "\xFE\xFF"},
};

const Marked* markedBy(const QByteArray& bytes)
{
    for (const Marked& m : marked)
        if (bytes.startsWith(m.mark))
            return &m;
    return nullptr;
}

#ifdef Q_OS_WIN
// Qt without ICU, as built for Windows here, knows no code page by its name; Windows knows them.
constexpr UINT windows1252 = 1252;

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(MultiByteToWideChar(windows1252, 0, bytes.data(), int(bytes.size()), nullptr, 0),
                 Qt::Uninitialized);
    MultiByteToWideChar(windows1252, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(text.data()), int(text.size()));
    return text;
}

QByteArray toWindows1252(QStringView text)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    QByteArray bytes(
        WideCharToMultiByte(windows1252, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr),
        Qt::Uninitialized);
    WideCharToMultiByte(windows1252, 0, wide, int(text.size()), bytes.data(), int(bytes.size()),
                        nullptr, nullptr);
    return bytes;
}
#else
// Windows-1252 where Qt knows it, else its Latin-1 subset.
QString fromWindows1252(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? decoder.decode(bytes)
                             : QStringDecoder(QStringConverter::Latin1).decode(bytes);
}

QByteArray toWindows1252(QStringView text)
{
    QStringEncoder encoder("windows-1252");
    return encoder.isValid() ? encoder.encode(text)
                             : QStringEncoder(QStringConverter::Latin1).encode(text);
}
#endif

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

// Only the file's own first mark tells the encoding: a U+FEFF after it is text.
constexpr auto keepMarks =
    QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

// The text of `bytes` in `encoding`; none where they are not valid there.
std::optional<QString> decoded(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(encoding, keepMarks);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool systemIsUtf8()
{
    static const bool utf8 =
        QByteArray(QStringEncoder(QStringConverter::System).encode(QStringView(u"\u00F1"))) ==
        "\xC3\xB1";
    return utf8;
}

bool beyondAscii(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
}

const Marked* markOf(TextEncoding encoding)
{
    for (const Marked& m : marked)
        if (m.encoding == encoding)
            return &m;
    return nullptr;
}

// `text` in `encoding`, without a mark.
QByteArray encoded(QStringView text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::SystemCodePage:
        return QStringEncoder(QStringConverter::System).encode(text);
    case TextEncoding::Utf8:
        return QStringEncoder(QStringConverter::Utf8).encode(text);
    case TextEncoding::Windows1252:
        return toWindows1252(text);
    case TextEncoding::Utf8WithBom:
    case TextEncoding::Utf16LeWithBom:
    case TextEncoding::Utf16BeWithBom:
        break;
    }
    return QStringEncoder(markOf(encoding)->converter).encode(text);
}

// Lines are encoded and read back a piece of text at a time, so that a list of 64 MB takes
// little more memory than its bytes: every decoder here reads a piece of whole characters as it
// reads them within the whole text.
constexpr qsizetype pieceLength = 1 << 20;

// The text of `lines`, each ended by CR LF, handed to `take` a piece at a time, never with a
// surrogate pair cut in two.
template <class Take> void inPieces(const QStringList& lines, Take take)
{
    QString piece;
    piece.reserve(pieceLength);
    const auto add = [&](QStringView text) {
        while (!text.isEmpty()) {
            qsizetype n = std::min(text.size(), pieceLength - piece.size());
            if (n < text.size() && n > 1 && text[n - 1].isHighSurrogate())
                --n;
            piece += text.first(n);
            text = text.sliced(n);
            if (pieceLength - piece.size() < 2) {
                take(QStringView(piece));
                piece.clear();
            }
        }
    };
    for (const QString& line : lines) {
        add(line);
        add(u"\r\n");
    }
    if (!piece.isEmpty())
        take(QStringView(piece));
}

// Whether `bytes` read back as `text` through `encoding`.
bool readsAs(QByteArrayView bytes, QStringConverter::Encoding encoding, QStringView text)
{
    const std::optional<QString> back = decoded(bytes, encoding);
    return back && *back == text;
}

// `lines` in `encoding`, and whether DecodeLines reads those bytes back as these very lines: an
// encoding may lack a character, or put a substitute in silently, and UTF-8 without a mark
// cannot start with U+FEFF. Read back as DecodeLines would choose its encoding from them all.
std::pair<QByteArray, bool> encodedLines(const QStringList& lines, TextEncoding encoding)
{
    const bool breaks = std::any_of(lines.begin(), lines.end(), [](const QString& line) {
        return line.contains(u'\r') || line.contains(u'\n');
    });
    const Marked* m = markOf(encoding);
    QByteArray bytes = m ? m->mark : QByteArray();
    qsizetype units = 0;
    for (const QString& line : lines)
        units += line.size() + 2;
    // The size of UTF-16, or at least one byte a character; UTF-8 may grow once.
    bytes.reserve(bytes.size() + (m && m->converter != QStringConverter::Utf8 ? 2 * units : units));
    bool back = !breaks, utf8Valid = true, asUtf8 = true, systemValid = true, asSystem = true,
         as1252 = true, ascii = true;
    inPieces(lines, [&](QStringView piece) {
        const QByteArray part = encoded(piece, encoding);
        bytes += part;
        if (m) {
            back = back && readsAs(part, m->converter, piece);
            return;
        }
        ascii = ascii && !beyondAscii(part);
        const std::optional<QString> utf8 = decoded(part, QStringConverter::Utf8);
        utf8Valid = utf8Valid && utf8;
        asUtf8 = asUtf8 && utf8 && *utf8 == piece;
        if (systemIsUtf8()) {
            systemValid = utf8Valid;
            asSystem = asUtf8;
        } else {
            const std::optional<QString> system = decoded(part, QStringConverter::System);
            systemValid = systemValid && system;
            asSystem = asSystem && system && *system == piece;
        }
        as1252 = as1252 && fromWindows1252(part) == piece;
    });
    // Bytes in no marked encoding that begin as a mark does (ï»¿ in Windows-1252) are read as
    // marked where the rest is valid so, else all as Windows-1252: rare enough to be read whole.
    if (!m && markedBy(bytes))
        back = back && DecodeLines(bytes).lines == lines;
    else if (!m)
        back = back && (!systemIsUtf8() && !ascii && utf8Valid ? asUtf8
                        : systemValid                          ? asSystem
                                                               : as1252);
    return {bytes, back};
}

} // namespace

DecodedLines DecodeLines(const QByteArray& bytes)
{
    std::optional<QString> text;
    if (const Marked* m = markedBy(bytes)) {
        QByteArrayView body = QByteArrayView(bytes).sliced(m->mark.size());
        // UTF-16 comes in pairs of bytes: a copy cut short ends with half of one, which is
        // dropped (Qt would turn it into U+FFFD unannounced).
        if (m->converter != QStringConverter::Utf8 && body.size() % 2 != 0)
            body = body.chopped(1);
        if ((text = decoded(body, m->converter)))
            return {splitLines(*text), m->encoding};
    } else {
        // Notepad writes UTF-8 without a mark. Where the system's code page is another, text in
        // that code page with a character beyond ASCII is hardly ever valid UTF-8 as well.
        if (!systemIsUtf8() && beyondAscii(bytes) &&
            (text = decoded(bytes, QStringConverter::Utf8)))
            return {splitLines(*text), TextEncoding::Utf8};
        if ((text = decoded(bytes, QStringConverter::System)))
            return {splitLines(*text), TextEncoding::SystemCodePage};
    }
    return {splitLines(fromWindows1252(bytes)), TextEncoding::Windows1252};
}

QByteArray EncodeLines(const QStringList& lines, TextEncoding& encoding)
{
    if (lines.isEmpty())
        return {}; // no byte-order mark alone: an emptied list is an empty file
    // UTF-8 with a mark holds everything.
    QByteArray bytes;
    for (const TextEncoding candidate :
         {encoding, TextEncoding::SystemCodePage, TextEncoding::Utf8, TextEncoding::Utf8WithBom}) {
        bool back = false;
        bytes.clear(); // one list of bytes at a time
        std::tie(bytes, back) = encodedLines(lines, candidate);
        if (back) {
            encoding = candidate;
            break;
        }
    }
    return bytes;
}

} // namespace forms
