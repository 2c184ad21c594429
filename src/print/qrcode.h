#pragma once

#include <QByteArray>
#include <QImage>

// `text` as a QR code, black on white with its quiet zone, `modulePixels` pixels a module; a
// null image when it cannot be encoded.
QImage qrCodeImage(const QByteArray& text, int modulePixels);
