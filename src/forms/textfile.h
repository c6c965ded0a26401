#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace forms {

// The folder that holds the executable; tests point it elsewhere.
QString AppPath();
void SetAppPath(const QString& folder);

// Whether this user may create files in `folder`: tried for real, as only the system knows
// every rule that applies (permissions, ACLs, read-only mounts, immutable folders).
bool CanCreateFilesIn(const QString& folder);

// The user's own folder for the program's files, created if missing.
QString UserDataPath();

// Copies `from` to `to`, which must not exist yet, and lets this user write the copy. Returns
// the reason when it could not.
QString CopyToNewFile(const QString& from, const QString& to);

// How a text file's characters became bytes, kept so that it is written back the same way.
enum class TextEncoding {
    SystemCodePage, // UTF-8 on Linux and macOS, the ANSI code page on Windows
    Utf8WithBom,
    Windows1252, // bytes that are not valid in the system's code page
};

struct DecodedLines {
    QStringList lines;
    TextEncoding encoding = TextEncoding::SystemCodePage;
};

// Splits text into lines: CR LF, a lone LF and a lone CR each end a line, and a last line
// without an end counts like any other.
DecodedLines DecodeLines(const QByteArray& bytes);

// Lines each ended by CR LF. Where `encoding` cannot give back every line as it is, it becomes
// one that can, so that nothing is lost.
QByteArray EncodeLines(const QStringList& lines, TextEncoding& encoding);

// An ordinary file that is not hidden: folders and hidden files count as absent.
bool FileExists(const QString& path);

struct ReadResult {
    DecodedLines text;
    QString error; // empty when the file was read
};
ReadResult ReadLines(const QString& path);

// Replaces the file whole, atomically: afterwards it holds either its old content or the new
// one, never a part. Returns the reason when it could not; `encoding` is what was written.
QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding);

} // namespace forms
