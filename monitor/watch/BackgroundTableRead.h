#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "common/MonitorThread.h"
#include "monitor/watch/TableRead.h"

namespace kestrove {

// Reads the table on a thread of its own and hands the outcome back through `post`. The
// source is used by that thread alone: give it a source of its own (its own socket).
class BackgroundTableRead final : public TableRead {
public:
    BackgroundTableRead(std::unique_ptr<ArpTableSource> source, PostToMonitorThread post);
    // Waits for a read under way (one dump); its outcome is never handed back.
    ~BackgroundTableRead() override;
    BackgroundTableRead(const BackgroundTableRead&) = delete;
    BackgroundTableRead& operator=(const BackgroundTableRead&) = delete;

    void Start(std::vector<ArpEntry> buffer, Done done) override;

private:
    struct Request {
        std::vector<ArpEntry> buffer;
        Done done;
    };
    void Run();

    std::unique_ptr<ArpTableSource> source_;
    PostToMonitorThread post_;
    // Cleared when this object goes, so an outcome still queued for the monitor's thread is
    // dropped there.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Request> request_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace kestrove
