#include "platform/pumped_wait.h"

namespace nolt {

void waitPumping(std::unique_lock<std::mutex>& lock, std::condition_variable& signal,
                 const std::function<bool()>& ended, const std::function<void()>& pump)
{
    while (!ended()) {
        lock.unlock();
        pump();
        lock.lock();
        signal.wait_for(lock, kPumpInterval, ended);
    }
}

}  // namespace nolt
