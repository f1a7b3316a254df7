#pragma once

#include "app/RegularFile.h"
#include "app/ports/LoginItemService.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnwick {

// Starting at login as an XDG autostart entry, <autostart folder>/<app id>.desktop.
class XdgAutostartLoginItem : public LoginItemService {
public:
    static constexpr const char* kDefaultAppId = "org.tarnwick.Tarnwick";

    // The executable path is in the file system's bytes; empty means the
    // program could not find its own file.
    explicit XdgAutostartLoginItem(QString appId = QString::fromLatin1(kDefaultAppId),
                                   QByteArray executablePath = runningExecutable(),
                                   QString autostartFolder = defaultAutostartFolder());

    // $XDG_CONFIG_HOME/autostart, ~/.config/autostart when the variable is unset.
    static QString defaultAutostartFolder();
    // The absolute path of this process's executable; empty when it is gone.
    static QByteArray runningExecutable();

    QString entryPath() const;

    LoginItemStatus status() override;
    bool registerMainApp(QString& errorDescription) override;
    bool unregisterMainApp(QString& errorDescription) override;
    void openSystemSettingsLoginItems() override;
    QString location() const override { return autostartFolder_; }

private:
    // What the status needs of the entry; read again only when the file changes.
    struct EntryState {
        std::optional<FileStamp> stamp;
        LoginItemStatus status = LoginItemStatus::NotRegistered; // when not usable
        bool usable = false;
        bool hidden = false;
        bool switchedOff = false;
        QString program;
    };
    const EntryState& entryState();
    bool fail(const char* key, const QString& reason, QString& errorDescription) const;

    QString appId_;
    QByteArray executablePath_;
    QString autostartFolder_;
    std::optional<EntryState> entry_;
};

} // namespace tarnwick
