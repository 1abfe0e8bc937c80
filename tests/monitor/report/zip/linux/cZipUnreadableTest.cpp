#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../ZipFixture.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

using cZipTest = ZipFixture;

TEST_F(cZipTest, UnreadableFileFails) {
    fs::path a = Put("a.txt", "a");
    fs::permissions(a, fs::perms::none);
    auto zipUnreadable = [&] {
        cZip zip = Fresh({a});
        zip.Zip();
        return !zip.Success() && !fs::exists(Archive());
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(zipUnreadable());
        return;
    }
    // Root reads every file: the archive is made by a child that gives up root first.
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::chown(dir.Path().c_str(), kNobody, kNobody), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool ok = ::setresgid(kNobody, kNobody, kNobody) == 0 &&
                  ::setresuid(kNobody, kNobody, kNobody) == 0 && zipUnreadable();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace kestrove::test
