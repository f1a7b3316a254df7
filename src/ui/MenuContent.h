#pragma once

#include <QMenu>

class QAction;

namespace tarnwick {

class AppModel;

// The tray menu. Its entries stay the same objects for the whole run and are
// updated in place, so an entry is never deleted while it is being chosen.
class MenuContent : public QMenu {
    Q_OBJECT
public:
    explicit MenuContent(AppModel& model, QWidget* parent = nullptr);

    QAction* placementAction() const { return placement_; }
    QAction* permissionAction() const { return permission_; }
    QAction* statusAction() const { return status_; }
    QAction* aboutAction() const { return about_; }
    QAction* settingsAction() const { return settings_; }
    QAction* quitAction() const { return quit_; }

protected:
    // An open menu takes the keyboard, so its entries' shortcuts are handled here.
    void keyPressEvent(QKeyEvent* event) override;

signals:
    void aboutRequested();
    void settingsRequested();
    void quitRequested();

private:
    void refresh();

    AppModel& model_;
    QAction* placement_;
    QAction* permission_;
    QAction* status_;
    QAction* about_;
    QAction* settings_;
    QAction* quit_;
};

} // namespace tarnwick
