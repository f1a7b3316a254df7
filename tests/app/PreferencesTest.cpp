#include "app/Preferences.h"

#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
    EXPECT_EQ(preferences.stringList("excludedBundleIdentifiers"), std::nullopt);
    EXPECT_EQ(preferences.stringList("list"), QStringList({"x", "y"}));
    EXPECT_EQ(preferences.stringList("text"), std::nullopt);
}

TEST_F(PreferencesTest, WritesCreateTheFolderAndKeepUnknownKeys) {
    ASSERT_TRUE(Preferences(path()).setBool("placementEnabled", false));
    store(contents(path()).replace("{", R"({"future": {"nested": [1, 2]},)"));
    ASSERT_TRUE(Preferences(path()).setStringList("excludedBundleIdentifiers", {}));

    const QJsonObject written = QJsonDocument::fromJson(contents(path())).object();
    EXPECT_EQ(written.value("future").toObject().value("nested").toArray().size(), 2);
    EXPECT_EQ(written.value("placementEnabled"), QJsonValue(false));
    EXPECT_TRUE(written.value("excludedBundleIdentifiers").isArray()); // stored, not dropped
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

TEST_F(PreferencesTest, FilesThatCannotBeReadAreLeftAsTheyAre) {
    const QByteArray valid = R"({"placementEnabled": false, "excludedBundleIdentifiers": ["a"]})";
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"fifo", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0); }},
        {"directory", [&] { ASSERT_TRUE(QDir().mkpath(path())); }},
        // As root, a zero device of its own: a write through the link harms no system file.
        {"endless",
         [&] {
             const QString zero = ::geteuid() == 0 ? dir.filePath("zero") : "/dev/zero";
             ASSERT_TRUE(::geteuid() != 0 || ::mknod(QFile::encodeName(zero).constData(),
                                                     S_IFCHR | 0600, makedev(1, 5)) == 0);
             ASSERT_TRUE(QFile::link(zero, path()));
         }},
        {"oversized", [&] { store(QByteArray(Preferences::kMaxFileBytes, ' ') + valid); }},
    };
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        QDir(dir.filePath("tarnwick")).removeRecursively();
        QDir().mkpath(dir.filePath("tarnwick"));
        make();
        const QFileInfo before(path());
        Preferences preferences(path());
        EXPECT_EQ(preferences.boolValue("placementEnabled"), std::nullopt);
        EXPECT_TRUE(preferences.problem().value_or("").contains(path()));
        EXPECT_FALSE(preferences.setBool("placementEnabled", true));
        EXPECT_TRUE(preferences.boolValue("placementEnabled")); // kept for the session
        EXPECT_EQ(QFileInfo(path()).size(), before.size());
        EXPECT_EQ(QFileInfo(path()).isSymLink(), before.isSymLink());
        EXPECT_FALSE(QFileInfo::exists(path() + ".corrupt"));
    }
    // Made readable again, the stored values come back under the ones set meanwhile.
    Preferences preferences(path()); // the oversized one
    ASSERT_TRUE(preferences.problem());
    store(valid);
    ASSERT_TRUE(preferences.setBool("placementEnabled", true));
    EXPECT_FALSE(preferences.problem());
    EXPECT_EQ(Preferences(path()).boolValue("placementEnabled"), true);
    EXPECT_EQ(Preferences(path()).stringList("excludedBundleIdentifiers"), QStringList({"a"}));
}

TEST_F(PreferencesTest, PermissionsBindAsTheyDoForTheUser) {
    store(R"({"placementEnabled": false})");
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                     QFile::WriteOther | QFile::ExeOther;
    QFile::setPermissions(dir.path(), all & ~QFile::WriteOther);
    QFile::setPermissions(dir.filePath("tarnwick"), all); // the file could be set aside
    QFile::setPermissions(path(), {});                    // but is unreadable, not corrupt
    support::expectUnprivileged([&]() -> std::string {
        Preferences preferences(path());
        if (!preferences.problem() || preferences.boolValue("placementEnabled")) {
            return "an unreadable file was not reported";
        }
        if (preferences.setBool("placementEnabled", true) || !preferences.problem()) {
            return "an unreadable file was replaced";
        }
        return {};
    });
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(contents(path()), R"({"placementEnabled": false})");
    EXPECT_FALSE(QFileInfo::exists(path() + ".corrupt"));
}

TEST(PreferencesPath, FollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(Preferences::defaultPath(), "/srv/conf/tarnwick/defaults.json");
    qputenv("XDG_CONFIG_HOME", "relative/conf"); // ignored, as the base directory rules say
    EXPECT_EQ(Preferences::defaultPath(), QDir::homePath() + "/.config/tarnwick/defaults.json");
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
