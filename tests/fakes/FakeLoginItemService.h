#pragma once

#include "app/LoginItemService.h"

#include <QString>
#include <optional>

namespace tarnwick::fakes {

// A login-item service whose status the test sets; a request can be made to
// fail with a message, and may change the status it reports afterwards.
class FakeLoginItemService : public LoginItemService {
public:
    LoginItemStatus currentStatus = LoginItemStatus::NotRegistered;
    // When set, the next requests fail with this description.
    std::optional<QString> failure;
    // The status a successful request leaves behind; unchanged when absent.
    std::optional<LoginItemStatus> statusAfterRegister = LoginItemStatus::Enabled;
    std::optional<LoginItemStatus> statusAfterUnregister = LoginItemStatus::NotRegistered;

    int statusReads = 0;
    int registerRequests = 0;
    int unregisterRequests = 0;
    int openSettingsRequests = 0;

    LoginItemStatus status() override {
        ++statusReads;
        return currentStatus;
    }
    bool registerMainApp(QString& errorDescription) override {
        ++registerRequests;
        return answer(statusAfterRegister, errorDescription);
    }
    bool unregisterMainApp(QString& errorDescription) override {
        ++unregisterRequests;
        return answer(statusAfterUnregister, errorDescription);
    }
    void openSystemSettingsLoginItems() override { ++openSettingsRequests; }

private:
    bool answer(const std::optional<LoginItemStatus>& after, QString& errorDescription) {
        if (failure) {
            errorDescription = *failure;
            return false;
        }
        if (after) {
            currentStatus = *after;
        }
        return true;
    }
};

} // namespace tarnwick::fakes
