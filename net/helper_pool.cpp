#include "net/helper_pool.h"

#include <system_error>
#include <thread>
#include <utility>

HelperPool::HelperPool(size_t maxIdle) : state_(std::make_shared<State>(maxIdle)) {}

HelperPool::~HelperPool() {
    {
        std::lock_guard<std::mutex> hold(state_->lock);
        state_->closing = true;
    }
    state_->wake.notify_all();
}

bool HelperPool::run(std::function<void()> work, std::function<void()> then) {
    Job job{std::move(work), std::move(then)};
    std::unique_lock<std::mutex> hold(state_->lock);
    if (state_->idle > 0) {
        --state_->idle;
        state_->queue.push_back(std::move(job));
        hold.unlock();
        state_->wake.notify_one();
        return true;
    }
    hold.unlock();
    try {
        std::thread(Serve, state_, std::move(job)).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::lock_guard<std::mutex> count(state_->lock);
    ++state_->made;
    return true;
}

void HelperPool::Serve(const std::shared_ptr<State>& state, Job job) {
    for (;;) {
        job.work();
        job.work = nullptr;  // what the job holds goes now, not when the next one comes
        std::unique_lock<std::mutex> hold(state->lock);
        const bool staying = !state->closing && state->idle < state->maxIdle;
        if (staying) ++state->idle;
        if (job.then) {
            // Counted idle first: a job handed over from here on is queued for this
            // helper, and the wait below sees it.
            hold.unlock();
            job.then();
            job.then = nullptr;
            hold.lock();
        }
        if (!staying) return;
        state->wake.wait(hold, [&] { return !state->queue.empty() || state->closing; });
        if (state->queue.empty()) {  // closing with nothing handed over
            --state->idle;
            return;
        }
        job = std::move(state->queue.front());
        state->queue.pop_front();
    }
}

size_t HelperPool::idle() const {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->idle;
}

size_t HelperPool::threadsMade() const {
    std::lock_guard<std::mutex> hold(state_->lock);
    return state_->made;
}
