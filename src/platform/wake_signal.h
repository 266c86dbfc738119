// A handle that another thread can make readable to end a blocking wait on a
// socket at once. The link thread waits on its socket and on this handle
// together, so closing the link never has to wait for a time-out.
#pragma once

#include <cstdint>

namespace nolt {

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // False when the handle could not be created; waits then rely on the
    // socket being shut down instead.
    bool valid() const;

    // Makes the handle readable. Callable from any thread.
    void signal();
    // Empties the handle so that the next wait blocks again.
    void drain();

    // The handle to wait on for readability (a descriptor or a SOCKET).
    std::uintptr_t waitHandle() const { return readEnd_; }

private:
    std::uintptr_t readEnd_;
    std::uintptr_t writeEnd_;
};

}  // namespace nolt
