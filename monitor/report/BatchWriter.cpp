#include "monitor/report/BatchWriter.h"

#include <system_error>

namespace kestrove {

BatchWriter::~BatchWriter() {
    Abandon();
}

void BatchWriter::Put(std::string& batch) {
    std::unique_lock lock(mutex_);
    if (stopping_) {
        batch.clear();
        return;
    }
    if (!worker_.joinable() && !inline_) {
        try {
            worker_ = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            // No thread to be had (a process at its limit): the batches are written here.
            inline_ = true;
        }
    }
    if (inline_) {
        lock.unlock();
        sink_(batch);
        batch.clear();
        return;
    }
    wake_.wait(lock, [this] { return waiting_.size() + busy_ < kInFlight; });
    waiting_.push_back(std::move(batch));
    batch.clear();
    if (!spare_.empty()) {
        batch.swap(spare_.back());
        spare_.pop_back();
    }
    wake_.notify_all();
}

void BatchWriter::Finish() {
    Stop(false);
}

void BatchWriter::Abandon() {
    Stop(true);
}

void BatchWriter::Stop(bool dropWaiting) {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (dropWaiting) {
            waiting_.clear();
        }
        wake_.notify_all();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

void BatchWriter::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;
        }
        std::string batch = std::move(waiting_.front());
        waiting_.pop_front();
        ++busy_;
        lock.unlock();
        sink_(batch);
        batch.clear();
        lock.lock();
        --busy_;
        spare_.push_back(std::move(batch));
        wake_.notify_all();
    }
}

}  // namespace kestrove
