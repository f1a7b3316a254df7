#include "ui/Style.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace tarnwick::Style {

QColor orange() {
    return QColor(0xd9, 0x73, 0x06);
}
QColor green() {
    return QColor(0x2e, 0x9d, 0x48);
}
QColor red() {
    return QColor(0xd0, 0x2b, 0x20);
}

QColor secondary(const QWidget& widget) {
    QColor color = widget.palette().color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

void setForeground(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

void makeSecondary(QWidget& widget) {
    setForeground(widget, secondary(widget));
}

QFont titleFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 1.6);
    font.setBold(true);
    return font;
}

QFont headlineFont(const QFont& base) {
    QFont font = base;
    font.setBold(true);
    return font;
}

QFont footnoteFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.85);
    return font;
}

void setPlainText(QLabel& label, const QString& text) {
    label.setTextFormat(Qt::PlainText);
    label.setText(text);
}

QString literalMnemonicText(const QString& text) {
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace tarnwick::Style
