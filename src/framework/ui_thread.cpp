#include "framework/ui_thread.h"

#include <atomic>
#include <thread>

namespace nolt::fw {

void runWithInputBlocked(const std::function<void()>& blockingCall)
{
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        blockingCall();
        finished = true;
    });
    while (!waitWithInputBlocked([&] { return finished.load(); }, std::chrono::hours(1))) {
    }
    worker.join();
}

}  // namespace nolt::fw
