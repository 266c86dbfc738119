// The one connection to the module: its socket, the connected flag and the
// link thread that connects and then receives every reply. Called by the
// main dialog on the UI thread; the link thread reaches the window only
// through LinkUi, whose calls the UI thread carries out.
#pragma once

#include "link/frame_reader.h"
#include "link/link_ui.h"
#include "link/text_request.h"
#include "link/trace.h"
#include "platform/tcp_socket.h"
#include "platform/wake_signal.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace nolt {

namespace capture {
class CaptureConnection;
class CaptureFile;
}  // namespace capture

struct Effect;

class Link {
public:
    // Every block sent and received goes to the trace, when there is one:
    // by default the file named by NOLT_PCCLIENT_TRACE.
    explicit Link(LinkUi& ui, std::shared_ptr<TraceSink> trace = TraceSink::fromEnvironment());
    // Stops and joins the link thread without pumping the UI: a dialog must
    // call stop() with its pump first if the thread may be waiting on it.
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Starts the link thread with the typed address and port. Does nothing
    // and returns false while a link thread runs.
    bool connect(std::wstring ipText, std::wstring portText);

    // The link reset, from the UI thread: Connect enabled, Disconnect
    // disabled, the socket closed (which ends a pending connect or receive at
    // once), the flag cleared, the version and self-test fields emptied.
    // Never waits for the link thread.
    void reset();

    bool connected() const { return connected_.load(); }
    bool threadRunning() const { return running_.load(); }

    // One send of a command frame. On failure logs the send-failure line and
    // returns false; a short count counts as success.
    bool sendCommandFrame(std::span<const std::uint8_t> frame);
    // One send of raw bytes: the count sent or -1, with nothing logged.
    long sendRaw(std::span<const std::uint8_t> bytes);

    // Registers for the next block of unframed text; register before sending
    // the request. A newer request replaces an older one, and the link's end
    // (reset, a hang-up, stop) cancels it.
    std::shared_ptr<TextRequest> beginTextRequest();

    // Records every block sent and received from now on into `file`, each
    // link session as one TCP connection; a session already open is begun
    // there with a handshake now. Replaces a recording in progress. When a
    // write to the file fails the recording ends and LinkUi hears of it once.
    void startRecording(std::shared_ptr<capture::CaptureFile> file);
    // Ends the recording; the file keeps what was recorded.
    void stopRecording();
    bool recording() const { return recording_.load(); }

    // Ends the link thread and joins it, calling pumpUi while waiting so that
    // a window call the thread is making can complete. After this the thread
    // makes no more window calls.
    void stop(const std::function<void()>& pumpUi);

private:
    using SocketPtr = std::shared_ptr<TcpSocket>;

    void run(std::wstring ipText, std::wstring portText);
    SocketPtr connectProcedure(const std::wstring& ipText, const std::wstring& portText);
    void connectFailed(const SocketPtr& socket);
    void receiveLoop(const SocketPtr& socket);
    bool handleItems(std::vector<ReceivedItem> items);
    bool applyEffects(const std::vector<Effect>& effects);
    void routeText(const Bytes& block);
    void closeSocket();
    void releaseSocket(const SocketPtr& socket);
    SocketPtr currentSocket() const;
    void traceBlock(TraceDirection direction, std::span<const std::uint8_t> bytes) const;
    // The trace line and the recording of one block; the caller holds traceOrder_.
    void recordBlock(TraceDirection direction, std::span<const std::uint8_t> bytes);
    // The session's TCP connection begins (connected) or ends (closed by the
    // tool or by the module) in the recording.
    void sessionConnected(const SocketPtr& socket);
    void sessionEnded(bool byModule);
    void beginCapturedConnection();  // the caller holds traceOrder_
    // Ends a recording whose file failed, and tells the window once. Call
    // without traceOrder_ held: the window may be waited for.
    void reportRecordingFailure();

    // Window calls of the link thread; silent once stop() has begun.
    void log(const std::wstring& line);
    void box(const std::wstring& text, BoxIcon icon);
    void enable(int id, bool on);
    void setText(int id, const std::wstring& text);

    LinkUi& ui_;
    WakeSignal wake_;
    mutable std::mutex mutex_;  // guards socket_, peer_ and textRequest_
    SocketPtr socket_;
    std::string peer_;  // "address:port" of the connection, for the trace
    const std::shared_ptr<TraceSink> trace_;
    // A send and its trace line and recording against a receive and its;
    // guards the recording's members below.
    std::mutex traceOrder_;
    std::shared_ptr<capture::CaptureFile> capture_;
    std::shared_ptr<capture::CaptureConnection> captureConnection_;
    std::optional<ConnectionEndpoints> sessionEnds_;  // while a session is connected
    std::atomic<bool> recording_{false};
    std::shared_ptr<TextRequest> textRequest_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> closedByTool_{false};
    std::atomic<bool> stopping_{false};
    std::mutex doneMutex_;
    std::condition_variable done_;
    std::thread thread_;
};

}  // namespace nolt
