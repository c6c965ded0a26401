#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

namespace forms {
namespace {

QString appPathOverride;

const QByteArray utf8Bom("\xEF\xBB\xBF");

// Windows-1252 where Qt knows it, else its Latin-1 subset.
QStringDecoder windows1252Decoder()
{
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? std::move(decoder) : QStringDecoder(QStringConverter::Latin1);
}

QStringEncoder windows1252Encoder()
{
    QStringEncoder encoder("windows-1252");
    return encoder.isValid() ? std::move(encoder) : QStringEncoder(QStringConverter::Latin1);
}

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

QByteArray encoded(const QString& text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::SystemCodePage:
        return QStringEncoder(QStringConverter::System).encode(text);
    case TextEncoding::Utf8WithBom:
        return utf8Bom + QStringEncoder(QStringConverter::Utf8).encode(text);
    case TextEncoding::Windows1252:
        return windows1252Encoder().encode(text);
    }
    return {};
}

} // namespace

QString AppPath()
{
    return appPathOverride.isEmpty() ? QCoreApplication::applicationDirPath() : appPathOverride;
}

void SetAppPath(const QString& folder)
{
    appPathOverride = folder;
}

bool CanCreateFilesIn(const QString& folder)
{
    // Removed again when it goes out of scope.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".trevolo-XXXXXX")));
    return probe.open();
}

QString UserDataPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder); // a failure shows when the file is written there
    return folder;
}

QString CopyToNewFile(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.copy(to))
        return source.errorString();
    // The copy takes the original's permissions, which may be read-only for everyone.
    QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ReadOwner |
                                  QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                  QFileDevice::WriteUser);
    return {};
}

DecodedLines DecodeLines(const QByteArray& bytes)
{
    if (bytes.startsWith(utf8Bom)) {
        QStringDecoder utf8(QStringConverter::Utf8, keepMarks);
        const QString text = utf8.decode(bytes.mid(utf8Bom.size()));
        if (!utf8.hasError())
            return {splitLines(text), TextEncoding::Utf8WithBom};
    } else {
        QStringDecoder system(QStringConverter::System, keepMarks);
        const QString text = system.decode(bytes);
        if (!system.hasError())
            return {splitLines(text), TextEncoding::SystemCodePage};
    }
    QStringDecoder cp1252 = windows1252Decoder();
    return {splitLines(cp1252.decode(bytes)), TextEncoding::Windows1252};
}

QByteArray EncodeLines(const QStringList& lines, TextEncoding& encoding)
{
    if (lines.isEmpty())
        return {}; // no byte-order mark alone: an emptied list is an empty file
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");

    // The bytes must read back as these very lines: an encoding may lack a character, or put
    // a substitute in silently, and UTF-8 without a mark cannot start with U+FEFF. UTF-8 with a
    // mark holds everything.
    QByteArray bytes;
    for (const TextEncoding candidate :
         {encoding, TextEncoding::SystemCodePage, TextEncoding::Utf8WithBom}) {
        bytes = encoded(text, candidate);
        if (DecodeLines(bytes).lines == lines) {
            encoding = candidate;
            break;
        }
    }
    return bytes;
}

bool FileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

ReadResult ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, file.errorString()};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, file.errorString()};
    return {DecodeLines(bytes), {}};
}

QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding)
{
    TextEncoding written = encoding;
    const QByteArray bytes = EncodeLines(lines, written);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    encoding = written;
    return {};
}

} // namespace forms
