// The command line a parent or a desktop entry gives the game.
#include <gtest/gtest.h>

#include <vector>

#include "screens/CommandLine.h"

namespace {
CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "timburik");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(CommandLine, OptionsAndTheirMistakes) {
    const CommandLine c = Parse({"--windowed", "--data", "/srv/слова"});
    EXPECT_TRUE(c.error.empty());
    EXPECT_TRUE(c.windowed);
    EXPECT_EQ(c.dataFolder, std::filesystem::path("/srv/слова"));
    EXPECT_EQ(Parse({"--data=here"}).dataFolder, std::filesystem::path("here"));
    EXPECT_TRUE(Parse({"--version"}).version);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_FALSE(Parse({}).dataFolder.has_value());

    EXPECT_EQ(Parse({"--fullscreen"}).error, "unknown option --fullscreen (see --help)");
    EXPECT_EQ(Parse({"data"}).error, "unknown option data (see --help)");
    EXPECT_EQ(Parse({"--data"}).error, "option --data needs a folder");
    EXPECT_EQ(Parse({"--data="}).error, "option --data needs a folder");
}
