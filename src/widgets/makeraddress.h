#pragma once

#include <QString>

// The maker's web site, shown and opened by the link labels.
inline QString makerAddress()
{
    return QStringLiteral("https://www.velmora.example");
}
