#pragma once

#include "ui/AppWindow.h"

class QLabel;

namespace tarnwick {

class AppModel;
class SettingsView;

// The one settings window: the tabs, and above them a notice when there is
// something the user must know before anything else.
class SettingsWindow : public AppWindow {
    Q_OBJECT
public:
    explicit SettingsWindow(AppModel& model, QWidget* parent = nullptr);

    SettingsView* view() const { return view_; }

    // An empty text removes the notice.
    void setNotice(const QString& text);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* notice_;
    QLabel* noticeText_;
    SettingsView* view_;
};

} // namespace tarnwick
