#include "ui/Icons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace tarnwick::Icons {

namespace {

constexpr const char* kApplicationIcon = ":/icons/org.tarnwick.Tarnwick.svg";

QPixmap render(const QByteArray& svg, int size, qreal devicePixelRatio, qreal opacity = 1.0) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid() || size <= 0) {
        return {};
    }
    const int pixels = qRound(size * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QPixmap symbol(const QString& name, int size, const QColor& color, qreal devicePixelRatio) {
    QByteArray svg = read(QStringLiteral(":/icons/%1.svg").arg(name));
    if (svg.isEmpty()) {
        return {};
    }
    // The symbols paint in currentColor; Qt's renderer has no notion of it.
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    return render(svg, size, devicePixelRatio, color.alphaF());
}

QIcon symbolIcon(const QString& name, const QColor& color) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        const QPixmap pixmap = symbol(name, size, color);
        if (!pixmap.isNull()) {
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}

QIcon tray() {
    return QIcon(QStringLiteral(":/icons/tray.svg"));
}

QIcon application() {
    return QIcon(QString::fromLatin1(kApplicationIcon));
}

QPixmap application(int size, qreal devicePixelRatio) {
    return render(read(QString::fromLatin1(kApplicationIcon)), size, devicePixelRatio);
}

} // namespace tarnwick::Icons
