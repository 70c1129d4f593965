#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zr5 {

// The threads that share the row arithmetic of a block with the thread that reads it: started
// once, on the first block, one fewer than the cores the program may run on (none on one core,
// where every block is done by its caller as before). ZR5_ANALYSIS_THREADS=n caps the threads
// that work on a block, the caller included (1: the caller alone).
class BlockPool {
public:
    static BlockPool& shared();
    explicit BlockPool(int workers);
    ~BlockPool();
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // Calls work(begin, end) over [0, count) in pieces of `piece` handed out in order, on the
    // calling thread and the pool's threads; returns once every piece is done. The caller takes
    // pieces too, so a block never waits for a thread that has not started on it.
    void run(std::size_t count, std::size_t piece,
             const std::function<void(std::size_t, std::size_t)>& work);
    int workers() const { return int(threads_.size()); }

private:
    struct Job {
        std::size_t count = 0;
        std::size_t piece = 1;
        const std::function<void(std::size_t, std::size_t)>* work = nullptr;
        std::atomic<std::size_t> next{0};
    };
    static void take(Job& job);
    void serve();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    Job* job_ = nullptr;
    std::atomic<unsigned long> generation_{0};
    std::atomic<int> busy_{0};
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace zr5
