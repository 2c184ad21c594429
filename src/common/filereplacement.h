#pragma once

#include <QString>
#include <QTemporaryFile>

// Writes a new file beside a target name and puts it in that name's place only once the whole
// of it is on disk, so that a full disk or a failed write leaves the old file as it was. Whatever
// stands at the name is replaced, a symbolic link included: a link someone planted is never
// followed to write elsewhere. A file that stood there keeps its permissions.
class FileReplacement
{
public:
    explicit FileReplacement(QString target);

    // False when no file can be made in the target's folder.
    bool open();
    QIODevice& device() { return m_temp; }
    // Syncs the new file and renames it over the target; on failure the new file is removed.
    bool commit();
    // The system's reason for the last failure.
    QString errorString() const { return m_error; }

private:
    bool fail(const QString& reason);

    QString m_target;
    QTemporaryFile m_temp;
    QString m_error;
};
