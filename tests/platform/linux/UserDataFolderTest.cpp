// The user's folder by the Linux desktop's conventions (XDG), paths as Linux spells them.
#include <gtest/gtest.h>

#include "platform/ProgramFolders.h"

TEST(ContentLocation, TheUsersFolderFollowsTheDesktopsConventions) {
    EXPECT_EQ(UserDataFolder("/x/data", "/home/a"), std::filesystem::path("/x/data/timburik"));
    EXPECT_EQ(UserDataFolder("relative/data", "/home/a"), std::filesystem::path("/home/a/.local/share/timburik"));
    EXPECT_EQ(UserDataFolder("", "/home/a"), std::filesystem::path("/home/a/.local/share/timburik"));
    EXPECT_TRUE(UserDataFolder(nullptr, "").empty());
    EXPECT_TRUE(UserDataFolder(nullptr, "home").empty());
}
