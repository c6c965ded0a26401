#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <optional>

namespace forms {

// The folder that holds the executable; tests point it elsewhere.
QString AppPath();
void SetAppPath(const QString& folder);

// How the reasons for the common failures read, in the program's language. An empty one leaves
// the system's own words.
struct FailureWords {
    QString denied, full, missing, folder;
    QString held;        // another program has the file open
    QString notRestored; // a failed write whose former content could not be put back either
    // A path that is there but is no regular file: `notAFile`, then what it is.
    QString notAFile, device, pipe, socket;
    QString loop;       // symbolic links that lead round in a circle
    QString tooBig;     // %1: MaxFileMegabytes
    QString notAFolder; // where a folder was to be made
    QString noRescue;   // %1: the rescue copy of a rewrite in place, which could not be written
};
void SetFailureWords(const FailureWords& words);

// Whether this user may create files in `folder`: tried for real, as only the system knows
// every rule that applies (permissions, ACLs, read-only mounts, immutable folders).
bool CanCreateFilesIn(const QString& folder);

// Whether this user may rewrite the existing file at `path`; the file is left as it is.
bool CanRewrite(const QString& path);

// The user's own folder for the program's files. On Linux by the XDG rule, which Qt 6.4 keeps
// only in part: a relative XDG_DATA_HOME is ignored, and so is a HOME that is unset or
// relative, in favour of the home in the system's user database.
QString UserDataPath();

// Makes `folder` and the folders above it that are missing. Returns why it could not.
QString MakeFolder(const QString& folder);

// Copies `from` to `to`, which must not exist yet, and lets this user write the copy. Returns
// the reason when it could not.
QString CopyToNewFile(const QString& from, const QString& to);

// How a text file's characters became bytes, kept so that it is written back the same way.
enum class TextEncoding {
    SystemCodePage, // UTF-8 on Linux and macOS, the ANSI code page on Windows
    Utf8,           // without a mark, where the system's code page is another (Notepad's)
    Utf8WithBom,
    Windows1252, // bytes that are not valid in the system's code page
    Utf16LeWithBom,
    Utf16BeWithBom,
};

struct DecodedLines {
    QStringList lines;
    TextEncoding encoding = TextEncoding::SystemCodePage;
};

// Splits text into lines: CR LF, a lone LF and a lone CR each end a line, and a last line
// without an end counts like any other. Without a byte-order mark, bytes that are valid UTF-8
// and hold a character beyond ASCII read as UTF-8; others in the system's code page.
DecodedLines DecodeLines(const QByteArray& bytes);

// Lines each ended by CR LF. Where `encoding` cannot give back every line as it is, it becomes
// one that can, so that nothing is lost.
QByteArray EncodeLines(const QStringList& lines, TextEncoding& encoding);

// An ordinary file that is not hidden: folders and hidden files count as absent.
bool FileExists(const QString& path);

// The most a text file may hold: far above any list of messages, and still read and decoded in
// a few seconds, during which the window is not redrawn.
inline constexpr qint64 MaxFileMegabytes = 64;
inline constexpr qint64 MaxFileBytes = MaxFileMegabytes << 20;

// What a file held when it was last read or written, to tell whether someone changed it since.
struct FileStamp {
    // NotAFile: there, but a folder, a device, a FIFO, a socket or a loop of links, which is
    // never read and never replaced.
    enum class State { Absent, Unreadable, NotAFile, Read };
    State state = State::Absent;
    QByteArray hash; // SHA-256 of the bytes read or written
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const QByteArray& bytes);

struct ReadResult {
    DecodedLines text;
    QString error; // why it could not be read, in the program's words where it can; empty if read
    FileStamp stamp;
};
// An absent or hidden file reads as no lines and no error. Only a regular file is read, directly
// or through links, and at most MaxFileBytes of it; it is opened without waiting for a writer.
ReadResult ReadLines(const QString& path);

// Replaces the file whole, atomically where its folder lets a new file be made beside it, else
// by rewriting it in place. Every byte is checked; on failure the file keeps its old content
// (put back if a rewrite in place had begun) and the reason is returned. On success `encoding`
// is what was written and `stamp`, if given, what the file now holds. What ReadLines would not
// read is never replaced nor written through, and no more than it would read is written.
QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding,
                   FileStamp* stamp = nullptr);

// Before a rewrite in place of `path`: `bytes`, with `path` and their checksum, kept and synced
// in the user's data folder, or else the system's temporary folder, until the rewrite is done.
// Returns where, or nothing and the reason in `error`.
std::optional<QString> KeepRescueCopy(const QString& path, const QByteArray& bytes, QString& error);

// At start-up, what saves of `path` cut short by a crash left: a whole rescue copy is written
// into `path` (`finished`), and one that is not whole is dropped. With `cutShort` (see
// SaveLock::LeftByAnEndedCopy), so are the temporary files of a replace that did not happen;
// otherwise a file named as they are may be the user's own. `error` says why a rescue copy
// could not be written in; it is kept for the next start.
struct Recovered {
    bool finished = false;
    QString error;
};
Recovered RecoverSaves(const QString& path, bool cutShort);

// Keeps every other copy of the program from replacing `path` while held, so that a check of
// what it holds and the save that follows act as one step: a lock file beside it where its
// folder takes new files, else a lock on the file itself. A copy that ends while holding it,
// however it ends, holds no other back.
class SaveLock {
public:
    explicit SaveLock(const QString& path);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    // Takes it within `clockSeconds` of the program clock, dispatching events meanwhile but not
    // the user's input, which waits, as the pointer shows; false when another copy still holds
    // it then, or the program ends.
    bool Lock(float clockSeconds);

    // Whether the copy that held it before ended without letting it go: what that copy was
    // saving may be left half done.
    bool LeftByAnEndedCopy() const;

private:
    bool tryLock();
    bool lockFileItself();

    QString path;
    QLockFile lockFile;
    qintptr itself = -1; // the file opened for its lock: the system's descriptor or handle
    bool ended = false;
};

} // namespace forms
