#pragma once

#include <QAccessible>
#include <QWidget>

namespace tarnwick {

// A top-level window of the program: Esc and Ctrl+W close it, and assistive
// technology is told it is a window of the given role rather than a bare pane.
class AppWindow : public QWidget {
    Q_OBJECT
public:
    explicit AppWindow(QAccessible::Role role, QWidget* parent = nullptr);

    QAccessible::Role accessibleRole() const { return role_; }

private:
    QAccessible::Role role_;
};

} // namespace tarnwick
