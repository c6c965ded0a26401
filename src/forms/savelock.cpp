#include "savelock.h"

#include "clock.h"
#include "files.h"
#include "program.h"

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace forms {
namespace {

QString lockFileOf(const QString& path)
{
    return path + QStringLiteral(".lock");
}

// Tries for a lock that its holder may be letting go of, or replacing, at that very moment.
constexpr int attempts = 3;

#ifdef Q_OS_WIN
const wchar_t* nativeName(const QString& path)
{
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

HANDLE opened(const QString& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return CreateFileW(nativeName(QDir::toNativeSeparators(path)), access, share, nullptr,
                       disposition, flags, nullptr);
}

void release(qintptr& handle)
{
    if (handle != -1)
        CloseHandle(HANDLE(handle));
    handle = -1;
}

// Whether `path` still names the file that `held` has open.
bool stillNamed(HANDLE held, const QString& path)
{
    const HANDLE now = opened(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (now == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    const bool same = GetFileInformationByHandle(held, &a) && GetFileInformationByHandle(now, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
                      a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(now);
    return same;
}
#else
void release(qintptr& fd)
{
    if (fd != -1)
        ::close(int(fd));
    fd = -1;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `name` still names the file that `held` has open; `follow` through links.
bool stillNamed(int held, const QByteArray& name, bool follow)
{
    struct stat a {
    }, b{};
    return ::fstat(held, &a) == 0 &&
           (follow ? ::stat(name.constData(), &b) : ::lstat(name.constData(), &b)) == 0 &&
           sameFile(a, b);
}
#endif

} // namespace

SaveLock::SaveLock(const QString& path)
    : path(path)
{
}

SaveLock::~SaveLock()
{
    // The lock file goes while still held: a copy that opened it meanwhile finds it no longer
    // named so once it has it, and tries again. Windows removes it as the handle closes.
#ifndef Q_OS_WIN
    if (lockFile != -1)
        ::unlink(QFile::encodeName(lockFileOf(path)).constData());
#endif
    release(lockFile);
    release(itself);
}

bool SaveLock::Lock(float clockSeconds)
{
    constexpr float retry = 0.01f; // seconds: far shorter than the save of the copy waited for
    const double until = Elapsed() + clockSeconds;
    if (tryLock())
        return true;
    if (clockSeconds <= 0.0f)
        return false;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    do {
        if (Elapsed() >= until || Ending())
            return false;
        DispatchEventsFor(retry, true);
    } while (!tryLock());
    return true;
}

bool SaveLock::LeftByAnEndedCopy() const
{
    return ended;
}

bool SaveLock::LeftBeside(const QString& path)
{
    return QFileInfo(lockFileOf(path)).exists() || QFileInfo(lockFileOf(path)).isSymLink();
}

// The lock file first, then the file itself: every copy takes them in that order, so that none
// holds one while it waits for the other that a second copy holds while waiting for the first.
bool SaveLock::tryLock()
{
    if (lockFile == -1 && lockTheLockFile() == Try::Busy)
        return false;
#ifdef Q_OS_WIN
    // Windows replaces no file that a handle holds open, as the lock of the file itself does:
    // there only a copy without the lock file takes it, one that rewrites the file in place.
    if (lockFile != -1)
        return true;
#endif
    return lockFileItself() != Try::Busy;
}

#ifdef Q_OS_WIN
// Opened unshared, a second copy's open fails while a first holds it; the system closes it and
// removes it when its holder ends.
SaveLock::Try SaveLock::lockTheLockFile()
{
    const HANDLE file = opened(lockFileOf(path), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? Try::Busy : Try::None;
    ended = GetLastError() == ERROR_ALREADY_EXISTS;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return Try::None;
    }
    lockFile = qintptr(file);
    return Try::Taken;
}

// Only a regular file is locked: opening a FIFO or a device could wait or act on it.
SaveLock::Try SaveLock::lockFileItself()
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (itself == -1) {
            const HANDLE file =
                opened(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
            if (file == INVALID_HANDLE_VALUE)
                return Try::None;
            if (GetFileType(file) != FILE_TYPE_DISK) {
                CloseHandle(file);
                return Try::None;
            }
            itself = qintptr(file);
        }
        // A byte far past the end of any list: the lock never stands in the way of its own
        // bytes.
        OVERLAPPED beyond{};
        beyond.OffsetHigh = 0x7FFFFFFF;
        if (!LockFileEx(HANDLE(itself), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                        0, &beyond))
            return Try::Busy;
        if (stillNamed(HANDLE(itself), path))
            return Try::Taken;
        release(itself); // replaced by another copy's save meanwhile: the new file's lock counts
    }
    return Try::Busy;
}
#else
SaveLock::Try SaveLock::lockTheLockFile()
{
    const QByteArray name = QFile::encodeName(lockFileOf(path));
    constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        int fd = ::open(name.constData(), flags | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
        const bool wasThere = fd < 0 && errno == EEXIST;
        if (wasThere)
            fd = ::open(name.constData(), flags);
        if (fd < 0 && wasThere && errno == ENOENT)
            continue; // let go of and removed meanwhile
        if (fd < 0)
            return Try::None; // the folder takes no new file, or the name is no lock of ours
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            ::close(fd);
            return Try::None;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return Try::Busy;
        }
        if (stillNamed(fd, name, false)) {
            lockFile = fd;
            ended = wasThere; // its holder is gone, or the kernel would not have let it go
            return Try::Taken;
        }
        ::close(fd);
    }
    return Try::Busy;
}

// Only a regular file is locked: opening a FIFO or a device could wait or act on it. Where there
// is none, no copy can rewrite it in place either. The lock is a write lock of the whole file,
// which only a process that may write the file can take: one that may only read it could
// otherwise hold every save back. A read lock in the way is such a process's, as no copy takes
// one, and it means that no copy holds the file, since a write lock could not stand beside it.
SaveLock::Try SaveLock::lockFileItself()
{
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (itself == -1) {
            struct stat info {};
            if (ForeignLink(path) || ::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
                return Try::None;
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0)
                return Try::None; // nor can this copy rewrite it
            itself = fd;
        }
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        if (::fcntl(int(itself), F_OFD_SETLK, &whole) != 0) {
            struct flock inTheWay = whole;
            if (::fcntl(int(itself), F_OFD_GETLK, &inTheWay) != 0 || inTheWay.l_type != F_RDLCK)
                return Try::Busy;
        }
        if (stillNamed(int(itself), name, true))
            return Try::Taken;
        release(itself); // replaced by another copy's save meanwhile: the new file's lock counts
    }
    return Try::Busy;
}
#endif

} // namespace forms
