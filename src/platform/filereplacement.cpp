#include "platform/filereplacement.h"

#include <QFile>
#include <QFileInfo>

FileReplacement::FileReplacement(const QString& target, sortivo::FileSystem& files)
    : m_file(QFile::encodeName(target).toStdString(), files), m_device(m_file)
{
}

bool FileReplacement::open()
{
    return m_file.open() && m_device.open(QIODevice::WriteOnly);
}

bool FileReplacement::commit()
{
    m_device.close();
    return m_file.commit();
}

qint64 FileReplacement::Device::writeData(const char* data, qint64 size)
{
    if (m_file.write(std::string_view(data, std::size_t(size))))
        return size;
    setErrorString(QString::fromLocal8Bit(m_file.error()));
    return -1;
}

sortivo::Expected<void, SaveFailure> saveReplacing(const QString& path, sortivo::FileSystem& files,
                                                   const std::function<bool(QIODevice&)>& write)
{
    // A link at the name is itself what gets replaced, so only a file standing there counts.
    const QFileInfo info(path);
    constexpr auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!info.isSymLink() && info.exists() &&
        (!info.isWritable() || !(info.permissions() & writeBits)))
        return SaveFailure{true, {}};
    FileReplacement file(path, files);
    if (!file.open())
        return SaveFailure{false, file.errorString()};
    if (!write(file.device()))
        return SaveFailure{false, file.device().errorString()};
    if (!file.commit())
        return SaveFailure{false, file.errorString()};
    return {};
}

sortivo::Expected<void, SaveFailure> saveReplacing(const QString& path, sortivo::FileSystem& files,
                                                   std::string_view bytes)
{
    return saveReplacing(path, files, [bytes](QIODevice& device) {
        return device.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
    });
}
