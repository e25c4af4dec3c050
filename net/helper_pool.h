// Threads that outlive their jobs. A request waits on its own helper thread so that
// its caller can give up on a call that never returns; making a thread for every
// request, as a refresh downloading a thousand pictures would, now and then made one
// under Wine that never ran (while the last one was ending), holding the refresh for
// the transport's whole silence limit. Idle helpers wait for the next job instead; a
// helper whose job hangs is simply not idle, and a new one is made beside it.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class HelperPool {
public:
    explicit HelperPool(size_t maxIdle);
    // Idle helpers end; busy ones end when their job returns.
    ~HelperPool();
    HelperPool(const HelperPool&) = delete;
    HelperPool& operator=(const HelperPool&) = delete;

    // Hands the job to an idle helper or a new one; false, and the job not run, when
    // no thread could be made. `then`, if given, runs on the helper after the job, once
    // the helper counts as idle: a caller that it wakes and that hands over the next
    // job finds the helper waiting, where one woken by the job itself would often make
    // a thread while the last was ending.
    bool run(std::function<void()> job, std::function<void()> then = nullptr);

    size_t idle() const;         // helpers waiting for a job
    size_t threadsMade() const;  // in all

private:
    struct Job {
        std::function<void()> work, then;
    };
    struct State {
        explicit State(size_t most) : maxIdle(most) {}
        const size_t maxIdle;
        mutable std::mutex lock;
        std::condition_variable wake;
        std::deque<Job> queue;                    // handed over, not yet taken
        size_t idle = 0;                          // helpers waiting, less the jobs queued for them
        size_t made = 0;
        bool closing = false;
    };
    static void Serve(const std::shared_ptr<State>& state, Job job);

    std::shared_ptr<State> state_;  // the helpers' too: they may outlive the pool
};
