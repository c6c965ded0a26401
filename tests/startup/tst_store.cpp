#include "forms/folders.h"
#include "forms/rescue.h"
#include "forms/savelock.h"
#include "forms/textfile.h"
#include "startup/modGral.h"
#include "support/program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

using modGral::Activos;
using modGral::Mensajes;
using modGral::NumActivos;

// UTF-8 without a mark, as Notepad writes it: on a UTF-8 system, the system's code page.
#ifdef Q_OS_WIN
constexpr auto notepadUtf8 = forms::TextEncoding::Utf8;
#else
constexpr auto notepadUtf8 = forms::TextEncoding::SystemCodePage;
#endif

class tst_store : public QObject {
    Q_OBJECT

private slots:
    void init() { testing::CleanSlate(); }

    void load_data();
    void load();
    void missingFileOrFolderIsAnEmptyStore_data();
    void missingFileOrFolderIsAnEmptyStore();
    void moreThan51LinesKeepsTheFirstAndTellsOnce_data();
    void moreThan51LinesKeepsTheFirstAndTellsOnce();
    void unreadableFileIsReportedAndEmpty();
    void fileWithoutReadPermission();
    void pathRule_data();
    void pathRule();
    void msgFolder_data();
    void msgFolder();
    void userDataFolder_data();
    void userDataFolder();
    void encodingRoundTrip_data();
    void encodingRoundTrip();
    void writtenLinesReadBackTheSame_data();
    void writtenLinesReadBackTheSame();
    void startUpAfterACutSave_data();
    void startUpAfterACutSave();
#ifndef Q_OS_WIN
    void aSaveKeepsOwnerAndMode_data();
    void aSaveKeepsOwnerAndMode();
#endif
};

void tst_store::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("mensajes");
    QTest::addColumn<QStringList>("activos");
    QTest::addColumn<forms::TextEncoding>("encoding");
    const auto utf8 = forms::TextEncoding::SystemCodePage;

    QTest::newRow("four lines, 2nd and 4th active")
        << QByteArray("uno\r\n*dos\r\ntres\r\n*cuatro\r\n")
        << QStringList{"uno", "*dos", "tres", "*cuatro"} << QStringList{"*dos", "*cuatro"} << utf8;
    QTest::newRow("* alone is active and empty")
        << QByteArray("*\r\n") << QStringList{"*"} << QStringList{"*"} << utf8;
    QTest::newRow("** keeps one *")
        << QByteArray("**x\r\n") << QStringList{"**x"} << QStringList{"**x"} << utf8;
    QTest::newRow("last line without an end")
        << QByteArray("a\r\n*b") << QStringList{"a", "*b"} << QStringList{"*b"} << utf8;
    QTest::newRow("lone LF and lone CR end lines too")
        << QByteArray("a\nb\r*c\r\nd\n") << QStringList{"a", "b", "*c", "d"} << QStringList{"*c"}
        << utf8;
    QTest::newRow("blank lines are stored empty, later lines still load")
        << QByteArray("a\r\n\r\n*b\r\n") << QStringList{"a", "", "*b"} << QStringList{"*b"} << utf8;
#ifdef Q_OS_WIN
    // Spanish and English Windows: the system's code page is Windows-1252.
    QTest::newRow("the system's code page, Windows-1252")
        << QByteArray("*A\xD1O\r\nacci\xF3n \x80\r\n") << QStringList{"*AÑO", "acción €"}
        << QStringList{"*AÑO"} << utf8;
#else
    QTest::newRow("Windows-1252 bytes") << QByteArray("*ca\xF1"
                                                      "a\r\nacci\xF3n \x80\r\n")
                                        << QStringList{"*caña", "acción €"} << QStringList{"*caña"}
                                        << forms::TextEncoding::Windows1252;
#endif
    QTest::newRow("UTF-8 accents")
        << QByteArray("*caña\r\nacción\r\n") << QStringList{"*caña", "acción"}
        << QStringList{"*caña"} << notepadUtf8;
    QTest::newRow("UTF-8 from Notepad") << QByteArray("*A\xC3\x91O\r\n") << QStringList{"*AÑO"}
                                        << QStringList{"*AÑO"} << notepadUtf8;
    QTest::newRow("UTF-8 with a byte-order mark")
        << QByteArray("\xEF\xBB\xBF*primero\r\n") << QStringList{"*primero"}
        << QStringList{"*primero"} << forms::TextEncoding::Utf8WithBom;
    QTest::newRow("UTF-16 LE with a byte-order mark")
        << QByteArray("\xFF\xFE*\0\xF1\0\r\0\n\0b\0", 12) << QStringList{"*ñ", "b"}
        << QStringList{"*ñ"} << forms::TextEncoding::Utf16LeWithBom;
    QTest::newRow("UTF-16 BE with a byte-order mark")
        << QByteArray("\xFE\xFF\0*\0\xF1\0\r\0\n\0b", 12) << QStringList{"*ñ", "b"}
        << QStringList{"*ñ"} << forms::TextEncoding::Utf16BeWithBom;
    // A copy cut short ends with half a character, which is dropped.
    QTest::newRow("UTF-16 mark, odd length")
        << QByteArray("\xFF\xFE"
                      "a\0b",
                      5)
        << QStringList{"a"} << QStringList{} << forms::TextEncoding::Utf16LeWithBom;
}

void tst_store::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, mensajes);
    QFETCH(QStringList, activos);
    QFETCH(forms::TextEncoding, encoding);
    modGral::Actual = 3;
    testing::LoadMsg(bytes);

    for (int i = 0; i <= modGral::UltimoMensaje; ++i) {
        QCOMPARE(Mensajes[size_t(i)], mensajes.value(i));
        QCOMPARE(Activos[size_t(i)], activos.value(i));
    }
    QCOMPARE(int(NumActivos), activos.size());
    QCOMPARE(modGral::CodificacionMsg(), encoding);
    QCOMPARE(int(modGral::Actual), 3); // the load leaves it alone
    QVERIFY(testing::Boxes().shown.isEmpty());
}

namespace {

using Step = std::function<void()>;

#ifndef Q_OS_WIN
void link(const QString& target)
{
    QVERIFY(QFile::link(target, testing::MsgPath()));
}

// A FIFO, a socket or, for root alone, a device that reads as /dev/zero does: without end.
void make(mode_t kind, const QString& name = QStringLiteral("msg.txt"))
{
    const QByteArray path = QFile::encodeName(QDir(testing::Folder()).filePath(name));
    if (S_ISSOCK(kind)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        ::close(fd);
    } else if (::mknod(path.constData(), kind | 0600, makedev(1, 5)) != 0) {
        QSKIP("no device can be made");
    }
}
#endif

} // namespace

// What start-up and a save make of each kind of msg.txt: only a regular file is read, a larger
// one than a list ever is not, and what is no regular file is never written.
void tst_store::missingFileOrFolderIsAnEmptyStore_data()
{
    QTest::addColumn<Step>("what");
    QTest::addColumn<QString>("told"); // the reason a box gives; none if empty
    QTest::addColumn<forms::FileStamp::State>("state");
    using State = forms::FileStamp::State;
    const QString notAFile = QStringLiteral("no es un archivo de texto: ");
    QTest::newRow("no file") << Step([] {}) << QString() << State::Absent;
    QTest::newRow("empty file") << Step([] { testing::WriteMsg({}); }) << QString() << State::Read;
    QTest::newRow("a folder named msg.txt")
        << Step([] { QVERIFY(QDir(testing::Folder()).mkdir(QStringLiteral("msg.txt"))); })
        << notAFile + QStringLiteral("es una carpeta") << State::NotAFile;
#ifndef Q_OS_WIN // links there are files of their own
    QTest::newRow("a link to nothing")
        << Step([] { link(testing::Folder() + QStringLiteral("/nada/msg.txt")); }) << QString()
        << State::Absent;
    QTest::newRow("a FIFO") << Step([] { make(S_IFIFO); })
                            << notAFile + QStringLiteral("es una tubería (FIFO)")
                            << State::NotAFile;
    QTest::newRow("a socket") << Step([] { make(S_IFSOCK); })
                              << notAFile + QStringLiteral("es un socket") << State::NotAFile;
    QTest::newRow("a link to a device that never ends") << Step([] {
        make(S_IFCHR, QStringLiteral("cero"));
        link(QStringLiteral("cero"));
    }) << notAFile + QStringLiteral("es un dispositivo") << State::NotAFile;
    QTest::newRow("a loop of links")
        << Step([] { link(QStringLiteral("msg.txt")); })
        << QStringLiteral("sus enlaces forman un bucle") << State::NotAFile;
#endif
    QTest::newRow("larger than any list") << Step([] {
        testing::WriteMsg("*HOLA");
        QVERIFY(QFile::resize(testing::MsgPath(), forms::MaxFileBytes + 1)); // sparse
    }) << QStringLiteral("es demasiado grande: más de 64 MB")
                                          << State::Unreadable;
}

void tst_store::missingFileOrFolderIsAnEmptyStore()
{
    QFETCH(Step, what);
    QFETCH(QString, told);
    QFETCH(forms::FileStamp::State, state);
    what();
    NumActivos = 7;
    modGral::CargarMensajes();
    QCOMPARE(int(NumActivos), 0);
    for (int i = 0; i <= modGral::UltimoMensaje; ++i)
        QVERIFY(Mensajes[size_t(i)].isEmpty() && Activos[size_t(i)].isEmpty());
    QCOMPARE(modGral::HuellaMsg().state, state);
    const auto& shown = testing::Boxes().shown;
    QCOMPARE(shown.size(), told.isEmpty() ? 0 : 1);
    if (told.isEmpty())
        return;
    QVERIFY2(shown[0].text.contains(modGral::NombreMsg(testing::MsgPath()) + u':') &&
                 shown[0].text.contains(told),
             qPrintable(shown[0].text));
    // Neither replaced nor written through, and no more written than would be read.
    const QFileInfo before(testing::MsgPath());
    const QString line = state == forms::FileStamp::State::NotAFile
                             ? QStringLiteral("*NUEVO")
                             : QString(forms::MaxFileBytes, u'x');
    auto encoding = forms::TextEncoding::SystemCodePage;
    QCOMPARE(forms::WriteLines(testing::MsgPath(), {line}, encoding), told);
    const QFileInfo after(testing::MsgPath());
    QCOMPARE(after.isSymbolicLink(), before.isSymbolicLink());
    QCOMPARE(after.isFile(), before.isFile());
    QCOMPARE(after.size(), before.size());
}

void tst_store::moreThan51LinesKeepsTheFirstAndTellsOnce_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("told"); // empty: nothing
    QTest::newRow("51 lines") << testing::NumberedLines(51) << QString();
    QTest::newRow("52 lines") << testing::NumberedLines(52)
                              << QStringLiteral("; el mensaje siguiente se perderá si");
    QTest::newRow("53 lines") << testing::NumberedLines(53)
                              << QStringLiteral("; los 2 mensajes siguientes se perderán si");
    QTest::newRow("51 lines, then blank ones") << testing::NumberedLines(51) + "\r\n\r\n"
                                               << QString();
}

void tst_store::moreThan51LinesKeepsTheFirstAndTellsOnce()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, told);
    testing::LoadMsg(bytes);
    QCOMPARE(Mensajes[50], QStringLiteral("*M51"));
    QCOMPARE(Mensajes[0], QStringLiteral("*M1"));
    QCOMPARE(int(NumActivos), 26);
    QCOMPARE(Activos[25], QStringLiteral("*M51"));
    const auto& shown = testing::Boxes().shown;
    QCOMPARE(shown.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty()) {
        QVERIFY2(shown[0].text.contains(QDir::toNativeSeparators(testing::MsgPath())) &&
                     shown[0].text.contains(told),
                 qPrintable(shown[0].text));
        QVERIFY(shown[0].text.contains(QStringLiteral("51")));
        QCOMPARE(shown[0].title, QStringLiteral("Trevolo"));
    }
}

void tst_store::unreadableFileIsReportedAndEmpty()
{
#ifdef Q_OS_WIN
    // A file that another program holds open for itself alone, as Windows lets it.
    testing::WriteMsg("*UNO\r\n");
    const HANDLE held =
        CreateFileW(reinterpret_cast<const wchar_t*>(testing::MsgPath().utf16()), GENERIC_READ, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    const auto release = qScopeGuard([held] { CloseHandle(held); });
    const QString reason = QStringLiteral(": otro programa lo tiene abierto\n");
#else
    // A file that opens but cannot be read, even by root.
    if (!QFile::link(QStringLiteral("/proc/self/mem"), testing::MsgPath()))
        QSKIP("needs /proc/self/mem");
    const QString reason = QStringLiteral(": ");
#endif
    modGral::CargarMensajes();
    QCOMPARE(int(NumActivos), 0);
    QVERIFY(Mensajes[0].isEmpty());
    const auto& shown = testing::Boxes().shown;
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].text.contains(QDir::toNativeSeparators(testing::MsgPath())));
    QVERIFY2(shown[0].text.contains(reason), qPrintable(shown[0].text));
    QCOMPARE(shown[0].icon, forms::Icon::Warning);
}

void tst_store::fileWithoutReadPermission()
{
    if (const auto why = testing::BecomeOrdinaryUser())
        QSKIP(qPrintable(*why));
    testing::WriteMsg("*secreto\r\n");
    QFile::setPermissions(testing::MsgPath(), QFileDevice::WriteOwner);
    modGral::CargarMensajes();
    QCOMPARE(int(NumActivos), 0);
    QCOMPARE(testing::Boxes().shown.size(), 1);
    QVERIFY2(testing::Boxes().shown[0].text.contains(QStringLiteral(": permiso denegado\n")),
             qPrintable(testing::Boxes().shown[0].text));
    QCOMPARE(modGral::HuellaMsg().state, forms::FileStamp::State::Unreadable);
}

void tst_store::pathRule_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("a folder") << "/opt/trevolo"
                              << "/opt/trevolo/msg.txt";
    QTest::newRow("the root folder") << "/"
                                     << "/msg.txt";
    QTest::newRow("a drive's root") << "C:/"
                                    << "C:/msg.txt";
}

void tst_store::pathRule()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(modGral::RutaMsg(folder), path);
}

namespace {

// Sets or clears a folder's immutable flag, which stops root too (ext4, xfs, btrfs).
bool setImmutable([[maybe_unused]] const QString& path, [[maybe_unused]] bool on)
{
#ifdef __linux__
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
#else
    return false;
#endif
}

bool isRoot()
{
#ifdef Q_OS_WIN
    return false;
#else
    return geteuid() == 0;
#endif
}

// Takes from everyone, root included, the right to write a file, or to create files in a
// folder, until destroyed. (Windows closes a folder to a user by its access list, for another
// user account: `closed` stays false there.)
class Closed {
public:
    explicit Closed(const QString& path)
        : path(path)
        , permissions(QFile::permissions(path))
    {
#ifndef Q_OS_WIN
        constexpr auto writing = QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                 QFileDevice::WriteGroup | QFileDevice::WriteOther;
        closed = isRoot() ? setImmutable(path, true)
                          : QFile::setPermissions(path, permissions & ~writing);
#endif
    }
    ~Closed()
    {
        if (isRoot())
            setImmutable(path, false);
        else
            QFile::setPermissions(path, permissions);
    }
    bool closed = false;

private:
    QString path;
    QFileDevice::Permissions permissions;
};

} // namespace

void tst_store::msgFolder_data()
{
    QTest::addColumn<bool>("writable");      // the executable's folder
    QTest::addColumn<bool>("fileWritable");  // msg.txt beside it, where the folder is not
    QTest::addColumn<QByteArray>("shipped"); // msg.txt beside the executable, if any
    QTest::addColumn<QByteArray>("own");     // msg.txt in the user's data folder, if any
    QTest::addColumn<QString>("loaded");     // the first message after start-up
    QTest::newRow("writable: beside the executable")
        << true << true << QByteArray("*a\r\n") << QByteArray("*b\r\n") << "*a";
    QTest::newRow("writable, no file: still beside")
        << true << true << QByteArray() << QByteArray("*b\r\n") << "";
    QTest::newRow("closed: the first run starts from the shipped file")
        << false << false << QByteArray("*a\r\n") << QByteArray() << "*a";
    QTest::newRow("closed: the user's own file is kept")
        << false << false << QByteArray("*a\r\n") << QByteArray("b\r\n") << "b";
    QTest::newRow("closed, nothing shipped: no messages")
        << false << false << QByteArray() << QByteArray() << "";
    QTest::newRow("closed, but its msg.txt writable: kept beside")
        << false << true << QByteArray("*a\r\n") << QByteArray("*b\r\n") << "*a";
}

void tst_store::msgFolder()
{
    QFETCH(bool, writable);
    QFETCH(bool, fileWritable);
    QFETCH(QByteArray, shipped);
    QFETCH(QByteArray, own);
    QFETCH(QString, loaded);
#ifdef Q_OS_WIN
    // Windows names the data folder itself: the one of Qt's test mode, emptied.
    const QString userData = forms::UserDataPath();
    QVERIFY2(userData.contains(QStringLiteral("/qttest/")), qPrintable(userData));
    const auto empty = [&] { QVERIFY(QDir(userData).removeRecursively()); };
    empty();
    const auto emptyAgain = qScopeGuard(empty);
    QVERIFY(QDir().mkpath(userData));
#else
    // A home of its own, so that the data folder is a fresh one.
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", realHome); });
    const QString userData = forms::UserDataPath();
    QVERIFY2(userData.startsWith(home.path()), qPrintable(userData));
    QCOMPARE(forms::MakeFolder(userData), QString());
#endif
    const QString userMsg = userData + QStringLiteral("/msg.txt");
    if (!shipped.isEmpty())
        testing::WriteMsg(shipped);
    if (!own.isEmpty()) {
        QFile file(userMsg);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(own) == own.size());
    }
    std::optional<Closed> closedFile;
    if (!fileWritable && !shipped.isEmpty())
        closedFile.emplace(testing::MsgPath());
    std::optional<Closed> closed;
    if (!writable) {
        closed.emplace(testing::Folder());
        if (!closed->closed || (closedFile && !closedFile->closed))
            QSKIP("no folder closed to this user: on Linux, this file system has no immutable "
                  "files for root (ext4, xfs and btrfs do); Windows needs another user account");
    }
    modGral::ElegirCarpetaMsg();

    const bool beside = writable || (fileWritable && !shipped.isEmpty());
    const QString ruta = beside ? testing::MsgPath() : userMsg;
    QCOMPARE(modGral::RutaMsg(), ruta);
    modGral::CopiarMsgInicial();
    modGral::CargarMensajes();
    QCOMPARE(Mensajes[0], loaded);
    QVERIFY(testing::Boxes().shown.isEmpty());
    QCOMPARE(QFileInfo::exists(userMsg), !own.isEmpty() || (!writable && !shipped.isEmpty()));

    // A save lands in the same file; the shipped one is only ever read.
    auto encoding = modGral::CodificacionMsg();
    QCOMPARE(forms::WriteLines(modGral::RutaMsg(), {QStringLiteral("*c")}, encoding), QString());
    QFile saved(ruta);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("*c\r\n"));
    if (!beside)
        QCOMPARE(testing::ReadMsg(), shipped);
    // Trying the folder left nothing behind.
    const QStringList expected =
        writable || !shipped.isEmpty() ? QStringList{"msg.txt"} : QStringList{};
    QCOMPARE(
        QDir(testing::Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        expected);
}

// The XDG rule for the user's data folder, and the reason when it cannot be made.
void tst_store::userDataFolder_data()
{
    QTest::addColumn<QString>("home"); // in the test's folder, "/" for the system's; unset if null
    QTest::addColumn<QString>("xdg");  // XDG_DATA_HOME, from the test's folder if absolute
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason"); // when it is made; not made if null
    QTest::newRow("XDG_DATA_HOME") << "casa"
                                   << "/datos"
                                   << "/datos/Trevolo"
                                   << "";
    QTest::newRow("a relative XDG_DATA_HOME is ignored") << "casa"
                                                         << "datos"
                                                         << "/casa/.local/share/Trevolo"
                                                         << "";
    QTest::newRow("no HOME: the one of the user database") << QString() << ""
                                                           << "~/.local/share/Trevolo" << QString();
    QTest::newRow("XDG_DATA_HOME a file") << "casa"
                                          << "/archivo"
                                          << "/archivo/Trevolo"
                                          << "no es una carpeta";
    QTest::newRow("a home closed to the user") << "cerrada"
                                               << ""
                                               << "/cerrada/.local/share/Trevolo"
                                               << "permiso denegado";
}

void tst_store::userDataFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QFETCH(QString, home);
    QFETCH(QString, xdg);
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    if (const auto why = testing::BecomeOrdinaryUser())
        QSKIP(qPrintable(*why));
    const QDir here(testing::Folder());
    testing::WriteMsg({});
    QVERIFY(QFile::rename(testing::MsgPath(), here.filePath(QStringLiteral("archivo"))));
    QVERIFY(here.mkdir(QStringLiteral("casa")) && here.mkdir(QStringLiteral("cerrada")));
    QVERIFY(QFile::setPermissions(here.filePath(QStringLiteral("cerrada")),
                                  QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QByteArray realHome = qgetenv("HOME"), realXdg = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", realHome);
        qputenv("XDG_DATA_HOME", realXdg);
        QStandardPaths::setTestModeEnabled(true);
    });
    QStandardPaths::setTestModeEnabled(false); // the rule itself, in the test's folder
    if (home.isNull())
        qunsetenv("HOME");
    else
        qputenv("HOME", QFile::encodeName(here.filePath(home)));
    qputenv("XDG_DATA_HOME",
            QFile::encodeName(xdg.startsWith(u'/') ? testing::Folder() + xdg : xdg));
    const QString base =
        folder.startsWith(u'~') ? QFile::decodeName(getpwuid(getuid())->pw_dir) : testing::Folder();
    QCOMPARE(forms::UserDataPath(), base + folder.mid(folder.startsWith(u'~') ? 1 : 0));
    if (!reason.isNull())
        QCOMPARE(forms::MakeFolder(forms::UserDataPath()), reason);
#else
    QSKIP("the XDG rule is Linux's");
#endif
}

void tst_store::encodingRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("loaded"); // what the store holds
    QTest::addColumn<QStringList>("added");  // written back after them
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("UTF-8 stays UTF-8") << QByteArray("*caña\r\n") << QStringList{"*caña"}
                                       << QStringList() << QByteArray("*caña\r\n");
    QTest::newRow("UTF-8 from Notepad stays UTF-8")
        << QByteArray("*A\xC3\x91O\r\n") << QStringList{"*AÑO"} << QStringList{"AÑO"}
        << QByteArray("*A\xC3\x91O\r\nA\xC3\x91O\r\n");
    QTest::newRow("Windows-1252 stays Windows-1252")
        << QByteArray("*ca\xF1"
                      "a \x80\r\n")
        << QStringList{"*caña €"} << QStringList{"ÁRBOL"}
        << QByteArray("*ca\xF1"
                      "a \x80\r\n\xC1RBOL\r\n");
    QTest::newRow("Windows-1252 that cannot hold a new character becomes UTF-8")
        << QByteArray("*ca\xF1"
                      "a\r\n")
        << QStringList{"*caña"} << QStringList{"→ ÁRBOL"} << QByteArray("*caña\r\n→ ÁRBOL\r\n");
    QTest::newRow("byte-order mark kept") << QByteArray("\xEF\xBB\xBF"
                                                        "a\r\n")
                                          << QStringList{"a"} << QStringList()
                                          << QByteArray("\xEF\xBB\xBF"
                                                        "a\r\n");
    QTest::newRow("UTF-16 LE stays UTF-16 LE") << QByteArray("\xFF\xFE"
                                                             "a\0\r\0\n\0",
                                                             8)
                                               << QStringList{"a"} << QStringList{"→"}
                                               << QByteArray("\xFF\xFE"
                                                             "a\0\r\0\n\0\x92\x21\r\0\n\0",
                                                             14);
    QTest::newRow("UTF-16 BE stays UTF-16 BE")
        << QByteArray("\xFE\xFF\0a\0\r\0\n", 8) << QStringList{"a"} << QStringList{"→"}
        << QByteArray("\xFE\xFF\0a\0\r\0\n\x21\x92\0\r\0\n", 14);
}

void tst_store::encodingRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, added);
    QFETCH(QByteArray, expected);
    testing::LoadMsg(bytes);
    QCOMPARE(modGral::LineasMensajes(), loaded);
    auto encoding = modGral::CodificacionMsg();
    QCOMPARE(forms::WriteLines(modGral::RutaMsg(), loaded + added, encoding), QString());
    QCOMPARE(testing::ReadMsg(), expected);
}

void tst_store::writtenLinesReadBackTheSame_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<forms::TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<forms::TextEncoding>("written");
    using E = forms::TextEncoding;
    QTest::newRow("Windows-1252 kept")
        << QStringList{"ñ"} << E::Windows1252 << QByteArray("\xF1\r\n") << E::Windows1252;
    QTest::newRow("plain ASCII in a Windows-1252 file")
        << QStringList{"abc"} << E::Windows1252 << QByteArray("abc\r\n") << E::Windows1252;
    // In Windows-1252 these bytes are valid UTF-8 and would read back as "ñ".
    QTest::newRow("Windows-1252 bytes that read as UTF-8")
        << QStringList{"Ã±"} << E::Windows1252 << QByteArray("\xC3\x83\xC2\xB1\r\n") << notepadUtf8;
    QTest::newRow("a first line starting with U+FEFF")
        << QStringList{QStringLiteral("\uFEFFhola")} << E::SystemCodePage
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFhola\r\n") << E::Utf8WithBom;
}

void tst_store::writtenLinesReadBackTheSame()
{
    QFETCH(QStringList, lines);
    QFETCH(forms::TextEncoding, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(forms::TextEncoding, written);
    QCOMPARE(forms::WriteLines(testing::MsgPath(), lines, encoding), QString());
    QCOMPARE(testing::ReadMsg(), bytes);
    QCOMPARE(encoding, written);
    QCOMPARE(forms::ReadLines(testing::MsgPath()).text.lines, lines);
}

namespace {

QString rescueCopy;                         // of the cut save in each row below
std::optional<forms::SaveLock> stillSaving; // another copy's

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

// A save that rewrote msg.txt in place, from "*UNO" to "*UNO NUEVO", cut short by a crash: what
// the next start makes of the rescue copy and the lock it left, and of what others planted.
void tst_store::startUpAfterACutSave_data()
{
    QTest::addColumn<Step>("after");      // what the crash and the time since left
    QTest::addColumn<bool>("root");       // needs another user's files
    QTest::addColumn<QByteArray>("file"); // msg.txt after the start
    QTest::addColumn<QString>("box");     // its icon and words; none if empty
    QTest::addColumn<bool>("copyLeft");
    QTest::addColumn<bool>("lockLeft");
    const QByteArray uno("*UNO\r\n"), nuevo("*UNO\r\nNUEVO\r\n");
    const QString finished = QStringLiteral("information:se terminó de guardar");
    const Step nothing = [] {};
    QTest::newRow("cut before the rewrite")
        << nothing << false << nuevo << finished << false << false;
    QTest::newRow("cut halfway, its lock left empty") << Step([nuevo] {
        testing::WriteMsg(nuevo.left(7));
        writeFile(testing::MsgPath() + QStringLiteral(".lock"), {});
    }) << false << nuevo << finished << false << false;
    QTest::newRow("edited by hand since")
        << Step([] { testing::WriteMsg("A MANO\r\n"); }) << false << QByteArray("A MANO\r\n")
        << QStringLiteral("warning:msg-rescatado-") << false << false;
    QTest::newRow("the copy itself cut short")
        << Step([] { QVERIFY(QFile(rescueCopy).resize(30)); }) << false << uno << QString() << false
        << false;
    QTest::newRow("another copy still saving")
        << Step([] { QVERIFY(stillSaving.emplace(testing::MsgPath()).Lock(0)); }) << false << uno
        << QString() << true << true;
#ifndef Q_OS_WIN
    // What only this user may have made is used; anything else is left as it is.
    QTest::newRow("a copy that others may write")
        << Step([] { QVERIFY(::chmod(QFile::encodeName(rescueCopy).constData(), 0666) == 0); })
        << false << uno << QString() << true << false;
    QTest::newRow("a link to a copy") << Step([] {
        QVERIFY(QFile::rename(rescueCopy, rescueCopy + QStringLiteral(".real")) &&
                QFile::link(rescueCopy + QStringLiteral(".real"), rescueCopy));
    }) << false << uno << QString() << true
                                      << false;
    QTest::newRow("another user's copy") << Step([] {
        QVERIFY(::chown(QFile::encodeName(rescueCopy).constData(), 4242, 4242) == 0);
    }) << true << uno << QString() << true
                                         << false;
    QTest::newRow("another user's lock in a shared folder") << Step([] {
        const QString lock = testing::MsgPath() + QStringLiteral(".lock");
        writeFile(lock, "4242\ntrevolo\notra\n");
        QVERIFY(::chown(QFile::encodeName(lock).constData(), 4242, 4242) == 0 &&
                ::chmod(QFile::encodeName(testing::Folder()).constData(), 01777) == 0);
    }) << true << nuevo << finished << false << true;
#endif
}

void tst_store::startUpAfterACutSave()
{
    QFETCH(Step, after);
    QFETCH(bool, root);
    QFETCH(QByteArray, file);
    QFETCH(QString, box);
    QFETCH(bool, copyLeft);
    QFETCH(bool, lockLeft);
#ifdef Q_OS_WIN
    Q_UNUSED(root); // no such row there
#else
    if (root && ::getuid() != 0)
        QSKIP("another user's files need root");
#endif
    const QByteArray uno("*UNO\r\n"), nuevo("*UNO\r\nNUEVO\r\n");
    testing::WriteMsg(uno);
    QString error;
    rescueCopy = forms::KeepRescueCopy(testing::MsgPath(), forms::StampOf(uno), nuevo, error)
                     .value_or(QString());
    QVERIFY2(!rescueCopy.isEmpty(), qPrintable(error));
    const QDir rescues = QFileInfo(rescueCopy).dir();
    const auto cleanUp = qScopeGuard([&] {
        stillSaving.reset();
        for (const QString& left :
             rescues.entryList({QStringLiteral("*rescue*"), QStringLiteral("msg-rescatado-*")},
                               QDir::Files | QDir::System | QDir::Hidden))
            QFile::remove(rescues.filePath(left));
    });
    after();
    modGral::PrepararMensajes();

    QCOMPARE(testing::ReadMsg(), file);
    QCOMPARE(testing::Boxes().shown.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        const forms::Box& shown = testing::Boxes().shown.first();
        QCOMPARE(shown.icon,
                 box.startsWith(u'w') ? forms::Icon::Warning : forms::Icon::Information);
        QVERIFY2(shown.text.contains(box.section(u':', 1)), qPrintable(shown.text));
    }
    QCOMPARE(QFileInfo(rescueCopy).exists() || QFileInfo(rescueCopy).isSymLink(), copyLeft);
    QCOMPARE(QFileInfo::exists(testing::MsgPath() + QStringLiteral(".lock")), lockLeft);
    // A list kept apart holds the new list.
    const QStringList apart = rescues.entryList({QStringLiteral("msg-rescatado-*")});
    QCOMPARE(apart.size(), box.startsWith(u'w') ? 1 : 0);
    if (!apart.isEmpty()) {
        QFile kept(rescues.filePath(apart.first()));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), nuevo);
#ifndef Q_OS_WIN
        QCOMPARE(int(kept.permissions() & 0x0077), 0); // this user's alone
#endif
    }
}

#ifndef Q_OS_WIN
// A replace by a new file, as root or the owner, leaves msg.txt as its owner made it.
void tst_store::aSaveKeepsOwnerAndMode_data()
{
    QTest::addColumn<bool>("nobodys");
    QTest::addColumn<int>("mode");
    QTest::newRow("this user's, read by the group") << false << 0640;
    QTest::newRow("nobody's, saved by root") << true << 0600;
}

void tst_store::aSaveKeepsOwnerAndMode()
{
    QFETCH(bool, nobodys);
    QFETCH(int, mode);
    if (nobodys && ::getuid() != 0)
        QSKIP("another user's file needs root");
    testing::WriteMsg("*UNO\r\n");
    const QByteArray name = QFile::encodeName(testing::MsgPath());
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY(::chmod(name.constData(), mode_t(mode)) == 0);
    if (nobodys)
        QVERIFY(nobody && ::chown(name.constData(), nobody->pw_uid, nobody->pw_gid) == 0);
    struct stat before {
    }, after{};
    QVERIFY(::stat(name.constData(), &before) == 0);
    auto encoding = forms::TextEncoding::SystemCodePage;
    QCOMPARE(forms::WriteLines(testing::MsgPath(), {"*UNO", "NUEVO"}, encoding), QString());
    QVERIFY(::stat(name.constData(), &after) == 0);
    QCOMPARE(testing::ReadMsg(), QByteArray("*UNO\r\nNUEVO\r\n"));
    QVERIFY(after.st_ino != before.st_ino); // replaced, not rewritten
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
}
#endif

QTEST_MAIN(tst_store)
#include "tst_store.moc"
