#include "textfile.h"

#include "clock.h"
#include "program.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
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

// The system's own words for what a descriptor or handle last failed at.
QString lastReason()
{
    return reasonFor(qt_error_string());
}

// Flushes what was written into the file onto the disk.
bool synced(QFileDevice& file)
{
#ifdef Q_OS_WIN
    return FlushFileBuffers(HANDLE(_get_osfhandle(file.handle())));
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Puts on the disk that a file was made, renamed or removed in `folder`. Windows' file systems
// journal that themselves; some others refuse to sync a folder, which then cannot be helped.
void syncFolder([[maybe_unused]] const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

// A file's bytes, or why there are none.
struct Content {
    FileStamp::State state = FileStamp::State::Absent;
    QByteArray bytes;
    QString error; // for the states Unreadable and NotAFile
};

Content unreadable(const QString& reason)
{
    return {FileStamp::State::Unreadable, {}, reason};
}

QString tooBig()
{
    return said(&FailureWords::tooBig, QStringLiteral("larger than %1 MB")).arg(MaxFileMegabytes);
}

// There, but `kind` instead of a regular file.
Content notAFile(QString FailureWords::*kind, const char* kindText)
{
    return {FileStamp::State::NotAFile,
            {},
            said(&FailureWords::notAFile, QStringLiteral("not a regular file")) +
                QStringLiteral(": ") + said(kind, QString::fromLatin1(kindText))};
}

Content aLoop(const QString& systemText)
{
    return {FileStamp::State::NotAFile, {}, said(&FailureWords::loop, systemText)};
}

// At most `limit` bytes of the open file: one more tells a file that is larger, or that grew
// while it was read.
Content readBounded(QFileDevice& file, qint64 limit)
{
    QByteArray bytes(std::min(file.size(), limit) + 1, Qt::Uninitialized);
    qint64 got = 0;
    for (qint64 n = 1; n > 0 && got < bytes.size();) {
        n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return unreadable(reasonFor(file.errorString()));
        got += n;
        if (got == bytes.size() && got <= limit)
            bytes.resize(std::min(2 * got, limit + 1));
    }
    if (got > limit)
        return unreadable(tooBig());
    bytes.truncate(got);
    return {FileStamp::State::Read, bytes, {}};
}

#ifdef Q_OS_WIN
const wchar_t* nativeName(const QString& path)
{
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

Content failed(DWORD code)
{
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
        return {}; // absent, or a link to nothing
    if (code == ERROR_CANT_RESOLVE_FILENAME)
        return aLoop(qt_error_string(int(code)));
    return unreadable(reasonFor(qt_error_string(int(code))));
}

// Its kind is told by the handle: a device name or a link to a pipe opens as a file does.
Content contentOf(const QString& path, qint64 limit = MaxFileBytes)
{
    const DWORD attributes = GetFileAttributesW(nativeName(QDir::toNativeSeparators(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failed(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return notAFile(&FailureWords::folder, "a folder");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return unreadable(reasonFor(file.errorString()));
    switch (GetFileType(HANDLE(_get_osfhandle(file.handle())))) {
    case FILE_TYPE_DISK:
        return readBounded(file, limit);
    case FILE_TYPE_PIPE:
        return notAFile(&FailureWords::pipe, "a pipe");
    default:
        return notAFile(&FailureWords::device, "a device");
    }
}
#else
Content failed(int code)
{
    if (code == ENOENT || code == ENOTDIR)
        return {}; // absent, or a link to nothing
    if (code == ELOOP)
        return aLoop(qt_error_string(code));
    return unreadable(reasonFor(qt_error_string(code)));
}

Content kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return notAFile(&FailureWords::folder, "a folder");
    if (S_ISFIFO(mode))
        return notAFile(&FailureWords::pipe, "a pipe (FIFO)");
    if (S_ISSOCK(mode))
        return notAFile(&FailureWords::socket, "a socket");
    return notAFile(&FailureWords::device, "a device");
}

// Only a regular file is opened: opening a device may act on it, and reading one or a FIFO may
// never end or wait for a writer. What was opened is checked again, as it may have been swapped
// for something else meanwhile; without waiting, should that be a FIFO.
Content contentOf(const QString& path, qint64 limit = MaxFileBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return failed(errno);
    if (!S_ISREG(info.st_mode))
        return kindOf(info.st_mode);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    QFile file;
    file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode))
        return kindOf(info.st_mode);
    return readBounded(file, limit);
}
#endif

// Writes `bytes` into a new file that replaces the one at `path` only once it is whole and on
// the disk; where the folder takes no new file but `inPlace` lets it, rewrites the file in place
// instead, as a plain save would. Unbuffered, so that every byte written is checked here:
// QSaveFile::commit() takes a write that failed in its buffer, on a full disk, for success.
// Returns the reason it failed.
QString save(const QString& path, const QByteArray& bytes, bool inPlace = true);

// The name of the rescue copy of `path`: one for each user and file.
QString rescueName(const QString& path)
{
    const QByteArray key = (UserDataPath() + u'\n' + path).toUtf8();
    return QCoreApplication::applicationName().toLower() + QStringLiteral("-rescue-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
}

// Where a rescue copy is kept: the user's data folder, which outlives a power cut, or else the
// system's temporary folder.
QStringList rescueCopies(const QString& path)
{
    const QString name = rescueName(path);
    return {QDir(UserDataPath()).filePath(name), QDir(QDir::tempPath()).filePath(name)};
}

// A rescue copy starts with this, the file it is for and the checksum of the bytes after it.
const QByteArray rescueMark("rescue copy 1\n");
constexpr qsizetype checksumLength = 64; // SHA-256 in hexadecimal
constexpr qint64 rescueHeadRoom = 64 << 10;

QByteArray rescueHead(const QString& path)
{
    return rescueMark + path.toUtf8().toPercentEncoding() + '\n';
}

// The bytes that a whole rescue copy keeps for `path`.
std::optional<QByteArray> rescued(const QByteArray& copy, const QString& path)
{
    const QByteArray head = rescueHead(path);
    const qsizetype start = head.size() + checksumLength + 1;
    if (!copy.startsWith(head) || copy.size() < start)
        return std::nullopt;
    const QByteArray bytes = copy.mid(start);
    if (QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() !=
        copy.mid(head.size(), checksumLength))
        return std::nullopt;
    return bytes;
}

void dropRescueCopies(const QString& path)
{
    for (const QString& copy : rescueCopies(path))
        QFile::remove(copy);
}

// Truncates the file and writes `bytes` in, which a rescue copy at `rescue` keeps until they are
// on the disk. Returns the reason it failed.
QString writeInPlace(const QString& path, const QByteArray& bytes, const QString& rescue)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
        !writeAll(file, bytes))
        return reasonFor(file.errorString());
    if (!synced(file))
        return lastReason();
    QFile::remove(rescue);
    return {};
}

// The file written anew in place, its new bytes kept first in a rescue copy that the next start
// writes in should this stop halfway. Returns the reason it failed.
QString rewrite(const QString& path, const QByteArray& bytes)
{
    QString reason;
    const std::optional<QString> rescue = KeepRescueCopy(path, bytes, reason);
    return rescue ? writeInPlace(path, bytes, *rescue) : reason;
}

QString save(const QString& path, const QByteArray& bytes, bool inPlace)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return inPlace && CanRewrite(path) ? rewrite(path, bytes) : reasonFor(file);
    // QSaveFile syncs the new file before it renames it, not the folder that records the rename.
    if (writeAll(file, bytes) && file.commit()) {
        syncFolder(QFileInfo(path).canonicalPath());
        return {};
    }
    const QString reason = reasonFor(file);
    file.cancelWriting();
    return reason;
}

// Replaces the file with `bytes`, as WriteLines does.
QString replace(const QString& path, const QByteArray& bytes)
{
    if (bytes.size() > MaxFileBytes)
        return tooBig(); // it could not be read back
    const Content before = contentOf(path);
    if (before.state == FileStamp::State::NotAFile)
        return before.error;
    QString reason = save(path, bytes);
    const Content after = reason.isEmpty() ? before : contentOf(path);
    if (reason.isEmpty() || (before.state != FileStamp::State::Unreadable &&
                             after.state == before.state && after.bytes == before.bytes)) {
        dropRescueCopies(path); // none is needed now, and an older one must not undo this save
        return reason;
    }
    // A rewrite in place stopped halfway: the old content goes back. Should that fail too, or
    // the old content be unknown, the rescue copy stays for the next start.
    if (before.state == FileStamp::State::Read && after.state != FileStamp::State::NotAFile &&
        !rewrite(path, before.bytes).isEmpty())
        reason += QStringLiteral("; ") +
                  said(&FailureWords::notRestored, QStringLiteral("not restored either"));
    return reason;
}

// Removes the temporary files that QSaveFile leaves beside `path` when it is ended between
// writing one and renaming it: the file's name, a dot and six letters.
void clearTemporaries(const QString& path)
{
    const QFileInfo link(path);
    const QFileInfo file(link.isSymbolicLink() ? link.symLinkTarget() : path);
    QDir folder = file.absoluteDir();
    const QStringList pattern{file.fileName() + QStringLiteral(".??????")};
    for (const QString& name :
         folder.entryList(pattern, QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if (std::all_of(name.end() - 6, name.end(), [](QChar c) { return c.isLetter(); }))
            folder.remove(name);
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
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home))
        if (const passwd* user = getpwuid(getuid()))
            home = QFile::decodeName(user->pw_dir);
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (QStandardPaths::isTestModeEnabled())
        data = home + QStringLiteral("/.qttest/share"); // as Qt's test mode has it
    else if (!QDir::isAbsolutePath(data))
        data = home + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + u'/' + QCoreApplication::applicationName());
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#endif
}

QString MakeFolder(const QString& folder)
{
    std::error_code error;
    std::filesystem::create_directories(QFileInfo(folder).filesystemFilePath(), error);
    if (!error)
        return {};
    const QString systemText = QString::fromLocal8Bit(error.message());
    using std::errc;
    if (error == errc::permission_denied || error == errc::operation_not_permitted ||
        error == errc::read_only_file_system)
        return said(&FailureWords::denied, systemText);
    if (error == errc::not_a_directory || error == errc::file_exists)
        return said(&FailureWords::notAFolder, systemText);
    if (error == errc::no_such_file_or_directory)
        return said(&FailureWords::missing, systemText);
    if (error == errc::no_space_on_device)
        return said(&FailureWords::full, systemText);
    return systemText;
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
    if (QFileInfo(path).isHidden())
        return {};
    const Content read = contentOf(path);
    if (read.state != FileStamp::State::Read)
        return {{}, read.error, {read.state, {}}};
    return {DecodeLines(read.bytes), {}, StampOf(read.bytes)};
}

QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding,
                   FileStamp* stamp)
{
    TextEncoding written = encoding;
    const QByteArray bytes = EncodeLines(lines, written);
    const QString reason = replace(path, bytes);
    if (!reason.isEmpty())
        return reason;
    encoding = written;
    if (stamp)
        *stamp = StampOf(bytes);
    return {};
}

std::optional<QString> KeepRescueCopy(const QString& path, const QByteArray& bytes, QString& error)
{
    const QByteArray copy = rescueHead(path) +
                            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() +
                            '\n' + bytes;
    for (const QString& rescue : rescueCopies(path)) {
        error = MakeFolder(QFileInfo(rescue).path());
        if (error.isEmpty())
            error = save(rescue, copy, false);
        if (error.isEmpty())
            return rescue;
        error =
            said(&FailureWords::noRescue, QStringLiteral("its rescue copy %1 could not be written"))
                .arg(QDir::toNativeSeparators(rescue)) +
            QStringLiteral(": ") + error;
    }
    return std::nullopt;
}

Recovered RecoverSaves(const QString& path, bool cutShort)
{
    if (cutShort)
        clearTemporaries(path);
    Recovered done;
    for (const QString& rescue : rescueCopies(path)) {
        clearTemporaries(rescue);
        const Content copy = contentOf(rescue, MaxFileBytes + rescueHeadRoom);
        if (copy.state != FileStamp::State::Read)
            continue;
        if (const std::optional<QByteArray> bytes = rescued(copy.bytes, path)) {
            const Content now = contentOf(path);
            const QString error = now.state == FileStamp::State::NotAFile
                                      ? now.error
                                      : writeInPlace(path, *bytes, rescue); // kept should it fail
            done.finished = done.finished || error.isEmpty();
            done.error = error.isEmpty() ? done.error : error;
        } else {
            QFile::remove(rescue); // itself cut short: the file was not touched yet
        }
    }
    return done;
}

SaveLock::SaveLock(const QString& path)
    : path(path)
    , lockFile(path + QStringLiteral(".lock"))
{
    lockFile.setStaleLockTime(0); // a live copy may hold it as long as its save takes
}

SaveLock::~SaveLock()
{
    if (itself == -1)
        return;
#ifdef Q_OS_WIN
    CloseHandle(HANDLE(itself));
#else
    ::close(int(itself));
#endif
}

bool SaveLock::Lock(float clockSeconds)
{
    constexpr float retry = 0.01f; // seconds: far shorter than the save of the copy waited for
    const QDeadlineTimer deadline(RealMilliseconds(clockSeconds));
    if (tryLock())
        return true;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    do {
        if (deadline.hasExpired() || Ending())
            return false;
        DispatchEventsFor(retry, true);
    } while (!tryLock());
    return true;
}

bool SaveLock::LeftByAnEndedCopy() const
{
    return ended;
}

bool SaveLock::tryLock()
{
    const bool wasThere = QFileInfo::exists(lockFile.fileName());
    if (lockFile.tryLock(0)) {
        ended = wasThere; // its holder is gone, or QLockFile would not have taken it
        return true;
    }
    // Another copy holds it, or this folder takes no new file.
    return lockFile.error() != QLockFile::LockFailedError && lockFileItself();
}

// Only a regular file is locked: opening a FIFO or a device could wait or act on it. Where
// there is none, no copy can rewrite it in place either.
bool SaveLock::lockFileItself()
{
#ifdef Q_OS_WIN
    if (itself == -1) {
        const HANDLE file = CreateFileW(nativeName(QDir::toNativeSeparators(path)), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return true;
        if (GetFileType(file) != FILE_TYPE_DISK) {
            CloseHandle(file);
            return true;
        }
        itself = qintptr(file);
    }
    // A byte far past the end of any list: the lock never stands in the way of its own bytes.
    OVERLAPPED beyond{};
    beyond.OffsetHigh = 0x7FFFFFFF;
    return LockFileEx(HANDLE(itself), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &beyond);
#else
    if (itself == -1) {
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            return true;
        int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) // a file this user may write but not read
            fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return true;
        itself = fd;
    }
    return ::flock(int(itself), LOCK_EX | LOCK_NB) == 0;
#endif
}

} // namespace forms
