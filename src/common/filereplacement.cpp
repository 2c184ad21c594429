#include "common/filereplacement.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What a new file would get from the process's file mode mask, as open() would give it.
QFileDevice::Permissions newFilePermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions p;
    const std::pair<mode_t, QFileDevice::Permission> bits[] = {
        {S_IRUSR, QFileDevice::ReadOwner}, {S_IWUSR, QFileDevice::WriteOwner},
        {S_IRGRP, QFileDevice::ReadGroup}, {S_IWGRP, QFileDevice::WriteGroup},
        {S_IROTH, QFileDevice::ReadOther}, {S_IWOTH, QFileDevice::WriteOther}};
    for (const auto& [bit, permission] : bits)
        if (mode & bit)
            p |= permission;
    if (p & QFileDevice::ReadOwner)
        p |= QFileDevice::ReadUser;
    if (p & QFileDevice::WriteOwner)
        p |= QFileDevice::WriteUser;
    return p;
}

} // namespace

FileReplacement::FileReplacement(QString target) : m_target(std::move(target))
{
    const QFileInfo info(m_target);
    m_temp.setFileTemplate(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                           QStringLiteral(".XXXXXX"));
}

bool FileReplacement::open()
{
    if (!m_temp.open())
        return fail(m_temp.errorString());
    return true;
}

bool FileReplacement::fail(const QString& reason)
{
    m_error = reason;
    if (m_temp.isOpen())
        m_temp.close();
    m_temp.remove();
    return false;
}

bool FileReplacement::commit()
{
    if (m_temp.error() != QFileDevice::NoError || !m_temp.flush())
        return fail(m_temp.errorString());
    // Space the file system only promised shows up missing here, not after the rename.
    if (::fsync(m_temp.handle()) != 0)
        return fail(systemError());
    const QFileInfo old(m_target);
    const bool keepOld = !old.isSymLink() && old.isFile();
    if (!m_temp.setPermissions(keepOld ? old.permissions() : newFilePermissions()))
        return fail(m_temp.errorString());
    m_temp.close();
    if (m_temp.error() != QFileDevice::NoError)
        return fail(m_temp.errorString());
    // rename() replaces the name itself, link or file, in one step.
    if (std::rename(QFile::encodeName(m_temp.fileName()).constData(),
                    QFile::encodeName(m_target).constData()) != 0)
        return fail(systemError());
    m_temp.setAutoRemove(false);
    return true;
}
