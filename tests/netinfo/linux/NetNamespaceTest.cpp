#include "testsupport/NetNamespace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace kestrove {
namespace {

ino_t NamespaceOfThisThread() {
    struct stat st {};
    ::stat("/proc/thread-self/ns/net", &st);
    return st.st_ino;
}

TEST(NetNamespace, UniqueNamesRemovedWithTheirObjects) {
    KESTROVE_REQUIRE_ROOT();
    std::string path;
    {
        test::NetNamespace a("probe");
        test::NetNamespace b("probe");
        EXPECT_NE(a.Name(), b.Name());
        EXPECT_EQ(a.Name().rfind("kv-probe-", 0), 0u);
        EXPECT_EQ(a.ExecOutput("echo inside"), "inside\n");
        EXPECT_EQ(a.Exec("exit 3"), 3);
        path = a.Path();
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(NetNamespace, EnteringMovesThisThreadAndComesBack) {
    KESTROVE_REQUIRE_ROOT();
    test::NetNamespace ns("enter");
    ino_t outside = NamespaceOfThisThread();
    {
        test::ScopedNetnsEnter inside(ns);
        struct stat target {};
        ASSERT_EQ(::stat(ns.Path().c_str(), &target), 0);
        EXPECT_EQ(NamespaceOfThisThread(), target.st_ino);
    }
    EXPECT_EQ(NamespaceOfThisThread(), outside);
}

}  // namespace
}  // namespace kestrove
