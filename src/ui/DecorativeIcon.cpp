#include "ui/DecorativeIcon.h"

#include "ui/Icons.h"

#include <QAccessibleWidget>

namespace tarnwick {

namespace {

// Reported as invisible and nameless, which assistive technology passes over.
class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::NoRole) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        state.focusable = false;
        return state;
    }
    QString text(QAccessible::Text) const override { return {}; }
};

QAccessibleInterface* hiddenFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(DecorativeIcon::staticMetaObject.className()) && object &&
        object->isWidgetType()) {
        return new HiddenAccessible(qobject_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

DecorativeIcon::DecorativeIcon(int size, QWidget* parent) : QLabel(parent), size_(size) {
    static const bool installed = [] {
        QAccessible::installFactory(hiddenFactory);
        return true;
    }();
    (void)installed;
    setFixedWidth(size);
    setMinimumHeight(size);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QString());
}

void DecorativeIcon::setSymbol(const QString& name, const QColor& color) {
    if (name == symbolName_ && color == color_) {
        return;
    }
    symbolName_ = name;
    color_ = color;
    setPixmap(Icons::symbol(name, size_, color, devicePixelRatioF()));
}

} // namespace tarnwick
