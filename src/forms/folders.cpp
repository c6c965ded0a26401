#include "folders.h"

#include "files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

namespace forms {
namespace {

QString appPathOverride;

} // namespace

QString AppPath()
{
    return appPathOverride.isEmpty() ? QCoreApplication::applicationDirPath() : appPathOverride;
}

void SetAppPath(const QString& folder)
{
    appPathOverride = folder;
}

bool CanCreateFilesIn(const QString& folder)
{
    // Hidden, named after the program, and removed again when it goes out of scope.
    QTemporaryFile probe(QDir(folder).filePath(
        u'.' + QCoreApplication::applicationName().toLower() + QStringLiteral("-XXXXXX")));
    return probe.open();
}

QString UserDataPath()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home))
        if (const passwd* user = getpwuid(getuid()))
            home = QFile::decodeName(user->pw_dir);
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (QStandardPaths::isTestModeEnabled())
        data = home + QStringLiteral("/.qttest/share"); // as Qt's test mode has it
    else if (!QDir::isAbsolutePath(data))
        data = home + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + u'/' + QCoreApplication::applicationName());
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#endif
}

QString MakeFolder(const QString& folder)
{
    std::error_code error;
    std::filesystem::create_directories(QFileInfo(folder).filesystemFilePath(), error);
    if (!error)
        return {};
    const QString systemText = QString::fromLocal8Bit(error.message());
    using std::errc;
    if (error == errc::permission_denied || error == errc::operation_not_permitted)
        return Said(&FailureWords::denied, systemText);
    if (error == errc::read_only_file_system)
        return Said(&FailureWords::readOnly, systemText);
    if (error == errc::not_a_directory || error == errc::file_exists)
        return Said(&FailureWords::notAFolder, systemText);
    if (error == errc::no_such_file_or_directory)
        return Said(&FailureWords::missing, systemText);
    if (error == errc::no_space_on_device)
        return Said(&FailureWords::full, systemText);
    return systemText;
}

QString CopyToNewFile(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.copy(to))
        return source.errorString();
    // The copy takes the original's permissions, which may be read-only for everyone.
    QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::ReadOwner |
                                  QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                  QFileDevice::WriteUser);
    return {};
}

} // namespace forms
