#pragma once

#include <QString>
#include <QtGlobal>

namespace forms {

// Keeps every other copy of the program from replacing `path` while held, so that a check of
// what it holds and the save that follows act as one step, whatever each copy may do there.
// It is two locks, always taken in this order:
// - a lock file beside `path`, `path` + ".lock", where this user may make one or owns the one
//   there: it stands for the name, which a copy that may create files in the folder may take
//   over by a new file, or make when it is missing. Another user's file of that name, or
//   anything else there, is left alone and the lock file skipped;
// - a lock on `path` itself when it is a regular file (not another user's planted link), which
//   every copy that may write it takes, also one that may only rewrite it in place. On Linux it
//   is a write lock, which a user who may only read the file cannot take, and a read lock in its
//   way, which no copy takes, is passed over. Windows replaces no file held open: there only a
//   copy that has no lock file takes it.
// Whether a holder is alive is the system's to tell, never the lock file's content: the locks
// are the kernel's (on Linux flock for the lock file, an open file description's write lock for
// the file; on Windows the lock file opened unshared and a byte-range lock of the file), and
// the system lets them go when their holder ends, however it ends. A lock file nobody holds,
// empty or garbage, is simply taken.
class SaveLock {
public:
    explicit SaveLock(const QString& path);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;

    // Takes it within `clockSeconds` of the program clock, dispatching events meanwhile but not
    // the user's input, which waits, as the pointer shows; false when another copy still holds
    // it then, or the program ends. With no time, it is tried once, and nothing waits.
    bool Lock(float clockSeconds);

    // Whether the copy that held it before ended without letting it go: what that copy was
    // saving may be left half done.
    bool LeftByAnEndedCopy() const;

    // Whether a lock file stands beside `path`: a copy is saving it, or ended while it did.
    static bool LeftBeside(const QString& path);

private:
    enum class Try { Taken, Busy, None };
    bool tryLock();
    Try lockTheLockFile();
    Try lockFileItself();

    QString path;
    // The system's descriptors or handles, -1 while not held.
    qintptr lockFile = -1;
    qintptr itself = -1; // the file opened for its lock
    bool ended = false;
};

} // namespace forms
