#include "textfile.h"

#include "rescue.h"

namespace forms {
namespace {

// The file, which holds `was`, written anew in place, its new bytes kept first in a rescue copy
// that the next start writes in should this stop halfway. Returns the reason it failed.
QString rewrite(const QString& path, QByteArrayView bytes, const FileStamp& was)
{
    QString reason;
    if (!KeepRescueCopy(path, was, bytes, reason))
        return reason;
    reason = WriteInPlace(path, bytes);
    if (reason.isEmpty())
        DropRescueCopies(path);
    return reason;
}

// Replaces the file with `bytes`, as WriteLines does. The old content is read only for a rewrite
// in place, which may have to put it back.
QString replace(const QString& path, const QByteArray& bytes)
{
    if (bytes.size() > MaxFileBytes)
        return TooBig(); // it could not be read back
    // Its kind only: nothing of a regular file is read within a limit of no bytes.
    if (const Content kind = ContentOf(path, 0); kind.state == FileStamp::State::NotAFile)
        return kind.error;
    const std::optional<Refused> refused = ReplaceWithNewFile(path, {bytes});
    if (!refused) {
        DropRescueCopies(path); // none is needed now, and an older one must not undo this save
        return {};
    }
    if (!refused->newFileOnly || !CanRewrite(path))
        return refused->reason;
    const Content before = ContentOf(path);
    if (before.state == FileStamp::State::NotAFile)
        return before.error;
    const FileStamp was = StampOf(before);
    QString reason = rewrite(path, bytes, was);
    if (reason.isEmpty())
        return {};
    // Stopped before it began, or halfway: then the old content goes back. Should that fail too,
    // or the old content be unknown, a rescue copy stays for the next start.
    const FileStamp now = StampOf(ContentOf(path));
    if (now == was) {
        DropRescueCopies(path);
        return reason;
    }
    if (before.state == FileStamp::State::Read && rewrite(path, before.bytes, now).isEmpty())
        return reason;
    if (const FileStamp left = StampOf(ContentOf(path)); left != was && left != StampOf(bytes))
        reason += QStringLiteral("; ") +
                  Said(&FailureWords::notRestored, QStringLiteral("not restored either"));
    return reason;
}

} // namespace

ReadResult ReadLines(const QString& path, const FileStamp& known)
{
    if (IsHidden(path))
        return {{}, {}, {FileStamp::State::Hidden, {}}};
    const Content read = ContentOf(path);
    if (read.state != FileStamp::State::Read)
        return {{}, read.error, {read.state, {}}};
    const FileStamp stamp = StampOf(read.bytes);
    if (stamp == known)
        return {{}, {}, stamp};
    return {DecodeLines(read.bytes), {}, stamp};
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

} // namespace forms
