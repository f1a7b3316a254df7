#include "platform/x11/X11ClientReader.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(X11ClientReaderTest, ApplicationIdPrefersGtkThenKdeThenTheClass) {
    EXPECT_EQ(X11ClientReader::applicationId("org.gtk.App", "kde-app", "Class"), "org.gtk.App");
    EXPECT_EQ(X11ClientReader::applicationId(std::nullopt, "kde-app", "Class"), "kde-app");
    EXPECT_EQ(X11ClientReader::applicationId("", std::nullopt, "Class"), "Class");
    EXPECT_EQ(X11ClientReader::applicationId(std::nullopt, std::nullopt, std::nullopt),
              std::nullopt);
}

} // namespace
} // namespace tarnwick
