#pragma once

#include "files.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace forms {

// Rescue copies: before a rewrite in place of a file, the new bytes are kept where only this
// user may reach them, so that a save cut short by a crash can be finished at the next start.
// They live in the user's data folder when it is this user's own and no other may write in it,
// else in a folder of this user's alone (0700, named after the user's id, its owner checked on
// the opened folder) in the system's temporary folder, where no name is left for another user to
// take first. A copy is 0600 and holds the file's path, the stamp of what the file held before
// and the checksum of the bytes it keeps.

// Keeps `bytes` for `path`, which now holds `was`, on the disk. Returns where, or nothing and
// the reason in `error`.
std::optional<QString> KeepRescueCopy(const QString& path, const FileStamp& was,
                                      QByteArrayView bytes, QString& error);

// Drops this user's rescue copies of `path`: what they kept is there, or must not be.
void DropRescueCopies(const QString& path);

// Whether a rescue copy of `path` is left: a few looks at folders, nothing read.
bool RescueCopiesLeft(const QString& path);

// At start-up, what saves of `path` cut short by a crash left. A whole rescue copy is written
// into `path` (`finished`) while `path` still holds what the save started from, or part of what
// it was writing, and dropped when `path` holds all of it already; when `path` was changed since,
// it is left as it is and the rescued list kept in a file of its own beside the copy (`keptAt`). A
// copy that is not whole is dropped, and one that is not this user's own, or unknown, left alone.
// With `cutShort` (see SaveLock::LeftByAnEndedCopy), so are the temporary files of a replace that
// did not happen; otherwise a file named as they are may be the user's own. `error` says why a
// rescue copy could not be written in; it is kept for the next start.
struct Recovered {
    bool finished = false;
    QString keptAt;
    QString error;
};
Recovered RecoverSaves(const QString& path, bool cutShort);

} // namespace forms
