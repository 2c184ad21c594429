#include "common/filereplacement.h"

#include <QFile>

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
