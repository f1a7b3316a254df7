#include "ui/SettingsWindow.h"

#include "UiTestSupport.h"
#include "ui/AboutWindow.h"
#include "ui/DecorativeIcon.h"
#include "ui/GeneralSettingsView.h"
#include "ui/HelpView.h"
#include "ui/MenuContent.h"
#include "ui/SettingsView.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

namespace tarnwick::testing {
namespace {

// The top of what is drawn in image, inset pixels in from its edges: the first
// row with a pixel whose grey level differs from the corner's by more than a faint shade.
int inkTop(const QImage& image, int inset) {
    const int background = qGray(image.pixel(inset, inset));
    for (int y = inset; y < image.height() - inset; ++y) {
        for (int x = inset; x < image.width() - inset; ++x) {
            if (std::abs(qGray(image.pixel(x, y)) - background) > 30) {
                return y;
            }
        }
    }
    return -1;
}

using SettingsWindowTest = UiTest;

TEST_F(SettingsWindowTest, TabsKeepTheirSizeWhateverTheyHold) {
    for (int i = 0; i < 40; ++i) {
        launch(100 + i, "org.example.app" + std::to_string(i), "Application " + std::to_string(i));
    }
    SettingsView* view = openSettings().view();
    const QString generalTitle = app->settingsWindow()->windowTitle();
    EXPECT_EQ(view->size(), QSize(SettingsView::kWidth, SettingsView::kHeight));
    view->setCurrentIndex(1);
    EXPECT_EQ(view->size(), QSize(SettingsView::kWidth, SettingsView::kHeight));
    EXPECT_NE(app->settingsWindow()->windowTitle(), generalTitle);
}

TEST_F(SettingsWindowTest, LoginRowShowsTheApprovalNoticeAndFailuresAsPlainText) {
    SettingsWindow& window = openSettings();
    auto* loginSwitch = find<QCheckBox>(window, "loginSwitch");
    QWidget* notice = find<QWidget>(window, "approvalNotice");
    QWidget* error = find<QWidget>(window, "loginError");
    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    tick();
    EXPECT_TRUE(shown(notice));
    EXPECT_TRUE(loginSwitch->isChecked());
    auto* button = find<QPushButton>(window, "approvalButton");
    button->click();
    EXPECT_EQ(loginItems.openSettingsRequests, 1);
    // The notice's first line and the button's label start on one pixel row.
    window.show();
    auto* text = find<QLabel>(window, "approvalText");
    EXPECT_NEAR(text->mapTo(&window, QPoint()).y() + inkTop(around(*text), 0),
                button->mapTo(&window, QPoint()).y() + inkTop(around(*button), 4), 1);

    // A failed request: the switch falls back to what the service reports.
    loginItems.failure = QStringLiteral("Cannot write <b>autostart</b> & co");
    loginSwitch->click();
    EXPECT_TRUE(loginSwitch->isChecked());
    ASSERT_TRUE(shown(error));
    auto* errorText = find<QLabel>(window, "loginErrorText");
    EXPECT_EQ(errorText->text(), *loginItems.failure);
    EXPECT_EQ(errorText->textFormat(), Qt::PlainText);

    loginItems.failure.reset();
    loginItems.currentStatus = LoginItemStatus::NotRegistered; // what was asked for
    tick();
    EXPECT_FALSE(shown(notice));
    EXPECT_FALSE(shown(error));
    EXPECT_FALSE(loginSwitch->isChecked());
}

TEST_F(SettingsWindowTest, PreferencesThatCannotBeSavedAreNamedUnderThePlacementSwitch) {
    SettingsWindow& window = openSettings();
    const QString file = directory.filePath("defaults.json");
    int naming = 0; // the help names the real file, wherever it is
    for (QLabel* body : window.findChildren<QLabel*>("helpSectionBody")) {
        naming += body->text().contains(file);
    }
    EXPECT_EQ(naming, 2);
    auto* error = find<QLabel>(window, "preferencesError");
    EXPECT_FALSE(shown(error));
    ASSERT_TRUE(QDir().mkpath(file)); // a folder in the way
    find<QCheckBox>(window, "placementSwitch")->click();
    EXPECT_TRUE(shown(error));
    EXPECT_TRUE(error->text().contains(file));
}

TEST_F(SettingsWindowTest, PermissionRowAndMenuEntryPromptUntilGranted) {
    platform.accessibility.trusted = false;
    SettingsWindow& window = openSettings();
    QAction* menuEntry = app->menu().permissionAction();
    auto* title = find<QLabel>(window, "permissionTitle");
    auto* button = find<QPushButton>(window, "permissionButton");
    auto* appsNone = find<QLabel>(window, "appsNone");
    auto* icon = find<DecorativeIcon>(window, "permissionIcon");
    const QString warning = icon->symbolName();
    // Without display access the list cannot be read, which is not the same as empty.
    EXPECT_EQ(appsNone->text(), key("apps.noAccess"));
    EXPECT_EQ(title->text(), key("permission.required"));
    // The menu entry only prompts; the model learns of a grant by its own check.
    menuEntry->trigger();
    EXPECT_EQ(platform.accessibility.promptCount, 1);
    EXPECT_TRUE(platform.workspace.openedURLs.empty());
    button->click();
    EXPECT_EQ(platform.accessibility.promptCount, 2);
    EXPECT_EQ(platform.workspace.openedURLs, std::vector<std::string>{kAccessibilitySettingsURL});

    platform.accessibility.trusted = true;
    tick();
    EXPECT_FALSE(menuEntry->isVisible());
    EXPECT_EQ(title->text(), key("permission.allowed"));
    EXPECT_NE(icon->symbolName(), warning);
    EXPECT_FALSE(shown(button));
    EXPECT_EQ(appsNone->text(), key("apps.none"));
}

TEST_F(SettingsWindowTest, ApplicationSwitchesFollowTheExclusions) {
    SettingsWindow& window = openSettings();
    auto* enableAll = find<QPushButton>(window, "enableAll");
    const auto applicationRows = [&window] { // named after their identifiers
        return window.findChildren<QCheckBox*>(QRegularExpression("\\.")).size();
    };
    // Two applications of one name are told apart by their identifiers.
    launch(201, "org.example.editor", "Editor");
    launch(202, "com.other.editor", "Editor");
    launch(203, "org.example.mail", "Mail & <i>News</i>");
    app->model().setExcludedBundleIdentifiers({"com.other.editor", "org.gone.app"});
    tick();
    ASSERT_EQ(applicationRows(), 3);
    EXPECT_FALSE(shown(find<QLabel>(window, "appsNone")));
    EXPECT_TRUE(find<QCheckBox>(window, "org.example.editor")->isChecked());
    EXPECT_FALSE(find<QCheckBox>(window, "com.other.editor")->isChecked());

    enableAll->click();
    EXPECT_TRUE(find<QCheckBox>(window, "com.other.editor")->isChecked());
    EXPECT_FALSE(shown(enableAll));
    find<QCheckBox>(window, "org.example.mail")->click();
    EXPECT_EQ(app->model().excludedBundleIdentifiers(), QSet<QString>{"org.example.mail"});
    EXPECT_TRUE(shown(enableAll));

    // An application that quits loses its row at the next check.
    platform.workspace.terminate(203);
    tick();
    EXPECT_EQ(applicationRows(), 2);
}

TEST_F(SettingsWindowTest, BothWindowsCloseWithEscOrCtrlWAndTellScreenReadersWhatTheyAre) {
    makeApp();
    for (const QKeyCombination keys : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
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
    EXPECT_FALSE(find<QCheckBox>(*app->settingsWindow(), "placementSwitch")
                     ->accessibleDescription()
                     .isEmpty());
    // The help's icons only decorate.
    const auto icons = app->settingsWindow()->findChildren<DecorativeIcon*>("helpIcon");
    ASSERT_FALSE(icons.isEmpty());
    for (DecorativeIcon* icon : icons) {
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(icon)->state().invisible);
    }
}

TEST_F(SettingsWindowTest, EveryTabStopShowsItsFocus) {
    platform.accessibility.trusted = false;
    loginItems.currentStatus = LoginItemStatus::RequiresApproval;
    launch(201, "org.example.editor", "Editor");
    SettingsWindow& window = openSettings();
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

} // namespace
} // namespace tarnwick::testing
