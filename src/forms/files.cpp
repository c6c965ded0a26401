#include "files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace forms {
namespace {

FailureWords failureWords;

// Windows ends its sentences in a period; a reason goes on within the program's own.
QString clause(const QString& systemText)
{
    return systemText.endsWith(u'.') ? systemText.chopped(1) : systemText;
}

// The system's own words for what a descriptor or handle last failed at.
QString lastReason()
{
    return ReasonFor(qt_error_string());
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

Content unreadable(const QString& reason)
{
    return {FileStamp::State::Unreadable, {}, reason};
}

// There, but `kind` instead of a regular file.
Content notAFile(QString FailureWords::*kind, const char* kindText)
{
    return {FileStamp::State::NotAFile,
            {},
            Said(&FailureWords::notAFile, QStringLiteral("not a regular file")) +
                QStringLiteral(": ") + Said(kind, QString::fromLatin1(kindText))};
}

Content aLoop(const QString& systemText)
{
    return {FileStamp::State::NotAFile, {}, Said(&FailureWords::loop, clause(systemText))};
}

// At most `limit` bytes of the open file, refused from its size when it is larger: one more
// tells a file that grew while it was read.
Content readBounded(QFileDevice& file, qint64 limit)
{
    if (file.size() > limit)
        return unreadable(TooBig());
    QByteArray bytes(file.size() + 1, Qt::Uninitialized);
    qint64 got = 0;
    for (qint64 n = 1; n > 0 && got < bytes.size();) {
        n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return unreadable(ReasonFor(file.errorString()));
        got += n;
        if (got == bytes.size() && got <= limit)
            bytes.resize(std::min(2 * got, limit + 1));
    }
    if (got > limit)
        return unreadable(TooBig());
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
    return unreadable(ReasonFor(qt_error_string(int(code))));
}
#else
Content failed(int code)
{
    if (code == ENOENT || code == ENOTDIR)
        return {}; // absent, or a link to nothing
    if (code == ELOOP)
        return aLoop(qt_error_string(code));
    return unreadable(ReasonFor(qt_error_string(code)));
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
#endif

// The new file of a replace takes what the old one had: a save by another user (root) must not
// take the file from its owner, nor open it to others, and a hidden file stays hidden.
std::optional<QString> keepOwnerAndMode(const QString& path, QSaveFile& file, NewFile kind)
{
#ifdef Q_OS_WIN
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD old = GetFileAttributesW(nativeName(QDir::toNativeSeparators(path)));
    if (kind == NewFile::Private || old == INVALID_FILE_ATTRIBUTES || !(old & kept))
        return std::nullopt;
    FILE_BASIC_INFO info{}; // times of 0 are left as they are
    info.FileAttributes = FILE_ATTRIBUTE_ARCHIVE | (old & kept);
    if (!SetFileInformationByHandle(HANDLE(_get_osfhandle(file.handle())), FileBasicInfo, &info,
                                    sizeof info))
        return lastReason();
#else
    const int fd = file.handle();
    if (kind == NewFile::Private)
        return ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 ? std::nullopt : std::optional(lastReason());
    struct stat old {
    }, made{};
    if (::stat(QFile::encodeName(path).constData(), &old) != 0 || ::fstat(fd, &made) != 0)
        return std::nullopt; // a new file: the user's own, as any other
    if ((old.st_uid != made.st_uid || old.st_gid != made.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return lastReason();
    if (::fchmod(fd, old.st_mode & 07777) != 0) // fchown clears the set-id bits
        return lastReason();
#endif
    return std::nullopt;
}

} // namespace

void SetFailureWords(const FailureWords& words)
{
    failureWords = words;
}

QString Said(QString FailureWords::*words, const QString& systemText)
{
    const QString& own = failureWords.*words;
    return own.isEmpty() ? systemText : own;
}

// Windows reports its own error codes, in the language of the system.
QString ReasonFor(const QString& systemText)
{
    static const std::pair<int, QString FailureWords::*> common[] = {
#ifdef Q_OS_WIN
        {ERROR_ACCESS_DENIED, &FailureWords::denied},
        {ERROR_WRITE_PROTECT, &FailureWords::readOnly},
        {ERROR_DISK_FULL, &FailureWords::full},
        {ERROR_HANDLE_DISK_FULL, &FailureWords::full},
        {ERROR_FILE_NOT_FOUND, &FailureWords::missing},
        {ERROR_PATH_NOT_FOUND, &FailureWords::missing},
        {ERROR_SHARING_VIOLATION, &FailureWords::held},
        {ERROR_LOCK_VIOLATION, &FailureWords::held},
        {ERROR_NOT_ENOUGH_MEMORY, &FailureWords::noMemory},
        {ERROR_OUTOFMEMORY, &FailureWords::noMemory},
#else
        {EACCES, &FailureWords::denied},  {EPERM, &FailureWords::denied},
        {EROFS, &FailureWords::readOnly}, {ENOSPC, &FailureWords::full},
        {EFBIG, &FailureWords::full},     {ENOENT, &FailureWords::missing},
        {EISDIR, &FailureWords::folder},  {ENOMEM, &FailureWords::noMemory},
#endif
    };
    for (const auto& [code, words] : common)
        if (systemText == qt_error_string(code))
            return Said(words, clause(systemText));
    return clause(systemText);
}

// QSaveFile words two of them its own way.
QString ReasonFor(const QSaveFile& file)
{
    const QString text = file.errorString();
    if (text == QSaveFile::tr("Existing file %1 is not writable").arg(file.fileName()))
        return Said(&FailureWords::denied, text);
    if (text == QSaveFile::tr("Filename refers to a directory"))
        return Said(&FailureWords::folder, text);
#ifdef Q_OS_WIN
    // Windows refuses to replace a file that another program holds open as if this user might
    // not write it; the file then cannot even be read.
    QFile held(file.fileName());
    if (text == qt_error_string(ERROR_ACCESS_DENIED) && !held.open(QIODevice::ReadOnly) &&
        held.errorString() == qt_error_string(ERROR_SHARING_VIOLATION))
        return Said(&FailureWords::held, clause(text));
#endif
    return ReasonFor(text);
}

QString TooBig()
{
    return Said(&FailureWords::tooBig, QStringLiteral("larger than %1 MB")).arg(MaxFileMegabytes);
}

FileStamp StampOf(QByteArrayView bytes)
{
    return {FileStamp::State::Read, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)};
}

FileStamp StampOf(const Content& content)
{
    return content.state == FileStamp::State::Read ? StampOf(content.bytes)
                                                   : FileStamp{content.state, {}};
}

#ifdef Q_OS_WIN
// Its kind is told by the handle: a device name or a link to a pipe opens as a file does.
Content ContentOf(const QString& path, qint64 limit)
{
    const DWORD attributes = GetFileAttributesW(nativeName(QDir::toNativeSeparators(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failed(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return notAFile(&FailureWords::folder, "a folder");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return unreadable(ReasonFor(file.errorString()));
    switch (GetFileType(HANDLE(_get_osfhandle(file.handle())))) {
    case FILE_TYPE_DISK:
        return readBounded(file, limit);
    case FILE_TYPE_PIPE:
        return notAFile(&FailureWords::pipe, "a pipe");
    default:
        return notAFile(&FailureWords::device, "a device");
    }
}

Content OwnFileContent(const QString& path, qint64 limit)
{
    return ContentOf(path, limit); // the folders are the user's own, behind its account's rights
}

std::optional<QString> ForeignLink(const QString&)
{
    return std::nullopt; // links are made by administrators there, and folders are the user's
}
#else
// Only a regular file is opened: opening a device may act on it, and reading one or a FIFO may
// never end or wait for a writer. What was opened is checked again, as it may have been swapped
// for something else meanwhile; without waiting, should that be a FIFO.
Content ContentOf(const QString& path, qint64 limit)
{
    if (const std::optional<QString> why = ForeignLink(path))
        return {FileStamp::State::NotAFile, {}, *why};
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

Content OwnFileContent(const QString& path, qint64 limit)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    QFile file;
    file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)))
        return {FileStamp::State::NotAFile, {}, {}};
    return readBounded(file, limit);
}

std::optional<QString> ForeignLink(const QString& path)
{
    struct stat link {
    }, folder{};
    if (::lstat(QFile::encodeName(path).constData(), &link) != 0 || !S_ISLNK(link.st_mode) ||
        ::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) != 0)
        return std::nullopt;
    const bool shared = folder.st_mode & (S_ISVTX | S_IWOTH);
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid)
        return std::nullopt;
    return notAFile(&FailureWords::foreignLink,
                    "a link of another user's in a folder where others may create files")
        .error;
}
#endif

bool IsHidden(const QString& path)
{
#ifdef Q_OS_WIN
    const DWORD attributes = GetFileAttributesW(nativeName(QDir::toNativeSeparators(path)));
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
#else
    return QFileInfo(path).isHidden();
#endif
}

bool FileExists(const QString& path)
{
    return QFileInfo(path).isFile() && !IsHidden(path);
}

bool CanRewrite(const QString& path)
{
    QFile file(path);
    return FileExists(path) && !ForeignLink(path) &&
           file.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool WriteAll(QFileDevice& file, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QString WriteInPlace(const QString& path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) ||
        !WriteAll(file, bytes))
        return ReasonFor(file.errorString());
    return synced(file) ? QString() : lastReason();
}

// Unbuffered, so that every byte written is checked here: QSaveFile::commit() takes a write that
// failed in its buffer, on a full disk, for success.
std::optional<Refused> ReplaceWithNewFile(const QString& path,
                                          std::initializer_list<QByteArrayView> parts, NewFile kind)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Refused{ReasonFor(file), true};
    if (const std::optional<QString> why = keepOwnerAndMode(path, file, kind)) {
        file.cancelWriting();
        return Refused{*why, true};
    }
    const bool written = std::all_of(parts.begin(), parts.end(),
                                     [&](QByteArrayView part) { return WriteAll(file, part); });
    // QSaveFile syncs the new file before it renames it, not the folder that records the rename.
    if (written && file.commit()) {
        syncFolder(QFileInfo(path).canonicalPath());
        return std::nullopt;
    }
    const QString reason = ReasonFor(file);
    file.cancelWriting();
    return Refused{reason};
}

} // namespace forms
