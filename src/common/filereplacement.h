#pragma once

#include "core/atomicfile.h"

#include <QIODevice>
#include <QString>

// The program's one atomic writer (sortivo::AtomicFile) behind a QIODevice, for what Qt writes
// to a device (a PDF) and for the window's saves: the old file stays as it was unless the new
// one is wholly on disk, a link at the name is replaced and never followed, and a file that
// stood there keeps its permissions.
class FileReplacement
{
public:
    FileReplacement(const QString& target, sortivo::FileSystem& files);

    // False when no file can be made in the target's folder.
    bool open();
    // Fails its writes as the file's do, with the system's reason as its error string.
    QIODevice& device() { return m_device; }
    // Syncs the new file and renames it over the target; on failure the new file is removed.
    bool commit();
    // The system's reason for the first failure.
    QString errorString() const { return QString::fromLocal8Bit(m_file.error()); }

private:
    class Device final : public QIODevice
    {
    public:
        explicit Device(sortivo::AtomicFile& file) : m_file(file) {}
        bool isSequential() const override { return true; }

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 size) override;

    private:
        sortivo::AtomicFile& m_file;
    };

    sortivo::AtomicFile m_file;
    Device m_device;
};
