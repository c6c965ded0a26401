#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace forms {

// The folder that holds the executable; tests point it elsewhere.
QString AppPath();
void SetAppPath(const QString& folder);

// How the reasons for the common failures read, in the program's language. An empty one leaves
// the system's own words.
struct FailureWords {
    QString denied, full, missing, folder;
    QString held; // another program has the file open
    QString notRestored = QStringLiteral("the file's former content could not be put back "
                                         "either and may be incomplete");
};
void SetFailureWords(const FailureWords& words);

// Whether this user may create files in `folder`: tried for real, as only the system knows
// every rule that applies (permissions, ACLs, read-only mounts, immutable folders).
bool CanCreateFilesIn(const QString& folder);

// Whether this user may rewrite the existing file at `path`; the file is left as it is.
bool CanRewrite(const QString& path);

// The user's own folder for the program's files, created if missing.
QString UserDataPath();

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

// What a file held when it was last read or written, to tell whether someone changed it since.
struct FileStamp {
    enum class State { Absent, Unreadable, Read };
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
// An absent file (see FileExists) reads as no lines and no error.
ReadResult ReadLines(const QString& path);

// Replaces the file whole, atomically where its folder lets a new file be made beside it, else
// by rewriting it in place. Every byte is checked; on failure the file keeps its old content
// (put back if a rewrite in place had begun) and the reason is returned. On success `encoding`
// is what was written and `stamp`, if given, what the file now holds.
QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding,
                   FileStamp* stamp = nullptr);

} // namespace forms
