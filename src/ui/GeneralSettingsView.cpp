#include "ui/GeneralSettingsView.h"

#include "app/AppModel.h"
#include "app/L10n.h"
#include "ui/DecorativeIcon.h"
#include "ui/Style.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwick {

namespace {

constexpr int kRowIconSize = 18;
constexpr int kPermissionIconSize = 28;

QString text(const char* key) {
    return L10n::string(QString::fromLatin1(key));
}

QLabel* wrappedLabel(const QString& content, QWidget* parent) {
    auto* label = new QLabel(content, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

GeneralSettingsView::GeneralSettingsView(AppModel& model, QWidget* parent)
    : QScrollArea(parent), model_(model) {
    setObjectName(QStringLiteral("generalSettings"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The rows take the focus and are scrolled into view; the page itself
    // would be a tab stop with no mark.
    setFocusPolicy(Qt::NoFocus);

    auto* content = new QWidget(this);
    auto* page = new QVBoxLayout(content);
    page->setContentsMargins(20, 12, 20, 16);
    page->setSpacing(4);
    buildPlacement(*page);
    buildLoginItem(*page);
    buildPermission(*page);
    buildStatus(*page);
    buildApplications(*page);
    page->addStretch(1);
    setWidget(content);

    connect(&model_, &AppModel::runningApplicationsChanged, this,
            &GeneralSettingsView::rebuildApplicationRows);
    connect(&model_, &AppModel::modelChanged, this, &GeneralSettingsView::refresh);
    rebuildApplicationRows();
    refresh();
}

QWidget* GeneralSettingsView::addSection(QVBoxLayout& page, const QString& headerKey,
                                         const QString& footerText) {
    // The header is a label of its own rather than the box's title, so that
    // header, rows and footer can share the rows' left edge.
    auto* box = new QGroupBox;
    box->setAccessibleName(L10n::string(headerKey));
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(12, 6, 12, 6);
    rows->setSpacing(10);
    const int inset = box->contentsMargins().left() + rows->contentsMargins().left();

    page.addSpacing(page.count() == 0 ? 0 : 10);
    QLabel* header = wrappedLabel(box->accessibleName(), nullptr);
    header->setObjectName(QStringLiteral("sectionHeader"));
    header->setContentsMargins(inset, 0, inset, 0);
    page.addWidget(header);
    page.addWidget(box);
    if (!footerText.isEmpty()) {
        QLabel* footer = wrappedLabel(footerText, nullptr);
        footer->setObjectName(QStringLiteral("sectionFooter"));
        footer->setTextFormat(Qt::PlainText);
        footer->setFont(Style::footnoteFont(footer->font()));
        footer->setContentsMargins(inset, 0, inset, 0);
        Style::makeSecondary(*footer);
        page.addWidget(footer);
    }
    return box;
}

void GeneralSettingsView::buildPlacement(QVBoxLayout& page) {
    QWidget* box = addSection(page, QStringLiteral("placement.header"), {});
    placementSwitch_ = new QCheckBox(text("placement.toggle"), box);
    placementSwitch_->setObjectName(QStringLiteral("placementSwitch"));
    placementSwitch_->setAccessibleDescription(text("placement.hint"));
    connect(placementSwitch_, &QCheckBox::clicked, this,
            [this](bool checked) { model_.setIsEnabled(checked); });
    box->layout()->addWidget(placementSwitch_);

    // The switches apply even when they cannot be saved; this says so.
    preferencesError_ = wrappedLabel(QString(), box);
    preferencesError_->setObjectName(QStringLiteral("preferencesError"));
    preferencesError_->setTextFormat(Qt::PlainText);
    preferencesError_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Style::setForeground(*preferencesError_, Style::red());
    box->layout()->addWidget(preferencesError_);
}

void GeneralSettingsView::buildLoginItem(QVBoxLayout& page) {
    QWidget* box =
        addSection(page, QStringLiteral("loginItem.header"),
                   L10n::format(QStringLiteral("loginItem.footer"), model_.loginItemLocation()));

    loginSwitch_ = new QCheckBox(text("loginItem.toggle"), box);
    loginSwitch_->setObjectName(QStringLiteral("loginSwitch"));
    loginSwitch_->setAccessibleDescription(text("loginItem.hint"));
    connect(loginSwitch_, &QCheckBox::clicked, this, [this](bool checked) {
        model_.setLaunchAtLogin(checked);
        // The switch shows what the service reports, not what was asked for.
        refresh();
    });
    box->layout()->addWidget(loginSwitch_);

    approvalNotice_ = new QWidget(box);
    approvalNotice_->setObjectName(QStringLiteral("approvalNotice"));
    auto* approvalRow = new QHBoxLayout(approvalNotice_);
    approvalRow->setContentsMargins(0, 0, 0, 0);
    approvalRow->setSpacing(12);
    auto* approvalIcon = new DecorativeIcon(kRowIconSize, approvalNotice_);
    approvalIcon->setSymbol(QStringLiteral("exclamationmark.triangle.fill"), Style::orange());
    QLabel* approvalText = wrappedLabel(text("loginItem.approvalRequired"), approvalNotice_);
    approvalText->setObjectName(QStringLiteral("approvalText"));
    Style::setForeground(*approvalText, Style::orange());
    auto* approvalButton = new QPushButton(text("loginItem.openSettings"), approvalNotice_);
    approvalButton->setObjectName(QStringLiteral("approvalButton"));
    connect(approvalButton, &QPushButton::clicked, this,
            [this] { model_.openLoginItemSettings(); });
    // The notice's first line sits on the baseline of the button's centred label.
    const int lineHeight = approvalText->fontMetrics().height();
    const int textTop = std::max(0, (approvalButton->sizeHint().height() - lineHeight) / 2);
    approvalText->setContentsMargins(0, textTop, 0, 0);
    approvalIcon->setContentsMargins(0, std::max(0, textTop + (lineHeight - kRowIconSize) / 2), 0,
                                     0);
    approvalIcon->setMinimumHeight(kRowIconSize + approvalIcon->contentsMargins().top());
    approvalRow->addWidget(approvalIcon, 0, Qt::AlignTop);
    approvalRow->addWidget(approvalText, 1, Qt::AlignTop);
    approvalRow->addWidget(approvalButton, 0, Qt::AlignTop);
    box->layout()->addWidget(approvalNotice_);

    loginError_ = new QWidget(box);
    loginError_->setObjectName(QStringLiteral("loginError"));
    auto* errorRow = new QHBoxLayout(loginError_);
    errorRow->setContentsMargins(0, 0, 0, 0);
    errorRow->setSpacing(12);
    auto* errorIcon = new DecorativeIcon(kRowIconSize, loginError_);
    errorIcon->setSymbol(QStringLiteral("xmark.circle.fill"), Style::red());
    loginErrorText_ = wrappedLabel(QString(), loginError_);
    loginErrorText_->setObjectName(QStringLiteral("loginErrorText"));
    loginErrorText_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                             Qt::TextSelectableByKeyboard);
    Style::setForeground(*loginErrorText_, Style::red());
    errorRow->addWidget(errorIcon, 0, Qt::AlignTop);
    errorRow->addWidget(loginErrorText_, 1);
    box->layout()->addWidget(loginError_);
}

void GeneralSettingsView::buildPermission(QVBoxLayout& page) {
    QWidget* box = addSection(page, QStringLiteral("permission.header"), {});
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    permissionIcon_ = new DecorativeIcon(kPermissionIconSize, box);
    permissionIcon_->setObjectName(QStringLiteral("permissionIcon"));
    row->addWidget(permissionIcon_, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    permissionTitle_ = new QLabel(box);
    permissionTitle_->setObjectName(QStringLiteral("permissionTitle"));
    permissionTitle_->setFont(Style::headlineFont(permissionTitle_->font()));
    QLabel* explanation = wrappedLabel(text("permission.explanation"), box);
    Style::makeSecondary(*explanation);
    texts->addWidget(permissionTitle_);
    texts->addWidget(explanation);
    row->addLayout(texts, 1);

    permissionButton_ = new QPushButton(text("permission.openSettings"), box);
    permissionButton_->setObjectName(QStringLiteral("permissionButton"));
    connect(permissionButton_, &QPushButton::clicked, this, [this] {
        model_.requestAccessibilityPermission();
        model_.revealAccessibilitySettings();
    });
    row->addWidget(permissionButton_, 0, Qt::AlignTop);
    qobject_cast<QVBoxLayout*>(box->layout())->addLayout(row);
}

void GeneralSettingsView::buildStatus(QVBoxLayout& page) {
    QWidget* box = addSection(page, QStringLiteral("status.header"), {});
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* label = new QLabel(text("status.lastAction"), box);
    lastAction_ = wrappedLabel(QString(), box);
    lastAction_->setObjectName(QStringLiteral("lastAction"));
    lastAction_->setTextFormat(Qt::PlainText);
    lastAction_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lastAction_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setBuddy(lastAction_);
    Style::makeSecondary(*lastAction_);
    row->addWidget(label, 0, Qt::AlignTop);
    row->addWidget(lastAction_, 1);
    qobject_cast<QVBoxLayout*>(box->layout())->addLayout(row);
}

void GeneralSettingsView::buildApplications(QVBoxLayout& page) {
    QWidget* box = addSection(page, QStringLiteral("apps.header"), text("apps.footer"));
    auto* rows = qobject_cast<QVBoxLayout*>(box->layout());

    appsNone_ = new QLabel(text("apps.none"), box);
    appsNone_->setObjectName(QStringLiteral("appsNone"));
    appsNone_->setWordWrap(true);
    Style::makeSecondary(*appsNone_);
    rows->addWidget(appsNone_);

    appRows_ = new QVBoxLayout;
    appRows_->setSpacing(8);
    rows->addLayout(appRows_);

    enableAll_ = new QPushButton(text("apps.enableAll"), box);
    enableAll_->setObjectName(QStringLiteral("enableAll"));
    connect(enableAll_, &QPushButton::clicked, this,
            [this] { model_.setExcludedBundleIdentifiers({}); });
    rows->addWidget(enableAll_, 0, Qt::AlignLeft);
}

void GeneralSettingsView::rebuildApplicationRows() {
    for (QCheckBox* row : std::as_const(appSwitches_)) {
        // Out of the window at once, freed once any signal it is sending has returned.
        row->hide();
        row->setParent(nullptr);
        row->deleteLater();
    }
    appSwitches_.clear();
    QWidget* box = appsNone_->parentWidget();
    for (const AppModel::ApplicationChoice& choice : model_.runningApplications()) {
        auto* row = new QCheckBox(Style::literalMnemonicText(choice.name), box);
        row->setObjectName(choice.id);
        row->setProperty("bundleIdentifier", choice.id);
        connect(row, &QCheckBox::clicked, this, [this, choice](bool checked) {
            model_.setApplication(choice, checked);
            refresh();
        });
        appRows_->addWidget(row);
        appSwitches_.append(row);
    }
}

void GeneralSettingsView::refresh() {
    placementSwitch_->setChecked(model_.isEnabled());
    const std::optional<QString> preferencesError = model_.preferencesError();
    preferencesError_->setText(preferencesError.value_or(QString()));
    preferencesError_->setVisible(preferencesError.has_value());

    loginSwitch_->setChecked(model_.isLaunchAtLoginRequested());
    approvalNotice_->setVisible(model_.launchAtLoginStatus() == LoginItemStatus::RequiresApproval);
    const std::optional<QString> error = model_.launchAtLoginError();
    loginErrorText_->setText(error.value_or(QString()));
    loginErrorText_->setTextFormat(Qt::PlainText);
    loginError_->setVisible(error.has_value());

    const bool permitted = model_.hasAccessibilityPermission();
    if (permitted) {
        permissionIcon_->setSymbol(QStringLiteral("checkmark.circle.fill"), Style::green());
    } else {
        permissionIcon_->setSymbol(QStringLiteral("exclamationmark.triangle.fill"),
                                   Style::orange());
    }
    permissionTitle_->setText(text(permitted ? "permission.allowed" : "permission.required"));
    permissionButton_->setVisible(!permitted);

    lastAction_->setText(model_.lastAction());

    const QSet<QString> excluded = model_.excludedBundleIdentifiers();
    for (QCheckBox* row : std::as_const(appSwitches_)) {
        row->setChecked(!excluded.contains(row->objectName()));
    }
    // Without display access the list is empty because it cannot be read.
    appsNone_->setText(text(permitted ? "apps.none" : "apps.noAccess"));
    appsNone_->setVisible(appSwitches_.isEmpty());
    enableAll_->setVisible(!excluded.isEmpty());
}

} // namespace tarnwick
