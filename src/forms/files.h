#pragma once

// What the other file units build on: a file read only when it is a regular file and within
// bounds, the words for why a file could not be read or written, and writes checked to the last
// byte and put on the disk.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <optional>

class QFileDevice;
class QSaveFile;

namespace forms {

// How the reasons for the common failures read, in the program's language. An empty one leaves
// the system's own words.
struct FailureWords {
    QString denied;
    QString readOnly; // a file system mounted read-only
    QString full, missing, folder;
    QString held;        // another program has the file open
    QString noMemory;    // an allocation failed
    QString notRestored; // a failed write whose former content could not be put back either
    // A path that is there but is no regular file: `notAFile`, then what it is.
    QString notAFile, device, pipe, socket;
    QString loop;        // symbolic links that lead round in a circle
    QString foreignLink; // a link of another user's in a folder where others may create files
    QString tooBig;      // %1: MaxFileMegabytes
    QString notAFolder;  // where a folder was to be made
    QString noRescue;    // %1: the rescue copy of a rewrite in place, which could not be written
};
void SetFailureWords(const FailureWords& words);
// The program's words for a failure, if it has them, else `systemText`.
QString Said(QString FailureWords::*words, const QString& systemText);
// The system's words for the common failures, said as the program words them.
QString ReasonFor(const QString& systemText);
QString ReasonFor(const QSaveFile& file);

// The most a text file may hold: far above any list of messages, and still read and decoded in
// a few seconds, during which the window is not redrawn.
inline constexpr qint64 MaxFileMegabytes = 64;
inline constexpr qint64 MaxFileBytes = MaxFileMegabytes << 20;
QString TooBig();

// What a file held when it was last read or written, to tell whether someone changed it since.
struct FileStamp {
    // NotAFile: there, but a folder, a device, a FIFO, a socket, a loop of links or a link that
    // another user planted, which is never read and never replaced. Hidden: never read either.
    enum class State { Absent, Unreadable, NotAFile, Read, Hidden };
    State state = State::Absent;
    QByteArray hash; // SHA-256 of the bytes read or written
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(QByteArrayView bytes);

// A file's bytes, or why there are none.
struct Content {
    FileStamp::State state = FileStamp::State::Absent;
    QByteArray bytes;
    QString error; // for the states Unreadable and NotAFile
};
// What `content` stamps: its bytes' hash when read, else its state alone.
FileStamp StampOf(const Content& content);

// At most `limit` bytes of the regular file at `path`, directly or through links; a larger one is
// refused from its size. Opened without waiting for a writer, should it be a FIFO after all.
Content ContentOf(const QString& path, qint64 limit = MaxFileBytes);

// The same, of a file that only this user may have made: opened without following links, a
// regular file of this user's that no other may write. Anything else is NotAFile.
Content OwnFileContent(const QString& path, qint64 limit);

// Why `path`, a symbolic link, must not be followed, if it must not: another user's link in a
// folder where others may create files, which the kernel's protected_symlinks refuses too, and
// which no system here may be trusted to refuse.
std::optional<QString> ForeignLink(const QString& path);

// Hidden as the system's file browser hides it: on Windows a hidden or a system file, elsewhere
// a name that begins with a dot.
bool IsHidden(const QString& path);

// An ordinary file that is not hidden: folders and hidden files count as absent.
bool FileExists(const QString& path);

// Whether this user may rewrite the existing file at `path`; the file is left as it is.
bool CanRewrite(const QString& path);

// Unbuffered writes may each take only a part; the first that takes nothing has failed.
bool WriteAll(QFileDevice& file, QByteArrayView bytes);

// Truncates the file at `path` and writes `bytes` in, on the disk before it returns. Returns the
// reason it failed.
QString WriteInPlace(const QString& path, QByteArrayView bytes);

// A new file that replaces `path` with `parts` once it is whole and on the disk, with the owner,
// group and mode of the file it replaces, and on Windows its hidden and system attributes, or,
// for `Private`, this user's alone (0600). Nothing when done; else the reason, and whether the
// new file alone was refused (the folder takes none, or it could not be given the old file's
// owner), where a rewrite in place may do.
enum class NewFile { LikeTheOld, Private };
struct Refused {
    QString reason;
    bool newFileOnly = false;
};
std::optional<Refused> ReplaceWithNewFile(const QString& path,
                                          std::initializer_list<QByteArrayView> parts,
                                          NewFile kind = NewFile::LikeTheOld);

} // namespace forms
