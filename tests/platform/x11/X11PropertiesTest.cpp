#include "platform/x11/X11Properties.h"

#include <cstring>
#include <gtest/gtest.h>

namespace tarnwick::X11Properties {
namespace {

constexpr std::uint32_t kUtf8 = 300;
constexpr std::uint32_t kWmStateAtom = 301;

RawProperty longs(std::uint32_t type, std::vector<std::uint32_t> values) {
    RawProperty p{type, 32, std::vector<std::uint8_t>(values.size() * 4), false};
    std::memcpy(p.bytes.data(), values.data(), p.bytes.size());
    return p;
}

RawProperty text(std::uint32_t type, std::string_view s) {
    return {type, 8, std::vector<std::uint8_t>(s.begin(), s.end()), false};
}

TEST(X11Properties, ValuesNeedTheirTypeFormatWholeItemsAndSaneCounts) {
    EXPECT_EQ(windows(longs(kAtomWindow, {7, 9})), (std::vector<std::uint32_t>{7, 9}));
    EXPECT_EQ(pid(longs(kAtomCardinal, {4242})), 4242);
    EXPECT_EQ(window(longs(kAtomWindow, {0x400001})), 0x400001u);
    EXPECT_EQ(wmState(longs(kWmStateAtom, {3, 0}), kWmStateAtom), 3u);
    // Another type, another format, a cut item, more on the server, nothing.
    for (const RawProperty& bad :
         {longs(kAtomCardinal, {7}), RawProperty{kAtomWindow, 16, {7, 0, 0, 0}, false},
          RawProperty{kAtomWindow, 32, {7, 0, 0}, false},
          RawProperty{kAtomWindow, 32, {7, 0, 0, 0}, true}, RawProperty{}})
        EXPECT_FALSE(windows(bad));
    EXPECT_FALSE(atoms(longs(kAtomAtom, std::vector<std::uint32_t>(1025, 1))));
    // A pid is one positive 32-bit cardinal.
    for (const RawProperty& bad : {longs(kAtomCardinal, {0}), longs(kAtomCardinal, {0x80000000u}),
                                   longs(kAtomCardinal, {1, 2}), longs(kAtomInteger, {42})})
        EXPECT_FALSE(pid(bad));
    EXPECT_FALSE(window(longs(kAtomWindow, {0})));
    EXPECT_FALSE(wmState(longs(kAtomCardinal, {3, 0}), kWmStateAtom));
}

TEST(X11Properties, Utf8TextIsStrictAndComposed) {
    EXPECT_EQ(utf8Text(text(kUtf8, "org.gnome.Terminal"), kUtf8), "org.gnome.Terminal");
    EXPECT_EQ(utf8Text(text(kUtf8, std::string("app\0", 4)), kUtf8), "app");
    // "e" + combining acute becomes the precomposed letter.
    EXPECT_EQ(utf8Text(text(kUtf8, "Caf\x65\xCC\x81"), kUtf8), "Caf\xC3\xA9");
    // Overlong, a surrogate, above U+10FFFF, cut short, not UTF-8, an inner NUL, empty, too long.
    for (const std::string& bad : std::vector<std::string>{
             "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ab\xE2\x82", "\xFF",
             std::string("a\0b", 3), std::string(), std::string(kMaxTextBytes + 1, 'a')})
        EXPECT_FALSE(utf8Text(text(kUtf8, bad), kUtf8)) << bad;
    EXPECT_FALSE(utf8Text(text(kAtomString, "latin"), kUtf8));
    EXPECT_FALSE(utf8Text(RawProperty{kUtf8, 32, {'a', 'b', 'c', 'd'}, false}, kUtf8));
}

TEST(X11Properties, WmClassNeedsTwoLatin1Parts) {
    const auto xterm = wmClass(text(kAtomString, std::string("xterm\0XTerm\0", 12)));
    ASSERT_TRUE(xterm);
    EXPECT_EQ(xterm->instance, "xterm");
    EXPECT_EQ(xterm->className, "XTerm");
    EXPECT_EQ(wmClass(text(kAtomString, std::string("a\0B", 3)))->className, "B");
    EXPECT_EQ(wmClass(text(kAtomString, std::string("a\0B\0\0", 5)))->className, "B");
    EXPECT_EQ(wmClass(text(kAtomString, std::string("a\0\xE9t\xE9", 5)))->className,
              "\xC3\xA9t\xC3\xA9");
    for (const std::string& bad :
         {std::string("noseparator"), std::string("a\0", 2), std::string("a\0B\0extra", 9)})
        EXPECT_FALSE(wmClass(text(kAtomString, bad)));
    EXPECT_FALSE(wmClass(text(kUtf8, std::string("a\0B\0", 4))));
}

TEST(X11Properties, StrutsAndExtentsRejectAbsurdValues) {
    const auto partial =
        strutPartial(longs(kAtomCardinal, {0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1919}));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->bottom, 40u);
    EXPECT_EQ(partial->bottomEndX, 1919u);
    EXPECT_FALSE(strutPartial(longs(kAtomCardinal, {0, 0, 0, 40})));
    // A range that ends before it starts.
    EXPECT_FALSE(strutPartial(longs(kAtomCardinal, {0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 500, 100})));
    EXPECT_FALSE(
        strutPartial(longs(kAtomCardinal, {0, 0, 0, 0xFFFFFFFFu, 0, 0, 0, 0, 0, 0, 0, 9})));

    const auto full = strut(longs(kAtomCardinal, {30, 0, 0, 0}), 3200, 1080);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->left, 30u);
    EXPECT_EQ(full->leftEndY, 1079u);
    EXPECT_EQ(full->topEndX, 3199u);
    EXPECT_FALSE(strut(longs(kAtomCardinal, {30, 0, 0, 0}), 0, 0));

    EXPECT_EQ(frameExtents(longs(kAtomCardinal, {1, 1, 20, 5})), (FrameExtents{1, 1, 20, 5}));
    EXPECT_FALSE(frameExtents(longs(kAtomCardinal, {1, 1, 20})));
    EXPECT_FALSE(frameExtents(longs(kAtomCardinal, {1, 1, 100000, 5})));
}

TEST(X11Properties, WindowKindFollowsTypeThenTransience) {
    const TypeAtoms known{10, 11, 12, 13, 14, 15};
    using V = std::vector<std::uint32_t>;
    EXPECT_EQ(windowKind(V{10}, true, known), WindowKind::Standard);
    EXPECT_EQ(windowKind(V{11}, false, known), WindowKind::Dialog);
    EXPECT_EQ(windowKind(V{15}, false, known), WindowKind::Floating);
    EXPECT_EQ(windowKind(V{99, 12}, false, known), WindowKind::Floating); // unknown first
    EXPECT_EQ(windowKind(V{99}, false, known), WindowKind::Other);        // a dock, say
    EXPECT_EQ(windowKind(std::nullopt, false, known), WindowKind::Standard);
    EXPECT_EQ(windowKind(std::nullopt, true, known), WindowKind::Dialog);
}

TEST(X11Properties, PidComesOnlyFromTheWindowsOwnClient) {
    const std::uint32_t window = 0x01A00007;
    const std::vector<ClientIdValue> ids{{0x01A00000, 2, {777}}};
    EXPECT_EQ(pidFromClientIds(window, ids), 777);
    EXPECT_FALSE(pidFromClientIds(0, ids));
    // Another client's entry, a client id (mask 1) or a malformed value are ignored.
    for (const ClientIdValue& other :
         {ClientIdValue{0x02000000, 2, {9}}, ClientIdValue{0x01A00000, 1, {9}},
          ClientIdValue{0x01A00000, 2, {9, 9}}, ClientIdValue{0, 2, {9}}})
        EXPECT_FALSE(pidFromClientIds(window, std::vector<ClientIdValue>{other}));
}

} // namespace
} // namespace tarnwick::X11Properties
