#include "ui/SettingsWindow.h"

#include "UiTestSupport.h"
#include "app/L10n.h"
#include "ui/AboutWindow.h"
#include "ui/DecorativeIcon.h"
#include "ui/GeneralSettingsView.h"
#include "ui/HelpView.h"
#include "ui/SettingsView.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

namespace tarnwick::testing {
namespace {

QString key(const char* k) {
    return L10n::string(QString::fromLatin1(k));
}

class SettingsWindowTest : public UiTest {
protected:
    SettingsWindow& open() {
        if (!app) {
            makeApp();
        }
        app->openSettings();
        return *app->settingsWindow();
    }

    QList<QCheckBox*> applicationSwitches(SettingsWindow& window) {
        QList<QCheckBox*> switches;
        for (QCheckBox* box : window.findChildren<QCheckBox*>()) {
            if (box->property("bundleIdentifier").isValid()) {
                switches.append(box);
            }
        }
        return switches;
    }
};

TEST_F(SettingsWindowTest, TabsKeepTheirSizeWhateverTheyHold) {
    for (int i = 0; i < 40; ++i) {
        launch(100 + i, "org.example.app" + std::to_string(i), "Application " + std::to_string(i));
    }
    SettingsWindow& window = open();
    SettingsView* view = window.view();
    ASSERT_EQ(view->count(), 2);
    EXPECT_EQ(view->size(), QSize(600, 560));
    EXPECT_EQ(window.windowTitle(), key("Tarnwick"));

    view->setCurrentIndex(1);
    EXPECT_EQ(view->size(), QSize(600, 560));
    EXPECT_EQ(window.windowTitle(), key("settings.help"));
}

TEST_F(SettingsWindowTest, ApprovalNoticeAndErrorRowComeAndGoWithTheModel) {
    SettingsWindow& window = open();
    auto* loginSwitch = find<QCheckBox>(window, "loginSwitch");
    QWidget* notice = find<QWidget>(window, "approvalNotice");
    QWidget* error = find<QWidget>(window, "loginError");
    EXPECT_FALSE(shown(notice));
    EXPECT_FALSE(shown(error));
    EXPECT_FALSE(loginSwitch->isChecked());

    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    tick();
    EXPECT_TRUE(shown(notice));
    EXPECT_FALSE(shown(error));
    EXPECT_TRUE(loginSwitch->isChecked());
    find<QPushButton>(window, "approvalButton")->click();
    EXPECT_EQ(loginItems.openSettingsRequests, 1);

    // A failed request: the switch falls back to what the service reports.
    const QString message = QStringLiteral("Cannot write <b>autostart</b> & co");
    loginItems.failure = message;
    loginSwitch->click();
    EXPECT_EQ(loginItems.unregisterRequests, 1);
    EXPECT_TRUE(loginSwitch->isChecked());
    EXPECT_TRUE(shown(notice));
    ASSERT_TRUE(shown(error));
    auto* errorText = find<QLabel>(window, "loginErrorText");
    EXPECT_EQ(errorText->text(), message);
    EXPECT_EQ(errorText->textFormat(), Qt::PlainText);

    loginItems.failure.reset();
    loginItems.currentStatus = LoginItemStatus::NotRegistered; // what was asked for
    tick();
    EXPECT_FALSE(shown(notice));
    EXPECT_FALSE(shown(error));
    EXPECT_FALSE(loginSwitch->isChecked());
}

TEST_F(SettingsWindowTest, PreferencesThatCannotBeSavedAreNamedUnderThePlacementSwitch) {
    SettingsWindow& window = open();
    int naming = 0; // the help names the real file, wherever it is
    for (QLabel* body : window.findChildren<QLabel*>("helpSectionBody")) {
        naming += body->text().contains(directory.filePath("defaults.json"));
    }
    EXPECT_EQ(naming, 2);
    auto* error = find<QLabel>(window, "preferencesError");
    EXPECT_FALSE(shown(error));
    ASSERT_TRUE(QDir().mkpath(directory.filePath("defaults.json"))); // a folder in the way
    find<QCheckBox>(window, "placementSwitch")->click();
    EXPECT_TRUE(shown(error));
    EXPECT_TRUE(error->text().contains(directory.filePath("defaults.json")));
}

TEST_F(SettingsWindowTest, PermissionRowPromptsAndOpensTheSettingsUntilGranted) {
    platform.accessibility.trusted = false;
    SettingsWindow& window = open();
    auto* title = find<QLabel>(window, "permissionTitle");
    auto* button = find<QPushButton>(window, "permissionButton");
    auto* icon = find<DecorativeIcon>(window, "permissionIcon");
    auto* appsNone = find<QLabel>(window, "appsNone");
    EXPECT_EQ(title->text(), key("permission.required"));
    // Without display access the list cannot be read, which is not the same as empty.
    EXPECT_EQ(appsNone->text(), key("apps.noAccess"));
    EXPECT_EQ(icon->symbolName(), "exclamationmark.triangle.fill");
    ASSERT_TRUE(shown(button));

    button->click();
    EXPECT_EQ(platform.accessibility.promptCount, 1);
    EXPECT_EQ(platform.workspace.openedURLs, std::vector<std::string>{kAccessibilitySettingsURL});
    EXPECT_EQ(title->text(), key("permission.required"));

    platform.accessibility.trusted = true;
    tick();
    EXPECT_EQ(title->text(), key("permission.allowed"));
    EXPECT_EQ(icon->symbolName(), "checkmark.circle.fill");
    EXPECT_FALSE(shown(button));
    EXPECT_EQ(appsNone->text(), key("apps.none"));
}

TEST_F(SettingsWindowTest, ApplicationSwitchesFollowTheExclusions) {
    SettingsWindow& window = open();
    EXPECT_TRUE(shown(find<QLabel>(window, "appsNone")));
    EXPECT_TRUE(applicationSwitches(window).isEmpty());
    auto* enableAll = find<QPushButton>(window, "enableAll");
    EXPECT_FALSE(shown(enableAll));

    // Two applications of one name are told apart by their identifiers.
    launch(201, "org.example.editor", "Editor");
    launch(202, "com.other.editor", "Editor");
    launch(203, "org.example.mail", "Mail & <i>News</i>");
    app->model().setExcludedBundleIdentifiers({"com.other.editor", "org.gone.app"});
    tick();

    QList<QCheckBox*> switches = applicationSwitches(window);
    ASSERT_EQ(switches.size(), 3);
    EXPECT_FALSE(shown(find<QLabel>(window, "appsNone")));
    QStringList ids;
    for (QCheckBox* row : switches) {
        ids.append(row->property("bundleIdentifier").toString());
        EXPECT_EQ(row->isChecked(), row->objectName() != "com.other.editor")
            << ids.back().toStdString();
    }
    EXPECT_TRUE(ids.contains("org.example.editor") && ids.contains("com.other.editor"));
    EXPECT_EQ(ids.back(), "org.example.mail");
    EXPECT_TRUE(shown(enableAll));

    enableAll->click();
    EXPECT_TRUE(app->model().excludedBundleIdentifiers().isEmpty());
    for (QCheckBox* row : applicationSwitches(window)) {
        EXPECT_TRUE(row->isChecked());
    }
    EXPECT_FALSE(shown(enableAll));

    find<QCheckBox>(window, "org.example.mail")->click();
    EXPECT_EQ(app->model().excludedBundleIdentifiers(), QSet<QString>{"org.example.mail"});
    EXPECT_TRUE(shown(enableAll));

    // An application that quits loses its row at the next check.
    platform.workspace.terminate(203);
    tick();
    EXPECT_EQ(applicationSwitches(window).size(), 2);
    EXPECT_EQ(window.findChild<QCheckBox*>("org.example.mail"), nullptr);
}

TEST_F(SettingsWindowTest, BothWindowsCloseWithEscOrCtrlWAndSayTheyAreWindows) {
    makeApp();
    const QKeyCombination closers[] = {QKeyCombination(Qt::Key_Escape),
                                       QKeyCombination(Qt::CTRL | Qt::Key_W)};
    for (const QKeyCombination keys : closers) {
        app->openSettings();
        app->openAbout();
        for (QWidget* window : {static_cast<QWidget*>(app->settingsWindow()),
                                static_cast<QWidget*>(app->aboutWindow())}) {
            activate(*window);
            QTest::keyClick(window, keys.key(), keys.keyboardModifiers());
            EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
        }
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(app->settingsWindow())->role(),
              QAccessible::Window);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(app->aboutWindow())->role(),
              QAccessible::Dialog);
}

TEST_F(SettingsWindowTest, EveryTabStopShowsItsFocus) {
    platform.accessibility.trusted = false;
    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    launch(201, "org.example.editor", "Editor");
    SettingsWindow& window = open();
    loginItems.failure = QStringLiteral("Cannot write the autostart entry");
    app->model().setLaunchAtLogin(true);
    app->model().setExcludedBundleIdentifiers({"org.example.editor"});
    tick();
    activate(window);

    const QList<QWidget*> general = tabStops(window);
    // The page is no stop of its own; its rows are, and scroll into view.
    EXPECT_FALSE(general.contains(window.view()->general()));
    EXPECT_TRUE(general.contains(find<QPushButton>(window, "enableAll")));

    // The help page has nothing else to focus, so it takes the focus itself.
    window.view()->setCurrentIndex(1);
    EXPECT_TRUE(tabStops(window).contains(window.view()->help()));
}

TEST_F(SettingsWindowTest, GeneralTabHasOneLeftEdgeAndTheNoticeSitsOnTheButtonsBaseline) {
    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    launch(201, "org.example.editor", "Editor");
    SettingsWindow& window = open();
    app->model().setExcludedBundleIdentifiers({"org.example.editor"});
    window.show();
    QWidget* page = window.view()->general()->widget();
    page->resize(page->sizeHint());

    // Headers, footers and every row start at one x.
    QSet<int> edges;
    for (QLabel* label :
         page->findChildren<QLabel*>(QRegularExpression("section(Header|Footer)"))) {
        edges.insert(label->mapTo(page, label->contentsRect().topLeft()).x());
    }
    for (QGroupBox* box : page->findChildren<QGroupBox*>()) {
        int rows = box->width();
        for (QWidget* row : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            rows = shown(row) ? std::min(rows, row->x()) : rows;
        }
        edges.insert(box->x() + rows);
    }
    EXPECT_EQ(edges.size(), 1u);

    // Both texts' capitals start on the same pixel row.
    const QImage image = window.grab().toImage();
    const auto inWindow = [&](QWidget* widget) {
        return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    };
    const QRect text = ink(image, inWindow(find<QLabel>(window, "approvalText")));
    const QRect button =
        ink(image, inWindow(find<QPushButton>(window, "approvalButton")).adjusted(4, 4, -4, -4));
    EXPECT_NEAR(text.top(), button.top(), 1);
}

TEST_F(SettingsWindowTest, HelpSectionsLineUpAndHideTheirIconsFromScreenReaders) {
    SettingsWindow& window = open();
    HelpView* help = window.view()->help();
    const QList<DecorativeIcon*> icons = help->findChildren<DecorativeIcon*>("helpIcon");
    const QList<QLabel*> titles = help->findChildren<QLabel*>("helpSectionTitle");
    ASSERT_EQ(icons.size(), 6);
    ASSERT_EQ(titles.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(icons[i]->width(), HelpView::kSectionIconWidth);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(icons[i]);
        ASSERT_NE(accessible, nullptr);
        EXPECT_TRUE(accessible->state().invisible);
        EXPECT_TRUE(accessible->text(QAccessible::Name).isEmpty());
    }
    EXPECT_EQ(find<QCheckBox>(window, "placementSwitch")->accessibleDescription(),
              key("placement.hint"));
}

} // namespace
} // namespace tarnwick::testing
