#include "ui/MenuContent.h"

#include "app/AppModel.h"
#include "app/L10n.h"
#include "ui/Style.h"

#include <QKeyEvent>

namespace tarnwick {

MenuContent::MenuContent(AppModel& model, QWidget* parent) : QMenu(parent), model_(model) {
    placement_ = addAction(L10n::string(QStringLiteral("placement.toggle")));
    placement_->setObjectName(QStringLiteral("placementAction"));
    placement_->setCheckable(true);
    connect(placement_, &QAction::triggered, this,
            [this](bool checked) { model_.setIsEnabled(checked); });

    permission_ = addAction(L10n::string(QStringLiteral("permission.allow")));
    permission_->setObjectName(QStringLiteral("permissionAction"));
    // Only the prompt: the model notices a grant on its own next check.
    connect(permission_, &QAction::triggered, this,
            [this] { model_.requestAccessibilityPermission(); });

    addSeparator();

    // Disabled, so that it is drawn dimmed, in line with the entries, and the
    // keyboard passes over it.
    status_ = addAction(QString());
    status_->setObjectName(QStringLiteral("statusAction"));
    status_->setEnabled(false);

    addSeparator();

    about_ = addAction(L10n::string(QStringLiteral("about.title")));
    about_->setObjectName(QStringLiteral("aboutAction"));
    connect(about_, &QAction::triggered, this, &MenuContent::aboutRequested);

    settings_ = addAction(L10n::string(QStringLiteral("menu.settings")));
    settings_->setObjectName(QStringLiteral("settingsAction"));
    settings_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings_, &QAction::triggered, this, &MenuContent::settingsRequested);

    quit_ = addAction(L10n::string(QStringLiteral("menu.quit")));
    quit_->setObjectName(QStringLiteral("quitAction"));
    quit_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit_, &QAction::triggered, this, &MenuContent::quitRequested);

    connect(&model_, &AppModel::modelChanged, this, &MenuContent::refresh);
    refresh();
}

void MenuContent::refresh() {
    placement_->setChecked(model_.isEnabled());
    permission_->setVisible(!model_.hasAccessibilityPermission());
    status_->setText(Style::literalMnemonicText(model_.statusText()));
}

void MenuContent::keyPressEvent(QKeyEvent* event) {
    const QKeySequence keys(event->keyCombination());
    for (QAction* entry : {settings_, quit_}) {
        if (entry->isVisible() && entry->isEnabled() && entry->shortcut() == keys) {
            event->accept();
            close();
            entry->trigger();
            return;
        }
    }
    QMenu::keyPressEvent(event);
}

} // namespace tarnwick
