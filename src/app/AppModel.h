#pragma once

#include "app/Logging.h"
#include "app/ports/LoginItemService.h"
#include "engine/WindowPlacementController.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>
#include <string>

namespace tarnwick {

class Preferences;

// Everything the model needs of the platform.
struct AppPorts {
    EnginePorts engine;
    LoginItemService& loginItems;
    // Where the user grants the permission to move windows; empty when the
    // platform has no such place.
    std::string accessibilitySettingsURL;
};

// The application's one observable state object. Every published property
// emits its notify signal, and then modelChanged(), on every assignment, also
// one that stores the value already held.
class AppModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setIsEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool hasAccessibilityPermission READ hasAccessibilityPermission NOTIFY
                   hasAccessibilityPermissionChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(QString lastAction READ lastAction NOTIFY lastActionChanged)

public:
    struct ApplicationChoice {
        QString id;   // bundle identifier
        QString name; // shown verbatim
        friend bool operator==(const ApplicationChoice&, const ApplicationChoice&) = default;
    };

    AppModel(const AppPorts& ports, Preferences& preferences, QObject* parent = nullptr);
    ~AppModel() override;

    bool isEnabled() const { return isEnabled_; }
    void setIsEnabled(bool enabled);

    bool hasAccessibilityPermission() const { return hasAccessibilityPermission_; }
    QString statusText() const { return statusText_; }
    QString lastAction() const { return lastAction_; }

    QList<ApplicationChoice> runningApplications() const { return runningApplications_; }
    QSet<QString> excludedBundleIdentifiers() const { return excludedBundleIdentifiers_; }
    void setExcludedBundleIdentifiers(const QSet<QString>& identifiers);
    void setApplication(const ApplicationChoice& choice, bool enabled);

    LoginItemStatus launchAtLoginStatus() const { return launchAtLoginStatus_; }
    std::optional<QString> launchAtLoginError() const { return launchAtLoginError_; }
    bool isLaunchAtLoginRequested() const;
    void setLaunchAtLogin(bool enabled);
    // Shows the place where the desktop manages programs started at login.
    void openLoginItemSettings();

    // Asks the platform to show its own permission prompt; a grant is seen
    // by the next check.
    void requestAccessibilityPermission();
    void revealAccessibilitySettings();

    // Why the preferences cannot be read or saved, naming the file; absent
    // while they are stored. The choices stay in effect either way.
    std::optional<QString> preferencesError() const { return preferencesError_; }
    // Where the preferences and the login item are kept, as shown to the user.
    QString preferencesLocation() const;
    QString loginItemLocation() const;

signals:
    void isEnabledChanged();
    void hasAccessibilityPermissionChanged();
    void statusTextChanged();
    void lastActionChanged();
    void runningApplicationsChanged();
    void launchAtLoginStatusChanged();
    void launchAtLoginErrorChanged();
    void excludedBundleIdentifiersChanged();
    void preferencesErrorChanged();
    // After any of the above.
    void modelChanged();

private:
    // Implementation details are free to change; the public surface above is the contract.
    void refreshStatus();
    void updatePermissionState();
    void refreshRunningApplications();
    void updateLaunchAtLoginStatus();
    void assignLastAction(const QString& text);
    void assignLaunchAtLoginError(const std::optional<QString>& error);
    void showPreferencesProblem();

    AppPorts ports_;
    Preferences& preferences_;

    bool isEnabled_ = true;
    bool hasAccessibilityPermission_ = false;
    QString statusText_;
    QString lastAction_;
    QList<ApplicationChoice> runningApplications_;
    LoginItemStatus launchAtLoginStatus_ = LoginItemStatus::NotRegistered;
    std::optional<QString> launchAtLoginError_;
    bool launchAtLoginAsked_ = false; // what the last request asked for
    std::optional<QString> preferencesError_;
    QSet<QString> excludedBundleIdentifiers_;
    QtEngineLog engineLog_; // outlives the controller
    std::shared_ptr<WindowPlacementController> controller_;
};

} // namespace tarnwick
