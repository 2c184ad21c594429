#include "print/qrcode.h"

#include <qrencode.h>

#include <memory>

QImage qrCodeImage(const QByteArray& text, int modulePixels)
{
    // Medium correction: a photo of a projected screen or a creased sheet still reads.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return {};
    constexpr int quietZone = 4;
    const int modules = code->width + 2 * quietZone;
    QImage image(modules * modulePixels, modules * modulePixels, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < modulePixels; ++dy)
                    std::fill_n(image.scanLine((y + quietZone) * modulePixels + dy) +
                                    (x + quietZone) * modulePixels,
                                modulePixels, uchar(0));
    return image;
}
