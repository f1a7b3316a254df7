#include "ui/SettingsView.h"

#include "app/L10n.h"
#include "ui/GeneralSettingsView.h"
#include "ui/HelpView.h"
#include "ui/Icons.h"

namespace tarnwick {

SettingsView::SettingsView(AppModel& model, QWidget* parent)
    : QTabWidget(parent), general_(new GeneralSettingsView(model, this)),
      help_(new HelpView(model, this)) {
    setObjectName(QStringLiteral("settingsView"));
    setDocumentMode(true);
    const QColor iconColor = palette().color(QPalette::WindowText);
    addTab(general_, Icons::symbolIcon(QStringLiteral("gear"), iconColor),
           L10n::string(QStringLiteral("settings.general")));
    addTab(help_, Icons::symbolIcon(QStringLiteral("questionmark.circle"), iconColor),
           L10n::string(QStringLiteral("settings.help")));
    setFixedSize(kWidth, kHeight);
}

QString SettingsView::navigationTitle() const {
    return L10n::string(currentWidget() == help_ ? QStringLiteral("settings.help")
                                                 : QStringLiteral("Tarnwick"));
}

} // namespace tarnwick
