#include "platform/widgets/ready_picture.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace platform {
namespace {

constexpr char kMagic[4] = {'A', 'R', 'G', 'B'};
constexpr qsizetype kHeaderBytes = 12;
constexpr quint32 kLargestSide = 4096;

} // namespace

QImage readReadyPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.read(kHeaderBytes);
    if (bytes.size() != kHeaderBytes || !bytes.startsWith(QByteArrayView(kMagic, 4))) {
        return {};
    }
    const quint32 width = qFromLittleEndian<quint32>(bytes.constData() + 4);
    const quint32 height = qFromLittleEndian<quint32>(bytes.constData() + 8);
    if (width > kLargestSide || height > kLargestSide ||
        file.size() != kHeaderBytes + qint64{width} * height * 4) {
        return {};
    }
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 QImage::Format_ARGB32_Premultiplied);
    const QByteArray pixels = file.readAll();
    if (image.isNull() || pixels.size() != qsizetype{width} * height * 4) { // a side of 0 too
        return {};
    }
    const qsizetype rowBytes = qsizetype{width} * 4;
    for (int y = 0; y < image.height(); ++y) {
        qFromLittleEndian<quint32>(pixels.constData() + y * rowBytes, width, image.scanLine(y));
    }
    return image;
}

bool writeReadyPicture(const QImage& image, const QString& path) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull() || static_cast<quint32>(pixels.width()) > kLargestSide ||
        static_cast<quint32>(pixels.height()) > kLargestSide) {
        return false;
    }
    QByteArray bytes(kMagic, 4);
    bytes.resize(kHeaderBytes + qsizetype{pixels.width()} * pixels.height() * 4);
    qToLittleEndian<quint32>(static_cast<quint32>(pixels.width()), bytes.data() + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(pixels.height()), bytes.data() + 8);
    const qsizetype rowBytes = qsizetype{pixels.width()} * 4;
    for (int y = 0; y < pixels.height(); ++y) {
        qToLittleEndian<quint32>(pixels.constScanLine(y), pixels.width(),
                                 bytes.data() + kHeaderBytes + y * rowBytes);
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
           file.commit();
}

} // namespace platform
