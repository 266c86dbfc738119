// Waiting for a worker thread to end while the waiting thread keeps serving
// what the worker may be waiting for (a window's calls): between short waits
// on the worker's signal, the caller's pump runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace nolt {

// How long one wait lasts before the pump runs again.
inline constexpr std::chrono::milliseconds kPumpInterval{2};

// Returns once ended() holds; `lock` holds the mutex that guards it and
// that `signal` is notified under. The pump runs without the lock.
void waitPumping(std::unique_lock<std::mutex>& lock, std::condition_variable& signal,
                 const std::function<bool()>& ended, const std::function<void()>& pump);

}  // namespace nolt
