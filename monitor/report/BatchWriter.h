#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kestrove {

// Hands batches of bytes to a sink on a thread of its own, so the kernel's part of writing a
// large document (copying it into the page cache, twice) runs beside the making of it instead
// of after each batch. The thread starts with the first batch. At most kInFlight batches wait,
// so memory stays bounded however large the document grows; Put() waits beyond that.
class BatchWriter {
public:
    using Sink = std::function<void(std::string_view)>;
    static constexpr std::size_t kInFlight = 4;

    explicit BatchWriter(Sink sink) : sink_(std::move(sink)) {}
    ~BatchWriter();
    BatchWriter(const BatchWriter&) = delete;
    BatchWriter& operator=(const BatchWriter&) = delete;

    // Takes the bytes of `batch` and leaves it empty, with room kept from an earlier batch.
    void Put(std::string& batch);
    // Returns once every batch put has gone to the sink; the sink is not called after this.
    void Finish();
    // Returns at once, dropping the batches that wait; the sink is not called after this.
    void Abandon();

private:
    void Work();
    void Stop(bool dropWaiting);

    Sink sink_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> waiting_;
    std::vector<std::string> spare_;
    std::size_t busy_ = 0;  // batches taken by the thread, not yet written
    bool stopping_ = false;
    bool inline_ = false;
    std::thread worker_;
};

}  // namespace kestrove
