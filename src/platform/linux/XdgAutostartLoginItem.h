#pragma once

#include "app/ports/LoginItemService.h"

#include <QString>

namespace tarnwick {

// Starting at login as an XDG autostart entry, <autostart folder>/<app id>.desktop.
class XdgAutostartLoginItem : public LoginItemService {
public:
    static constexpr const char* kDefaultAppId = "org.tarnwick.Tarnwick";

    // An empty executable path means the program could not find its own file.
    explicit XdgAutostartLoginItem(QString appId = QString::fromLatin1(kDefaultAppId),
                                   QString executablePath = runningExecutable(),
                                   QString autostartFolder = defaultAutostartFolder());

    // $XDG_CONFIG_HOME/autostart, ~/.config/autostart when the variable is unset.
    static QString defaultAutostartFolder();
    // The absolute path of this process's executable; empty when it is gone.
    static QString runningExecutable();

    QString entryPath() const;

    LoginItemStatus status() override;
    bool registerMainApp(QString& errorDescription) override;
    bool unregisterMainApp(QString& errorDescription) override;
    void openSystemSettingsLoginItems() override;

    // The Exec value that runs exactly path, with no argument and no field code.
    static QString execValue(const QString& path);
    // The program that an Exec value runs, its first argument unquoted; empty
    // when the value is malformed.
    static QString execProgram(const QString& value);

private:
    QString appId_;
    QString executablePath_;
    QString autostartFolder_;
};

} // namespace tarnwick
