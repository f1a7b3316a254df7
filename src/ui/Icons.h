#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tarnwick::Icons {

// A one-colour symbol from resources/icons, drawn in color at size x size
// logical pixels for the given device pixel ratio. Null for an unknown name.
QPixmap symbol(const QString& name, int size, const QColor& color, qreal devicePixelRatio = 1.0);

// The same symbol as an icon for tabs, menus and the tray.
QIcon symbolIcon(const QString& name, const QColor& color);

// The program's full-colour icon.
QIcon application();
// Its variant for the tray, visible on dark and light panels.
QIcon tray();
QPixmap application(int size, qreal devicePixelRatio = 1.0);

} // namespace tarnwick::Icons
