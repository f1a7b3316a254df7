#pragma once

#include <QString>

namespace tarnwick {

// The login-item service's view of the program's own registration.
enum class LoginItemStatus : int {
    NotRegistered = 0,
    Enabled = 1,
    RequiresApproval = 2,
    NotFound = 3,
};

// Starting the program at login, as the desktop records it.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;
    virtual LoginItemStatus status() = 0;
    // On failure these return false and fill in a readable description.
    virtual bool registerMainApp(QString& errorDescription) = 0;
    virtual bool unregisterMainApp(QString& errorDescription) = 0;
    // Shows the place where the user manages login items.
    virtual void openSystemSettingsLoginItems() = 0;
    // Where the registration is kept, for texts that name it; empty when unknown.
    virtual QString location() const { return {}; }
};

} // namespace tarnwick
