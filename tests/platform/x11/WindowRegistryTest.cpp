#include "platform/x11/WindowRegistry.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace tarnwick {
namespace {

using Kind = WindowRegistry::Event::Kind;
using Window = WindowRegistry::Window;

ClientFacts owner(Pid pid, std::string id, bool regular = true) {
    return ClientFacts{pid, regular, id, id};
}

// The registry with an X server's answers played back: every window's owner.
class WindowRegistryTest : public ::testing::Test {
protected:
    WindowRegistry registry{[](const std::string& id) -> std::optional<std::string> {
        return id == "org.example.Named" ? std::optional<std::string>("Named") : std::nullopt;
    }};
    std::map<Window, ClientFacts> owners;
    std::map<Window, Window> holders; // an inner window -> the root's child that holds it
    std::set<Window> mappedOnServer;
    std::vector<WindowRegistry::Event> events;

    // Answers the lookups and the reads (frames are nobody's) and takes the reports.
    void settle() {
        for (const auto& [client, parent] : registry.takeFrameLookups()) {
            const auto it = holders.find(parent);
            registry.frameFound(client, parent, it != holders.end() ? it->second : 0,
                                mappedOnServer.count(client) != 0);
        }
        for (const auto& read : registry.takeReads()) {
            const auto it = owners.find(read.window);
            registry.factsRead(read.window, it != owners.end()
                                                ? std::optional<ClientFacts>(it->second)
                                                : std::nullopt);
        }
        const auto taken = registry.takeEvents();
        events.insert(events.end(), taken.begin(), taken.end());
    }
    // What a reparenting window manager does with a new window.
    void manage(Window client, Window frame) {
        registry.created(frame);
        registry.reparented(client, frame, false);
        registry.mapped(client);
        settle();
        EXPECT_TRUE(created().empty()) << "reported before its frame was shown";
        registry.mapped(frame);
        settle();
    }
    std::vector<Window> created() {
        std::vector<Window> list;
        for (const auto& e : events) {
            if (e.kind == Kind::WindowCreated) {
                list.push_back(e.window);
            }
        }
        return list;
    }
    std::vector<Kind> kinds() {
        std::vector<Kind> list;
        for (const auto& e : events) {
            list.push_back(e.kind);
        }
        return list;
    }
};

TEST_F(WindowRegistryTest, AWindowIsNewOnceWhenItsFrameIsShownAndNeverAfterAManagerRestart) {
    owners = {{10, owner(100, "org.example.Old")}, {20, owner(200, "org.example.Named")}};
    registry.existingClient(10);
    settle();
    events.clear(); // the start reports nothing new
    registry.created(20);
    manage(20, 21);
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Launched, Kind::WindowCreated}));
    EXPECT_EQ(events[0].application->localizedName, "Named");
    EXPECT_EQ(events[1].pid, 200);
    EXPECT_EQ(events[1].frame, 21u);
    events.clear();

    // openbox --replace, and kill + start: the manager's frame goes, its client comes
    // back to the root, shown; then every client is re-managed in a new frame.
    registry.unmapped(21);
    registry.reparented(20, 1, true);
    registry.mapped(20);
    registry.destroyed(21);
    settle();
    registry.reparented(10, 31, false);
    registry.created(31);
    registry.mapped(31);
    manage(20, 32);
    settle();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(registry.applications().size(), 2u);

    // A window created afterwards is new.
    owners[40] = owner(200, "org.example.Named");
    registry.created(40);
    manage(40, 41);
    EXPECT_EQ(created(), (std::vector<Window>{40}));
}

TEST_F(WindowRegistryTest, HiddenAndShownWindowsAreNotNewAndTheirApplicationKeepsRunning) {
    owners = {{20, owner(200, "org.example.App")}, {30, owner(300, "org.example.Bare")}};
    registry.created(20);
    manage(20, 21);
    // Without a manager the window itself is mapped on the root.
    registry.created(30);
    registry.mapped(30);
    settle();
    EXPECT_EQ(created(), (std::vector<Window>{20, 30}));
    EXPECT_EQ(events.back().frame, 30u);
    events.clear();

    // Withdrawn (frame gone, back on the root), then shown in a new frame;
    // iconified and restored; unmapped and mapped on the root.
    registry.unmapped(21);
    registry.reparented(20, 1, true);
    registry.destroyed(21);
    manage(20, 22);
    registry.unmapped(22);
    registry.mapped(22);
    registry.unmapped(30);
    registry.mapped(30);
    settle();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(registry.applications().size(), 2u);
}

TEST_F(WindowRegistryTest, AClientInANestedFrameIsNewOnceTakenEvenIfItsOwnMapWasMissed) {
    // IceWM puts a client in an inner window of an override-redirect frame,
    // whose events are not followed; the client's own map may come before its
    // events were selected.
    owners = {{10, owner(100, "org.example.Old")},
              {20, owner(200, "org.example.Quick")},
              {30, owner(300, "org.example.Slow")}};
    holders = {{22, 21}, {32, 31}, {42, 41}};
    registry.existingClient(10);
    settle();
    events.clear();
    registry.created(20);
    registry.reparented(20, 22, false);
    mappedOnServer.insert(20);
    settle();
    ASSERT_EQ(created(), (std::vector<Window>{20}));
    EXPECT_EQ(events.back().frame, 21u);

    // A frame that is seen: its map is the moment, whatever the client's map.
    events.clear();
    registry.created(30);
    registry.created(31);
    registry.reparented(30, 32, false);
    registry.mapped(30);
    settle();
    EXPECT_TRUE(created().empty());
    registry.mapped(31);
    settle();
    EXPECT_EQ(created(), (std::vector<Window>{30}));

    // A new manager puts the old client in its nested frame: not new.
    events.clear();
    registry.reparented(10, 42, false);
    mappedOnServer.insert(10);
    registry.mapped(10);
    settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowRegistryTest, AReusedIdIsANewWindowOfItsNewOwnerAndOneGoneUnreadIsNone) {
    owners = {{20, owner(200, "org.example.A")}};
    // Gone before its owner was read: never reported.
    registry.created(20);
    registry.mapped(20);
    registry.destroyed(20);
    settle();
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(registry.applications().empty());

    registry.created(20);
    manage(20, 21);
    ASSERT_EQ(created(), (std::vector<Window>{20}));
    const std::uint64_t first = events.back().instance;
    EXPECT_TRUE(registry.isCurrent(20, first));
    events.clear();

    // A's window ends within the 80 ms; B's first window gets the same id.
    registry.destroyed(21);
    registry.destroyed(20);
    EXPECT_FALSE(registry.isCurrent(20, first));
    owners[20] = owner(500, "org.example.B");
    registry.created(20);
    manage(20, 21);
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Terminated, Kind::Launched, Kind::WindowCreated}));
    EXPECT_EQ(events[0].application->processIdentifier, 200);
    EXPECT_EQ(events[2].pid, 500);
    EXPECT_FALSE(registry.isCurrent(20, first));
    EXPECT_TRUE(registry.isCurrent(20, events[2].instance));

    // An end that was missed: the creation under a known id starts afresh too.
    events.clear();
    owners[20] = owner(600, "org.example.C");
    registry.created(20);
    manage(20, 22);
    EXPECT_EQ(events.back().pid, 600);
}

TEST_F(WindowRegistryTest, ApplicationsFollowTheirWindowsAndOrdinaryOnesNameThem) {
    owners = {{20, owner(200, "org.example.Panel", false)},
              {30, ClientFacts{200, true, std::nullopt, "Bare"}},
              {40, owner(200, "org.example.Named")}};
    for (Window w : {20u, 30u, 40u}) {
        registry.created(w);
        registry.mapped(w);
        settle();
    }
    // Launched as an accessory, again as regular; the ordinary window with an id names it.
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Launched, Kind::WindowCreated, Kind::Launched,
                                          Kind::WindowCreated, Kind::WindowCreated}));
    EXPECT_EQ(events[0].application->activationPolicy, ActivationPolicy::Accessory);
    EXPECT_EQ(events[2].application->activationPolicy, ActivationPolicy::Regular);
    ASSERT_EQ(registry.applications().size(), 1u);
    EXPECT_EQ(registry.applications()[0]->bundleIdentifier, "org.example.Named");
    EXPECT_EQ(registry.applications()[0]->localizedName, "Named");
    events.clear();

    registry.destroyed(40);
    EXPECT_EQ(registry.applications()[0]->localizedName, "Bare");
    registry.destroyed(30);
    EXPECT_EQ(registry.applications()[0]->activationPolicy, ActivationPolicy::Accessory);
    registry.destroyed(20);
    settle();
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Terminated}));
    EXPECT_TRUE(registry.applications().empty());

    // A lost connection ends every application.
    owners[50] = owner(500, "org.example.Other");
    registry.created(50);
    registry.mapped(50);
    settle();
    events.clear();
    registry.clear();
    settle();
    EXPECT_EQ(kinds(), (std::vector<Kind>{Kind::Terminated}));
    EXPECT_TRUE(registry.applications().empty());
}

TEST_F(WindowRegistryTest, FramesAndTheManagersOwnWindowsAreNoNewWindows) {
    // A root child that is shown and known as no frame is read as a possible
    // frame: only a window the manager has taken counts then.
    registry.rootChild(31, true);
    registry.existingClient(31);
    const auto reads = registry.takeReads();
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_TRUE(reads[0].rootLevel);
    registry.factsRead(31, std::nullopt);
    registry.unmapped(31);
    registry.mapped(31);
    EXPECT_TRUE(registry.takeReads().empty()); // read once
    EXPECT_EQ(registry.takeShown(), (std::vector<Window>{31, 31}));

    // A manager started afterwards brings its task bar.
    registry.setManagerPid(900);
    owners[40] = owner(900, "IceWM");
    registry.created(40);
    registry.mapped(40);
    settle();
    EXPECT_TRUE(created().empty());
}

} // namespace
} // namespace tarnwick
