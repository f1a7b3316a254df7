#pragma once

#include <QScrollArea>

class QCheckBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tarnwick {

class AppModel;
class DecorativeIcon;

// The General tab: placement, login, permission, status and applications.
// It keeps no state of its own; every model change is shown again.
class GeneralSettingsView : public QScrollArea {
    Q_OBJECT
public:
    explicit GeneralSettingsView(AppModel& model, QWidget* parent = nullptr);

private:
    QWidget* addSection(QVBoxLayout& page, const QString& headerKey, const QString& footerText);
    void buildPlacement(QVBoxLayout& page);
    void buildLoginItem(QVBoxLayout& page);
    void buildPermission(QVBoxLayout& page);
    void buildStatus(QVBoxLayout& page);
    void buildApplications(QVBoxLayout& page);
    void rebuildApplicationRows();
    void refresh();

    AppModel& model_;

    QCheckBox* placementSwitch_ = nullptr;
    QLabel* preferencesError_ = nullptr;
    QCheckBox* loginSwitch_ = nullptr;
    QWidget* approvalNotice_ = nullptr;
    QWidget* loginError_ = nullptr;
    QLabel* loginErrorText_ = nullptr;
    DecorativeIcon* permissionIcon_ = nullptr;
    QLabel* permissionTitle_ = nullptr;
    QPushButton* permissionButton_ = nullptr;
    QLabel* lastAction_ = nullptr;
    QLabel* appsNone_ = nullptr;
    QVBoxLayout* appRows_ = nullptr;
    QList<QCheckBox*> appSwitches_;
    QPushButton* enableAll_ = nullptr;
};

} // namespace tarnwick
