#include "analysis/blockpool.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <sched.h>

namespace zr5 {

namespace {

// The cores this process may run on (taskset and the like narrow them), capped by
// ZR5_ANALYSIS_THREADS.
int UsableCores() {
    int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        cores = std::max(1, CPU_COUNT(&set));
    bool ok = false;
    const int cap = qEnvironmentVariableIntValue("ZR5_ANALYSIS_THREADS", &ok);
    if (ok && cap >= 1)
        cores = std::min(cores, cap);
    return cores;
}

// How long a thread watches for what it waits on before it sleeps. A pass hands out its blocks
// a few tens of microseconds apart; waking a sleeping thread costs about as much again, more in
// a virtual machine, and the thread would wake only after the block's pieces were all taken.
constexpr auto kSpinTime = std::chrono::microseconds(200);

// Returns once done() holds or kSpinTime has passed.
template <class Done> void SpinUntil(Done&& done) {
    const auto until = std::chrono::steady_clock::now() + kSpinTime;
    for (int spin = 0; !done(); ++spin) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
        if (spin % 64 == 63 && std::chrono::steady_clock::now() >= until)
            return;
    }
}

} // namespace

BlockPool& BlockPool::shared() {
    static BlockPool pool(UsableCores() - 1);
    return pool;
}

BlockPool::BlockPool(int workers) {
    for (int i = 0; i < workers; ++i)
        threads_.emplace_back([this] { serve(); });
}

BlockPool::~BlockPool() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void BlockPool::take(Job& job) {
    for (;;) {
        const std::size_t begin = job.next.fetch_add(job.piece, std::memory_order_relaxed);
        if (begin >= job.count)
            return;
        (*job.work)(begin, std::min(job.count, begin + job.piece));
    }
}

void BlockPool::serve() {
    unsigned long seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!stop_ && generation_ == seen) {
            lock.unlock();
            SpinUntil([&] { return generation_.load(std::memory_order_acquire) != seen; });
            lock.lock();
        }
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_)
            return;
        seen = generation_;
        Job* job = job_;
        if (!job)
            continue; // the block was done before this thread woke
        ++busy_;
        lock.unlock();
        take(*job);
        lock.lock();
        if (--busy_ == 0)
            idle_.notify_all();
    }
}

void BlockPool::run(std::size_t count, std::size_t piece,
                    const std::function<void(std::size_t, std::size_t)>& work) {
    piece = std::max<std::size_t>(piece, 1);
    if (threads_.empty() || count <= piece) {
        if (count > 0)
            work(0, count);
        return;
    }
    Job job;
    job.count = count;
    job.piece = piece;
    job.work = &work;
    {
        std::lock_guard lock(mutex_);
        job_ = &job;
        ++generation_;
    }
    wake_.notify_all();
    take(job);
    // Every piece is taken; wait only for the threads still doing theirs.
    std::unique_lock lock(mutex_);
    job_ = nullptr;
    if (busy_ != 0) {
        lock.unlock();
        SpinUntil([&] { return busy_.load(std::memory_order_acquire) == 0; });
        lock.lock();
    }
    idle_.wait(lock, [&] { return busy_ == 0; });
}

} // namespace zr5
