#include "textfile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace forms {
namespace {

QString appPathOverride;

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

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(
        MultiByteToWideChar(windows1252, 0, bytes.constData(), int(bytes.size()), nullptr, 0),
        Qt::Uninitialized);
    MultiByteToWideChar(windows1252, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(text.data()), int(text.size()));
    return text;
}

QByteArray toWindows1252(const QString& text)
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
QString fromWindows1252(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? decoder.decode(bytes)
                             : QStringDecoder(QStringConverter::Latin1).decode(bytes);
}

QByteArray toWindows1252(const QString& text)
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

QByteArray encoded(const QString& text, TextEncoding encoding)
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
    for (const Marked& m : marked)
        if (m.encoding == encoding)
            return m.mark + QStringEncoder(m.converter).encode(text);
    return {};
}

FailureWords failureWords;

// The program's words for a failure, if it has them.
QString said(QString FailureWords::*words, const QString& systemText)
{
    const QString& own = failureWords.*words;
    return own.isEmpty() ? systemText : own;
}

// The system's words for the common failures, said as the program words them. Windows reports
// its own error codes, in the language of the system.
QString reasonFor(const QString& systemText)
{
    static const std::pair<int, QString FailureWords::*> common[] = {
#ifdef Q_OS_WIN
        {ERROR_ACCESS_DENIED, &FailureWords::denied},
        {ERROR_WRITE_PROTECT, &FailureWords::denied},
        {ERROR_DISK_FULL, &FailureWords::full},
        {ERROR_HANDLE_DISK_FULL, &FailureWords::full},
        {ERROR_FILE_NOT_FOUND, &FailureWords::missing},
        {ERROR_PATH_NOT_FOUND, &FailureWords::missing},
        {ERROR_SHARING_VIOLATION, &FailureWords::held},
        {ERROR_LOCK_VIOLATION, &FailureWords::held},
#else
        {EACCES, &FailureWords::denied},  {EPERM, &FailureWords::denied},
        {ENOSPC, &FailureWords::full},    {EFBIG, &FailureWords::full},
        {ENOENT, &FailureWords::missing}, {EISDIR, &FailureWords::folder},
#endif
    };
    for (const auto& [code, words] : common)
        if (systemText == qt_error_string(code))
            return said(words, systemText);
    return systemText;
}

// QSaveFile words two of them its own way.
QString reasonFor(const QSaveFile& file)
{
    const QString text = file.errorString();
    if (text == QSaveFile::tr("Existing file %1 is not writable").arg(file.fileName()))
        return said(&FailureWords::denied, text);
    if (text == QSaveFile::tr("Filename refers to a directory"))
        return said(&FailureWords::folder, text);
#ifdef Q_OS_WIN
    // Windows refuses to replace a file that another program holds open as if this user might
    // not write it; the file then cannot even be read.
    QFile held(file.fileName());
    if (text == qt_error_string(ERROR_ACCESS_DENIED) && !held.open(QIODevice::ReadOnly) &&
        held.errorString() == qt_error_string(ERROR_SHARING_VIOLATION))
        return said(&FailureWords::held, text);
#endif
    return reasonFor(text);
}

// Unbuffered writes may each take only a part; the first that takes nothing has failed.
bool writeAll(QFileDevice& file, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The file's bytes; nothing, and the reason in `error` if given, when it cannot be read.
std::optional<QByteArray> contentOf(const QString& path, QString* error = nullptr)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.isOpen() && file.error() == QFileDevice::NoError)
        return bytes;
    if (error)
        *error = reasonFor(file.errorString());
    return std::nullopt;
}

// Truncates the file and writes it anew. Returns the reason it failed.
QString rewrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) &&
        writeAll(file, bytes))
        return {};
    return reasonFor(file.errorString());
}

// Unbuffered, so that every byte written is checked here: QSaveFile::commit() takes a write
// that failed in its buffer, on a full disk, for success. Returns the reason it failed.
QString save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder where no new file can be made, holding a file that may be written: rewrite
        // the file in place, as a plain save would.
        return CanRewrite(path) ? rewrite(path, bytes) : reasonFor(file);
    }
    if (writeAll(file, bytes) && file.commit())
        return {};
    const QString reason = reasonFor(file);
    file.cancelWriting();
    return reason;
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

void SetFailureWords(const FailureWords& words)
{
    failureWords = words;
}

bool CanCreateFilesIn(const QString& folder)
{
    // Hidden, named after the program, and removed again when it goes out of scope.
    QTemporaryFile probe(QDir(folder).filePath(
        u'.' + QCoreApplication::applicationName().toLower() + QStringLiteral("-XXXXXX")));
    return probe.open();
}

bool CanRewrite(const QString& path)
{
    QFile file(path);
    return FileExists(path) && file.open(QIODevice::WriteOnly | QIODevice::Append);
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
    std::optional<QString> text;
    if (const Marked* m = markedBy(bytes)) {
        // UTF-16 comes in pairs of bytes; Qt would turn an odd last one into U+FFFD unannounced.
        if ((m->converter == QStringConverter::Utf8 || bytes.size() % 2 == 0) &&
            (text = decoded(QByteArrayView(bytes).sliced(m->mark.size()), m->converter)))
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
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");

    // The bytes must read back as these very lines: an encoding may lack a character, or put
    // a substitute in silently, and UTF-8 without a mark cannot start with U+FEFF. UTF-8 with a
    // mark holds everything.
    QByteArray bytes;
    for (const TextEncoding candidate :
         {encoding, TextEncoding::SystemCodePage, TextEncoding::Utf8, TextEncoding::Utf8WithBom}) {
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

FileStamp StampOf(const QByteArray& bytes)
{
    return {FileStamp::State::Read, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)};
}

ReadResult ReadLines(const QString& path)
{
    if (!FileExists(path))
        return {};
    QString error;
    const std::optional<QByteArray> bytes = contentOf(path, &error);
    if (!bytes)
        return {{}, error, {FileStamp::State::Unreadable, {}}};
    return {DecodeLines(*bytes), {}, StampOf(*bytes)};
}

QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding,
                   FileStamp* stamp)
{
    TextEncoding written = encoding;
    const QByteArray bytes = EncodeLines(lines, written);
    const std::optional<QByteArray> before = contentOf(path);
    QString reason = save(path, bytes);
    if (!reason.isEmpty()) {
        // A rewrite in place may have stopped halfway.
        if (before && contentOf(path) != before && !rewrite(path, *before).isEmpty())
            reason += QStringLiteral("; ") + failureWords.notRestored;
        return reason;
    }
    encoding = written;
    if (stamp)
        *stamp = StampOf(bytes);
    return {};
}

} // namespace forms
