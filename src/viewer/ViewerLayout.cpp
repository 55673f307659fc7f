#include "ViewerLayout.h"

#include <QtGlobal>

int zoomedLength(int length, int zoom) {
    return static_cast<int>(static_cast<qint64>(length) * zoom / 100);
}

QRect viewerImageRect(QSize imageSize, int zoom, QSize clientSize) {
    const int width = zoomedLength(imageSize.width(), zoom);
    const int height = zoomedLength(imageSize.height(), zoom);
    const int left = width < clientSize.width() ? (clientSize.width() - width) / 2 : 0;
    const int room = clientSize.height() - kToolStripAllowance;
    const int top = height < room ? (room - height) / 2 : 0;
    return QRect(left, top, width, height);
}
