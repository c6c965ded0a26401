#pragma once

#include <QString>

namespace forms {

// The folder that holds the executable; tests point it elsewhere.
QString AppPath();
void SetAppPath(const QString& folder);

// Whether this user may create files in `folder`: tried for real, as only the system knows
// every rule that applies (permissions, ACLs, read-only mounts, immutable folders).
bool CanCreateFilesIn(const QString& folder);

// The user's own folder for the program's files. On Linux by the XDG rule, which Qt 6.4 keeps
// only in part: a relative XDG_DATA_HOME is ignored, and so is a HOME that is unset or
// relative, in favour of the home in the system's user database.
QString UserDataPath();

// Makes `folder` and the folders above it that are missing. Returns why it could not.
QString MakeFolder(const QString& folder);

// Copies `from` to `to`, which must not exist yet, and lets this user write the copy. Returns
// the reason when it could not.
QString CopyToNewFile(const QString& from, const QString& to);

} // namespace forms
