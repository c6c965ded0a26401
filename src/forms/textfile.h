#pragma once

// Text files read and written whole, by lines: what the other file units are for.

#include "encoding.h"
#include "files.h"

#include <QString>
#include <QStringList>

namespace forms {

struct ReadResult {
    DecodedLines text;
    QString error; // why it could not be read, in the program's words where it can; empty if read
    FileStamp stamp;
};
// An absent or hidden file reads as no lines and no error, stamped as which. Only a regular file
// is read, directly or through links, and at most MaxFileBytes of it; it is opened without
// waiting for a writer. A file that still holds what `known` stamps is not decoded: its lines
// are left empty.
ReadResult ReadLines(const QString& path, const FileStamp& known = {});

// Replaces the file whole, atomically where its folder lets a new file be made beside it, else
// by rewriting it in place, its new bytes kept first in a rescue copy. Every byte is checked; on
// failure the file keeps its old content (put back if a rewrite in place had begun) and the
// reason is returned. On success `encoding` is what was written and `stamp`, if given, what the
// file now holds. The file keeps its owner and mode, and a hidden one stays hidden. What else
// ReadLines would not read is never replaced nor written through, and no more than it would
// read is written.
QString WriteLines(const QString& path, const QStringList& lines, TextEncoding& encoding,
                   FileStamp* stamp = nullptr);

} // namespace forms
