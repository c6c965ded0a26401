#pragma once

#include <QByteArray>
#include <QStringList>

namespace forms {

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

} // namespace forms
