#include "app/AppModel.h"

#include "app/L10n.h"
#include "app/Logging.h"
#include "app/Preferences.h"
#include "engine/ports/ProcessInfo.h"
#include "engine/ports/Scheduler.h"

#include <QCollator>
#include <QDir>
#include <QLocale>
#include <QPointer>
#include <algorithm>

namespace tarnwick {

namespace {

constexpr Duration kPollInterval{2.0};

std::set<std::string> toStdSet(const QSet<QString>& identifiers) {
    std::set<std::string> result;
    for (const QString& identifier : identifiers) {
        result.insert(identifier.toStdString());
    }
    return result;
}

// The "C" locale has no collation rules: Qt then compares code points and
// drops the numeric mode, so fall back to English rules there.
QCollator listCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C) {
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

QString shownPath(const QString& path) {
    const QString home = QDir::homePath();
    if (!path.isEmpty() && home != QDir::rootPath() && path.startsWith(home + u'/')) {
        return u'~' + path.mid(home.size());
    }
    return QDir::toNativeSeparators(path);
}

} // namespace

AppModel::AppModel(const AppPorts& ports, Preferences& preferences, QObject* parent)
    : QObject(parent), ports_(ports), preferences_(preferences),
      statusText_(L10n::string(QStringLiteral("status.preparing"))),
      lastAction_(L10n::string(QStringLiteral("lastAction.none"))),
      launchAtLoginStatus_(ports_.loginItems.status()) {
    // Initial values: nothing is written back, forwarded or derived from them.
    isEnabled_ = preferences_.boolValue(Preferences::kPlacementEnabled).value_or(true);
    const QStringList excluded =
        preferences_.stringList(Preferences::kExcludedBundleIdentifiers).value_or(QStringList());
    excludedBundleIdentifiers_ = QSet<QString>(excluded.begin(), excluded.end());
    preferencesError_ = preferences_.problem();
    if (preferencesError_) {
        qCWarning(lcApp).noquote() << *preferencesError_;
    }

    controller_ = WindowPlacementController::create(ports_.engine, engineLog_);
    controller_->isEnabled = isEnabled_;
    controller_->excludedBundleIdentifiers = toStdSet(excludedBundleIdentifiers_);
    Scheduler* scheduler = &ports_.engine.scheduler;
    QPointer<AppModel> weakModel(this);
    // The controller may report in the middle of its own work; the sentence
    // lands afterwards.
    controller_->onWindowMoved = [scheduler, weakModel](const std::string& applicationName,
                                                        const std::string& screenName) {
        scheduler->after(Duration(0), [weakModel, applicationName, screenName] {
            if (weakModel) {
                weakModel->assignLastAction(L10n::format(QStringLiteral("lastAction.moved"),
                                                         QString::fromStdString(applicationName),
                                                         QString::fromStdString(screenName)));
            }
        });
    };
    controller_->start();

    updatePermissionState();
    refreshRunningApplications();

    scheduler->every(kPollInterval, [scheduler, weakModel] {
        scheduler->after(Duration(0), [weakModel] {
            if (weakModel) {
                weakModel->updatePermissionState();
            }
            if (weakModel) {
                weakModel->updateLaunchAtLoginStatus();
            }
            if (weakModel) {
                weakModel->refreshRunningApplications();
            }
        });
    });
}

AppModel::~AppModel() = default;

void AppModel::setIsEnabled(bool enabled) {
    isEnabled_ = enabled;
    emit isEnabledChanged();
    emit modelChanged();

    preferences_.setBool(Preferences::kPlacementEnabled, enabled);
    showPreferencesProblem();
    if (controller_) {
        controller_->isEnabled = enabled;
    }
    refreshStatus();
}

void AppModel::setExcludedBundleIdentifiers(const QSet<QString>& identifiers) {
    excludedBundleIdentifiers_ = identifiers;
    emit excludedBundleIdentifiersChanged();
    emit modelChanged();

    preferences_.setStringList(Preferences::kExcludedBundleIdentifiers,
                               QStringList(identifiers.begin(), identifiers.end()));
    showPreferencesProblem();
    if (controller_) {
        controller_->excludedBundleIdentifiers = toStdSet(identifiers);
    }
}

void AppModel::setApplication(const ApplicationChoice& choice, bool enabled) {
    QSet<QString> identifiers = excludedBundleIdentifiers_;
    if (enabled) {
        identifiers.remove(choice.id);
    } else {
        identifiers.insert(choice.id);
    }
    setExcludedBundleIdentifiers(identifiers);
}

bool AppModel::isLaunchAtLoginRequested() const {
    return launchAtLoginStatus_ == LoginItemStatus::Enabled ||
           launchAtLoginStatus_ == LoginItemStatus::RequiresApproval;
}

void AppModel::setLaunchAtLogin(bool enabled) {
    assignLaunchAtLoginError(std::nullopt);
    launchAtLoginAsked_ = enabled;
    QString error;
    const bool succeeded = enabled ? ports_.loginItems.registerMainApp(error)
                                   : ports_.loginItems.unregisterMainApp(error);
    if (!succeeded) {
        qCWarning(lcApp).noquote()
            << (enabled ? "starting at login:" : "no longer starting at login:") << error;
        assignLaunchAtLoginError(error);
    }
    updateLaunchAtLoginStatus();
}

void AppModel::openLoginItemSettings() {
    ports_.loginItems.openSystemSettingsLoginItems();
}

void AppModel::requestAccessibilityPermission() {
    (void)ports_.engine.accessibility.isProcessTrustedWithPrompt();
}

void AppModel::revealAccessibilitySettings() {
    if (!ports_.accessibilitySettingsURL.empty()) {
        if (!ports_.engine.workspace.openURL(ports_.accessibilitySettingsURL)) {
            qCWarning(lcApp) << "no program opened"
                             << QString::fromStdString(ports_.accessibilitySettingsURL);
        }
    }
}

QString AppModel::preferencesLocation() const {
    return shownPath(preferences_.filePath());
}

QString AppModel::loginItemLocation() const {
    return shownPath(ports_.loginItems.location());
}

void AppModel::refreshStatus() {
    QString key;
    if (hasAccessibilityPermission_) {
        key = isEnabled_ ? QStringLiteral("status.active") : QStringLiteral("status.paused");
    } else {
        key = QStringLiteral("status.permissionMissing");
    }
    statusText_ = L10n::string(key);
    emit statusTextChanged();
    emit modelChanged();
}

void AppModel::updatePermissionState() {
    const bool trusted = ports_.engine.accessibility.isProcessTrusted();
    if (trusted != hasAccessibilityPermission_) {
        qCDebug(lcApp) << (trusted ? "permission granted" : "permission lost");
        hasAccessibilityPermission_ = trusted;
        emit hasAccessibilityPermissionChanged();
        emit modelChanged();
        if (controller_) {
            controller_->accessibilityPermissionChanged();
        }
    }
    refreshStatus();
}

void AppModel::refreshRunningApplications() {
    const std::optional<std::string> ownIdentifier = ports_.engine.processInfo.bundleIdentifier();

    QList<ApplicationChoice> choices;
    QSet<QString> seen;
    for (const RunningApplicationRef& application : ports_.engine.workspace.runningApplications()) {
        if (!application || application->activationPolicy != ActivationPolicy::Regular ||
            !application->bundleIdentifier) {
            continue;
        }
        if (ownIdentifier && *ownIdentifier == *application->bundleIdentifier) {
            continue;
        }
        const QString id = QString::fromStdString(*application->bundleIdentifier);
        if (seen.contains(id)) {
            continue; // the first of equal identifiers wins
        }
        seen.insert(id);
        const QString name =
            application->localizedName ? QString::fromStdString(*application->localizedName) : id;
        choices.append(ApplicationChoice{id, name});
    }

    const QCollator collator = listCollator();
    // Equal names keep a stable order by identifier, so rows do not swap between ticks.
    std::sort(choices.begin(), choices.end(),
              [&collator](const ApplicationChoice& a, const ApplicationChoice& b) {
                  const int order = collator.compare(a.name, b.name);
                  return order != 0 ? order < 0 : a.id < b.id;
              });

    if (choices != runningApplications_) {
        runningApplications_ = choices;
        emit runningApplicationsChanged();
        emit modelChanged();
    }
}

void AppModel::updateLaunchAtLoginStatus() {
    const LoginItemStatus status = ports_.loginItems.status();
    if (status == launchAtLoginStatus_) {
        return;
    }
    launchAtLoginStatus_ = status;
    emit launchAtLoginStatusChanged();
    emit modelChanged();
    // A failed request leaves the status as it was, so a status that merely
    // stays is no sign of success; one that becomes what was asked is.
    const LoginItemStatus asked =
        launchAtLoginAsked_ ? LoginItemStatus::Enabled : LoginItemStatus::NotRegistered;
    if (launchAtLoginError_ && status == asked) {
        assignLaunchAtLoginError(std::nullopt);
    }
}

void AppModel::showPreferencesProblem() {
    const std::optional<QString> problem = preferences_.problem();
    if (problem != preferencesError_) {
        if (problem) {
            qCWarning(lcApp).noquote() << *problem;
        }
        preferencesError_ = problem;
        emit preferencesErrorChanged();
        emit modelChanged();
    }
}

void AppModel::assignLastAction(const QString& text) {
    lastAction_ = text;
    emit lastActionChanged();
    emit modelChanged();
}

void AppModel::assignLaunchAtLoginError(const std::optional<QString>& error) {
    launchAtLoginError_ = error;
    emit launchAtLoginErrorChanged();
    emit modelChanged();
}

} // namespace tarnwick
