#pragma once

#include <string>
#include <vector>

namespace kestrove::test {

// Another local user of this machine, with a group of its own that the test can share folders
// through (root only). Both go again with the object.
class SecondUser {
public:
    SecondUser();
    ~SecondUser();
    SecondUser(const SecondUser&) = delete;
    SecondUser& operator=(const SecondUser&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Name() const { return name_; }
    const std::string& Group() const { return group_; }
    // Runs a program as this user (its group, no other); its exit status.
    int Run(const std::vector<std::string>& argv) const;

private:
    std::string name_;
    std::string group_;
    bool ready_ = false;
};

}  // namespace kestrove::test
