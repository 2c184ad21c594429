#pragma once

#include "core/io/atomicfile.h"
#include "core/text/expected.h"

#include <QIODevice>
#include <QString>

#include <functional>

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

// Why a save left its target as it was.
struct SaveFailure {
    // The target is a read-only file: kept, even where its folder would let it be replaced,
    // and even for root, whom the system lets write anywhere.
    bool readOnly = false;
    // Otherwise the system's reason.
    QString reason;
};

// Every save of the window goes here, once what stands at `path` has been accepted: `write`
// fills the device and says whether it could; only then does the new file take the name.
sortivo::Expected<void, SaveFailure> saveReplacing(const QString& path, sortivo::FileSystem& files,
                                                   const std::function<bool(QIODevice&)>& write);
// The same for bytes already made.
sortivo::Expected<void, SaveFailure> saveReplacing(const QString& path, sortivo::FileSystem& files,
                                                   std::string_view bytes);
