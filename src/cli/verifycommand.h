#pragma once

#include <QString>

// sortivo --verifier FICHIER: replays a record and prints "CONFORME : …" (status 0) or
// "NON CONFORME : <la raison>" (status 1) on the standard output.
int verifyRecordFile(const QString& path);
