#include "viewer/LogCommandLine.h"

#include <gtest/gtest.h>

namespace kestrove {
namespace {

std::string PathOf(std::vector<std::string> args) {
    return LogFilePathFromArguments(args);
}

TEST(LogCommandLineTest, QuotedAndUnquotedPathWithBlanksOpenTheSameFile) {
    const std::string path = "/home/user/Kestrove dir/log/alart.log";
    EXPECT_EQ(PathOf({path}), path);
    EXPECT_EQ(PathOf({"\"" + path + "\""}), path);
    // A caller that did not quote it: the shell splits it into several arguments.
    EXPECT_EQ(PathOf({"/home/user/Kestrove", "dir/log/alart.log"}), path);
    EXPECT_EQ(PathOf({"\"/home/user/Kestrove", "dir/log/alart.log\""}), path);
}

TEST(LogCommandLineTest, EachQuoteGoesOnItsOwn) {
    EXPECT_EQ(PathOf({"/tmp/alart.log\""}), "/tmp/alart.log");
    EXPECT_EQ(PathOf({"\"/tmp/alart.log"}), "/tmp/alart.log");
    EXPECT_EQ(PathOf({"\"\"/tmp/alart.log\"\""}), "\"/tmp/alart.log\"") << "only one each";
    EXPECT_EQ(PathOf({"/tmp/a\"b.log"}), "/tmp/a\"b.log") << "quotes inside stay";
}

TEST(LogCommandLineTest, SurroundingBlanksGoInnerBlanksStay) {
    EXPECT_EQ(PathOf({"  /tmp/alart.log \t"}), "/tmp/alart.log");
    EXPECT_EQ(PathOf({" \"/tmp/a  b.log\" "}), "/tmp/a  b.log");
    EXPECT_EQ(PathOf({"\" /tmp/x.log \""}), " /tmp/x.log ") << "blanks inside quotes are the path";
}

TEST(LogCommandLineTest, NoPathAtAll) {
    EXPECT_EQ(PathOf({}), "");
    EXPECT_EQ(PathOf({""}), "");
    EXPECT_EQ(PathOf({"   "}), "");
    EXPECT_EQ(PathOf({"\""}), "");
    EXPECT_EQ(PathOf({"\"\""}), "");
}

}  // namespace
}  // namespace kestrove
