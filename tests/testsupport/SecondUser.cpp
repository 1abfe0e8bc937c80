#include "testsupport/SecondUser.h"

#include <unistd.h>

#include "testsupport/RunCommand.h"

namespace kestrove::test {

SecondUser::SecondUser()
    : name_("kvuser" + std::to_string(::getpid())), group_("kvshare" + std::to_string(::getpid())) {
    ready_ = RunCommand({"groupadd", group_}) == 0 &&
             RunCommand({"useradd", "--no-create-home", "--no-user-group", "--gid", group_,
                         "--shell", "/usr/sbin/nologin", name_}) == 0;
}

SecondUser::~SecondUser() {
    RunCommand({"userdel", name_});
    RunCommand({"groupdel", group_});
}

int SecondUser::Run(const std::vector<std::string>& argv) const {
    std::vector<std::string> command{"setpriv", "--reuid=" + name_, "--regid=" + group_,
                                     "--init-groups", "--"};
    command.insert(command.end(), argv.begin(), argv.end());
    return RunCommand(command);
}

}  // namespace kestrove::test
