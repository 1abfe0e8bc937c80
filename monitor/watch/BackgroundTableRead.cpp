#include "monitor/watch/BackgroundTableRead.h"

#include <utility>

namespace kestrove {

BackgroundTableRead::BackgroundTableRead(std::unique_ptr<ArpTableSource> source,
                                         PostToMonitorThread post)
    : source_(std::move(source)), post_(std::move(post)), worker_([this] { Run(); }) {}

BackgroundTableRead::~BackgroundTableRead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
    *alive_ = false;
}

void BackgroundTableRead::Start(std::vector<ArpEntry> buffer, Done done) {
    {
        std::lock_guard lock(mutex_);
        request_ = Request{std::move(buffer), std::move(done)};
    }
    wake_.notify_one();
}

void BackgroundTableRead::Run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || request_.has_value(); });
            if (stopping_) {
                return;
            }
            request = std::move(*request_);
            request_.reset();
        }
        bool read = source_->Read(request.buffer);
        post_([alive = alive_, read, request = std::move(request)]() mutable {
            if (*alive) {
                request.done(read, request.buffer);
            }
        });
    }
}

}  // namespace kestrove
