#include "rescue.h"

#include "folders.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace forms {
namespace {

QString programName()
{
    return QCoreApplication::applicationName().toLower();
}

// The name of the rescue copy of `path`: one for each user and file.
QString rescueName(const QString& path)
{
    const QByteArray key = (UserDataPath() + u'\n' + path).toUtf8();
    return programName() + QStringLiteral("-rescue-") +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
}

// Whether only this user may create or replace files in `folder`: its owner and mode, as read
// from the folder opened without following a link.
bool ownFolder([[maybe_unused]] const QString& folder)
{
#ifdef Q_OS_WIN
    return QFileInfo(folder).isDir(); // the user's profile, behind its account's rights
#else
    const int fd = ::open(QFile::encodeName(folder).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool own = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() &&
                     !(info.st_mode & (S_IWGRP | S_IWOTH));
    ::close(fd);
    return own;
#endif
}

// The start of the names of this user's folders in the system's temporary folder.
QString tempPrefix()
{
#ifdef Q_OS_WIN
    return programName() + QStringLiteral("-rescue-");
#else
    return programName() + QStringLiteral("-%1-").arg(::geteuid());
#endif
}

// This user's own folders in the system's temporary folder, as made by ownTempFolder().
QStringList ownTempFolders()
{
    const QDir temp(QDir::tempPath());
    QStringList folders;
    for (const QString& name : temp.entryList({tempPrefix() + QStringLiteral("??????")},
                                              QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
        if (ownFolder(temp.filePath(name)))
            folders << temp.filePath(name);
    return folders;
}

// Where rescue copies may be: the user's data folder, which outlives a power cut, then the
// temporary ones.
QStringList rescueFolders()
{
    QStringList folders;
    if (ownFolder(UserDataPath()))
        folders << UserDataPath();
    return folders + ownTempFolders();
}

// A folder of this user's alone to write a copy in: a new name, never one another user may have
// taken first, made 0700 (mkdtemp). Nothing, and the reason in `why`, when none can be made.
std::optional<QString> ownTempFolder(QString& why)
{
    const QStringList folders = ownTempFolders();
    if (!folders.isEmpty())
        return folders.first();
    QTemporaryDir made(QDir(QDir::tempPath()).filePath(tempPrefix() + QStringLiteral("XXXXXX")));
    if (!made.isValid()) {
        why = ReasonFor(made.errorString());
        return std::nullopt;
    }
    made.setAutoRemove(false);
    return made.path();
}

// A rescue copy: this mark, then the file it is for, the stamp of what that held before (its
// state and hash), the checksum of the bytes kept, and the bytes.
const QByteArray rescueKind("rescue copy ");
const QByteArray rescueMark = rescueKind + "2\n";
constexpr qsizetype checksumLength = 64; // SHA-256 in hexadecimal
constexpr qint64 rescueHeadRoom = 64 << 10;

QByteArray stampText(const FileStamp& stamp)
{
    return QByteArray::number(int(stamp.state)) + ':' + stamp.hash.toHex();
}

QByteArray rescueHead(const QString& path, const FileStamp& was, QByteArrayView bytes)
{
    return rescueMark + path.toUtf8().toPercentEncoding() + '\n' + stampText(was) + '\n' +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n';
}

struct Rescued {
    QByteArray was; // as stampText() writes it
    QByteArray bytes;
};

// What a whole rescue copy for `path` keeps: none when it is cut short or for another file.
std::optional<Rescued> rescued(const QByteArray& copy, const QString& path)
{
    const QByteArray head = rescueMark + path.toUtf8().toPercentEncoding() + '\n';
    const qsizetype wasEnd = copy.indexOf('\n', head.size());
    const qsizetype start = wasEnd + 1 + checksumLength + 1;
    if (!copy.startsWith(head) || wasEnd < 0 || copy.size() < start)
        return std::nullopt;
    Rescued kept{copy.sliced(head.size(), wasEnd - head.size()), copy.sliced(start)};
    if (QCryptographicHash::hash(kept.bytes, QCryptographicHash::Sha256).toHex() !=
        copy.sliced(wasEnd + 1, checksumLength))
        return std::nullopt;
    return kept;
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

QString rescueFailure(const QString& where, const QString& reason)
{
    return Said(&FailureWords::noRescue, QStringLiteral("its rescue copy %1 could not be written"))
               .arg(QDir::toNativeSeparators(where)) +
           QStringLiteral(": ") + reason;
}

// The rescued list as a file of its own in `folder`, where nothing else bears its name.
QString keepApart(const QString& folder, const QByteArray& bytes, QString& error)
{
    const QString name = QDir(folder).filePath(
        QStringLiteral("msg-rescatado-%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))));
    if (const std::optional<Refused> refused =
            ReplaceWithNewFile(name, {bytes}, NewFile::Private)) {
        error = refused->reason;
        return {};
    }
    return name;
}

} // namespace

std::optional<QString> KeepRescueCopy(const QString& path, const FileStamp& was,
                                      QByteArrayView bytes, QString& error)
{
    const QByteArray head = rescueHead(path, was, bytes);
    const QString name = rescueName(path);
    // In the data folder if it will do; a temporary folder is made only where it will not.
    if (MakeFolder(UserDataPath()).isEmpty() && ownFolder(UserDataPath())) {
        const QString rescue = QDir(UserDataPath()).filePath(name);
        const std::optional<Refused> refused =
            ReplaceWithNewFile(rescue, {head, bytes}, NewFile::Private);
        if (!refused)
            return rescue;
        error = rescueFailure(rescue, refused->reason);
    }
    QString why;
    const std::optional<QString> temp = ownTempFolder(why);
    if (!temp) {
        error = rescueFailure(QDir(QDir::tempPath()).filePath(tempPrefix() + u'*'), why);
        return std::nullopt;
    }
    const QString rescue = QDir(*temp).filePath(name);
    const std::optional<Refused> refused =
        ReplaceWithNewFile(rescue, {head, bytes}, NewFile::Private);
    if (!refused)
        return rescue;
    error = rescueFailure(rescue, refused->reason);
    return std::nullopt;
}

void DropRescueCopies(const QString& path)
{
    const QString name = rescueName(path);
    for (const QString& folder : rescueFolders()) {
        QDir(folder).remove(name);
        if (folder != UserDataPath())
            QDir().rmdir(folder); // gone once empty
    }
}

bool RescueCopiesLeft(const QString& path)
{
    const QString name = rescueName(path);
    const QStringList folders = rescueFolders();
    return std::any_of(folders.begin(), folders.end(), [&](const QString& folder) {
        return QFileInfo(QDir(folder).filePath(name)).isFile();
    });
}

Recovered RecoverSaves(const QString& path, bool cutShort)
{
    if (cutShort)
        clearTemporaries(path);
    Recovered done;
    for (const QString& folder : rescueFolders()) {
        const QString rescue = QDir(folder).filePath(rescueName(path));
        clearTemporaries(rescue);
        const Content copy = OwnFileContent(rescue, MaxFileBytes + rescueHeadRoom);
        // None, not this user's own, or another version's: left alone.
        if (copy.state != FileStamp::State::Read ||
            (copy.bytes.startsWith(rescueKind) && !copy.bytes.startsWith(rescueMark)))
            continue;
        const std::optional<Rescued> kept = rescued(copy.bytes, path);
        if (!kept) {
            QFile::remove(rescue); // itself cut short: the file was not touched yet
            continue;
        }
        const Content now = ContentOf(path);
        const FileStamp nowStamp = StampOf(now);
        QString error;
        if (now.state == FileStamp::State::NotAFile) {
            error = now.error; // kept should it become a file again
        } else if (now.state == FileStamp::State::Read && now.bytes == kept->bytes) {
            QFile::remove(rescue); // written whole already: nothing was left to finish
        } else if (stampText(nowStamp) == kept->was ||
                   (now.state == FileStamp::State::Read && kept->bytes.startsWith(now.bytes))) {
            // As the save found it, or cut short as it was rewritten: the save is finished.
            error = WriteInPlace(path, kept->bytes);
            if (error.isEmpty())
                QFile::remove(rescue);
            done.finished = done.finished || error.isEmpty();
        } else {
            // Changed since, by hand or by another copy: that stays, and so does the list.
            const QString apart = keepApart(folder, kept->bytes, error);
            if (!apart.isEmpty()) {
                QFile::remove(rescue);
                done.keptAt = apart;
            }
        }
        if (!error.isEmpty())
            done.error = error;
        if (folder != UserDataPath())
            QDir().rmdir(folder); // gone once empty
    }
    return done;
}

} // namespace forms
