#pragma once

#include <QTabWidget>

namespace tarnwick {

class AppModel;
class GeneralSettingsView;
class HelpView;

// The General and Help tabs, in a frame of fixed size whatever they hold.
class SettingsView : public QTabWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 560;

    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);

    // What the window's title bar says while a tab is shown.
    QString navigationTitle() const;

    GeneralSettingsView* general() const { return general_; }
    HelpView* help() const { return help_; }

private:
    GeneralSettingsView* general_;
    HelpView* help_;
};

} // namespace tarnwick
