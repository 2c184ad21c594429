#include "cli/verifycommand.h"

#include "core/proofverify.h"

#include <QFile>

#include <cstdio>

int verifyRecordFile(const QString& path)
{
    QFile file(path);
    sortivo::VerifyResult result;
    if (!file.open(QIODevice::ReadOnly)) {
        result = {false, "NON CONFORME : le fichier n'a pas pu être lu (" +
                             file.errorString().toStdString() + ")"};
    } else {
        const QByteArray bytes = file.readAll();
        result = sortivo::verifyRecord(std::string_view(bytes.constData(), bytes.size()));
    }
    std::printf("%s\n", result.message.c_str());
    std::fflush(stdout);
    return result.conforming ? 0 : 1;
}
