#pragma once

#include "ui/AppWindow.h"

class QGridLayout;

namespace tarnwick {

// The About window: icon, name, version, description, the maker's contact
// rows and the attribution line.
class AboutWindow : public AppWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 480;
    static constexpr int kIconSize = 112;
    static constexpr int kDescriptionWidth = 390;

    static constexpr const char* kDeveloper = "The Tarnwick developers, Tarnwick Project";
    static constexpr const char* kEmail = "hello@tarnwick.org";
    static constexpr const char* kEmailURL = "mailto:hello@tarnwick.org";
    // From the range Ofcom keeps free for drama, so it rings nobody.
    static constexpr const char* kPhone = "+44 20 7946 0958";
    static constexpr const char* kPhoneURL = "tel:+442079460958";
    static constexpr const char* kWebsite = "tarnwick.org";
    static constexpr const char* kWebsiteURL = "https://tarnwick.org";

    explicit AboutWindow(QWidget* parent = nullptr);

    // The application's version, or "0.1.0" when it has none.
    static QString version();

private:
    void addContactRow(QGridLayout& grid, const QString& labelKey, const QString& value,
                       const QString& url);
};

} // namespace tarnwick
