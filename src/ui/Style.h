#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QWidget;

namespace tarnwick::Style {

// Colours of notices and status icons, dark enough to read as text on a light window.
QColor orange();
QColor green();
QColor red();

// The dimmed foreground of secondary texts and icons, from the widget's palette.
QColor secondary(const QWidget& widget);
void setForeground(QWidget& widget, const QColor& color);
void makeSecondary(QWidget& widget);

QFont titleFont(const QFont& base);    // large and bold
QFont headlineFont(const QFont& base); // bold, regular size
QFont footnoteFont(const QFont& base); // a little smaller

// Text from data, shown exactly as it is: no rich text, no links.
void setPlainText(QLabel& label, const QString& text);
// Doubles '&' so that buttons and menu entries show it instead of taking it as a mnemonic.
QString literalMnemonicText(const QString& text);

} // namespace tarnwick::Style
