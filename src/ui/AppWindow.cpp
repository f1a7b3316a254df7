#include "ui/AppWindow.h"

#include <QAccessibleWidget>
#include <QShortcut>

namespace tarnwick {

namespace {

QAccessibleInterface* windowFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(AppWindow::staticMetaObject.className())) {
        if (auto* window = qobject_cast<AppWindow*>(object)) {
            return new QAccessibleWidget(window, window->accessibleRole());
        }
    }
    return nullptr;
}

} // namespace

AppWindow::AppWindow(QAccessible::Role role, QWidget* parent)
    : QWidget(parent, Qt::Window), role_(role) {
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    (void)installed;
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    }
}

} // namespace tarnwick
