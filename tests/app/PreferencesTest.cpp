#include "app/Preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnwick;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("tarnwick/defaults.json"); }
    void store(const QByteArray& bytes) {
        QDir().mkpath(dir.filePath("tarnwick"));
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray contents(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(PreferencesTest, OnlyValuesOfTheRightJsonTypeAreRead) {
    store(R"({"placementEnabled": "false", "flag": false, "count": 0,
              "excludedBundleIdentifiers": ["a", 1], "list": ["x", "y"], "text": "x"})");
    const Preferences preferences(path());
    EXPECT_EQ(preferences.boolValue("placementEnabled"), std::nullopt);
    EXPECT_EQ(preferences.boolValue("flag"), false);
    EXPECT_EQ(preferences.boolValue("count"), std::nullopt);
    EXPECT_EQ(preferences.boolValue("missing"), std::nullopt);
    EXPECT_EQ(preferences.stringList("excludedBundleIdentifiers"), std::nullopt);
    EXPECT_EQ(preferences.stringList("list"), QStringList({"x", "y"}));
    EXPECT_EQ(preferences.stringList("text"), std::nullopt);
}

TEST_F(PreferencesTest, WritesCreateTheFolderAndKeepUnknownKeys) {
    {
        Preferences first(path());
        ASSERT_TRUE(first.setBool("placementEnabled", false));
    }
    store(contents(path()).replace("{", R"({"future": {"nested": [1, 2]},)"));
    Preferences preferences(path());
    ASSERT_TRUE(preferences.setStringList("excludedBundleIdentifiers", {}));

    const QJsonObject written = QJsonDocument::fromJson(contents(path())).object();
    EXPECT_EQ(written.value("future").toObject().value("nested").toArray().size(), 2);
    EXPECT_EQ(written.value("placementEnabled"), QJsonValue(false));
    // An empty list is stored, not dropped.
    EXPECT_TRUE(written.value("excludedBundleIdentifiers").isArray());
    EXPECT_EQ(Preferences(path()).boolValue("placementEnabled"), false);
}

TEST_F(PreferencesTest, UnparsableFileGivesDefaultsAndIsKeptAside) {
    for (const QByteArray& bad : {QByteArray("{\"placementEnabled\": fal"), QByteArray("[true]")}) {
        store(bad);
        Preferences preferences(path());
        EXPECT_EQ(preferences.boolValue("placementEnabled"), std::nullopt);
        EXPECT_EQ(contents(path()), bad); // reading alone changes nothing
        ASSERT_TRUE(preferences.setBool("placementEnabled", true));
        EXPECT_EQ(Preferences(path()).boolValue("placementEnabled"), true);
    }
    // The second bad file did not replace the first one kept aside.
    EXPECT_EQ(contents(path() + ".corrupt"), "{\"placementEnabled\": fal");
    EXPECT_EQ(contents(path() + ".corrupt.1"), "[true]");
}

TEST(PreferencesPath, FollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(Preferences::defaultPath(), "/srv/conf/tarnwick/defaults.json");
    qputenv("XDG_CONFIG_HOME", "relative/conf"); // ignored, as the base directory rules say
    EXPECT_EQ(Preferences::defaultPath(), QDir::homePath() + "/.config/tarnwick/defaults.json");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Preferences::defaultPath(), QDir::homePath() + "/.config/tarnwick/defaults.json");
    if (!saved.isNull()) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

} // namespace
