#pragma once

#include "app/ports/LoginItemService.h"

#include <QDir>
#include <QString>
#include <optional>

namespace tarnwick::fakes {

// A login-item service whose status the test sets. A successful register or
// unregister leaves Enabled or NotRegistered behind; a set failure fails both.
class FakeLoginItemService : public LoginItemService {
public:
    LoginItemStatus currentStatus = LoginItemStatus::NotRegistered;
    std::optional<QString> failure;
    int openSettingsRequests = 0;

    LoginItemStatus status() override { return currentStatus; }
    bool registerMainApp(QString& error) override {
        return answer(LoginItemStatus::Enabled, error);
    }
    bool unregisterMainApp(QString& error) override {
        return answer(LoginItemStatus::NotRegistered, error);
    }
    void openSystemSettingsLoginItems() override { ++openSettingsRequests; }
    QString location() const override { return QDir::homePath() + "/.config/autostart"; }

private:
    bool answer(LoginItemStatus after, QString& error) {
        if (failure) {
            error = *failure;
            return false;
        }
        currentStatus = after;
        return true;
    }
};

} // namespace tarnwick::fakes
