#pragma once

#include "core/text/expected.h"

#include <QString>

#include <string>

// sortivo --verifier FICHIER: replays a record and prints "CONFORME : …" (status 0) or
// "NON CONFORME : <la raison>" (status 1) on the standard output.
int verifyRecordFile(const QString& path);

// The bytes of the record at `path`, or why not in a few words, to go between brackets. Only a
// regular file is read, without waiting on a pipe, and only up to the size a record can have.
sortivo::Expected<std::string> readRecordFile(const char* path);
