// The UI thread and the two ways it waits without freezing.
#pragma once

#include <chrono>
#include <functional>

namespace nolt::fw {

// True on the thread that owns the windows (the one that set up the
// window system), or when no window system is set up yet.
bool isUiThread();

// Runs fn on the UI thread and returns when it has finished. On the UI
// thread it simply calls fn. Control calls of the framework use this by
// themselves, so a worker thread may call them directly.
void runOnUiThread(const std::function<void()>& fn);

// Serves the events and calls from other threads that are pending now,
// without waiting and without user input. For waits that must not block a
// worker thread's window calls, such as stopping that thread.
void processPendingEvents();

// Keeps the UI thread serving paint events and calls from other threads,
// while user input (mouse, keys, wheel) is swallowed and never replayed,
// until done() returns true or the timeout passes. Returns done()'s last value.
bool waitWithInputBlocked(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Runs a blocking call (a shell command, a blocking receive) on a worker
// thread while the UI thread waits as in waitWithInputBlocked. Returns when
// the call has returned. The call must not itself wait for the UI thread
// except through runOnUiThread (which the wait serves).
void runWithInputBlocked(const std::function<void()>& blockingCall);

}  // namespace nolt::fw
