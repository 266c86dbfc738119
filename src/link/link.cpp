#include "link/link.h"

#include "capture/capture_connection.h"
#include "capture/capture_file.h"
#include "link/connect_input.h"
#include "link/effect.h"
#include "link/link_texts.h"
#include "link/replies.h"
#include "platform/code_page.h"
#include "platform/pumped_wait.h"
#include "res/resource.h"

#include <array>
#include <chrono>

namespace nolt {

namespace {

constexpr const wchar_t* kSocketFailed = L"Failed to create socket";
constexpr const wchar_t* kBadInput = kLinkBadInput;
constexpr const wchar_t* kWaiting = L"Waiting for connection..........";
constexpr const wchar_t* kConnectFailedBox =
    L"Connection failed, please check whether the filling is correct and whether the network "
    L"connection is normal!";
constexpr const wchar_t* kConnectFailedLog = kLinkConnectFailedLog;
constexpr const wchar_t* kConnected = L"Connection to server succeeded.";
constexpr const wchar_t* kDisconnected = kLinkDisconnected;
constexpr const wchar_t* kSendFailed = kLinkSendFailed;

// The fields a link reset empties, in the order it empties them.
constexpr std::array kResetFields = {res::IDC_VERSION, res::IDC_INPUT_FREQ, res::IDC_OUTPUT_FREQ,
                                     res::IDC_DEST_IMG_SIZE, res::IDC_SRC_IMG_SIZE};

// One read takes at most what the receive buffer holds, so that an unframed
// answer arrives in the same pieces as the module wrote it.
constexpr std::size_t kReadSize = kReceiveBufferSize;

}  // namespace

Link::Link(LinkUi& ui, std::shared_ptr<TraceSink> trace) : ui_(ui), trace_(std::move(trace)) {}

Link::~Link()
{
    stop([] {});
}

bool Link::connect(std::wstring ipText, std::wstring portText)
{
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join();  // the last thread has finished
    stopping_ = false;
    closedByTool_ = false;
    wake_.drain();
    running_ = true;
    thread_ = std::thread(&Link::run, this, std::move(ipText), std::move(portText));
    return true;
}

void Link::reset()
{
    enable(res::IDC_CONNECT, true);
    enable(res::IDC_DISCONNECT, false);
    closeSocket();
    connected_ = false;
    for (int id : kResetFields) setText(id, L"");
}

void Link::stop(const std::function<void()>& pumpUi)
{
    stopping_ = true;
    closeSocket();
    std::unique_lock lock(doneMutex_);
    waitPumping(lock, done_, [this] { return !running_.load(); }, pumpUi);
    lock.unlock();
    if (thread_.joinable()) thread_.join();
    connected_ = false;
}

bool Link::sendCommandFrame(std::span<const std::uint8_t> frame)
{
    if (sendRaw(frame) >= 0) return true;
    log(kSendFailed);
    return false;
}

long Link::sendRaw(std::span<const std::uint8_t> bytes)
{
    const SocketPtr socket = currentSocket();
    if (!socket) return -1;
    if (!trace_ && !recording_.load()) return socket->send(bytes);
    // The send and its record are one step, so that the reply, which the
    // link thread may read at once, never comes before it in the trace or
    // the recording.
    long sent;
    {
        std::lock_guard order(traceOrder_);
        sent = socket->send(bytes);
        if (sent >= 0) recordBlock(TraceDirection::Sent, bytes.first(static_cast<std::size_t>(sent)));
    }
    reportRecordingFailure();
    return sent;
}

void Link::recordBlock(TraceDirection direction, std::span<const std::uint8_t> bytes)
{
    traceBlock(direction, bytes);
    if (!captureConnection_) return;
    if (direction == TraceDirection::Sent)
        captureConnection_->sent(bytes);
    else
        captureConnection_->received(bytes);
}

void Link::startRecording(std::shared_ptr<capture::CaptureFile> file)
{
    {
        std::lock_guard order(traceOrder_);
        capture_ = std::move(file);
        captureConnection_.reset();
        recording_ = capture_ != nullptr;
        if (sessionEnds_) beginCapturedConnection();
    }
    reportRecordingFailure();
}

void Link::stopRecording()
{
    std::lock_guard order(traceOrder_);
    capture_.reset();
    captureConnection_.reset();
    recording_ = false;
}

void Link::beginCapturedConnection()
{
    if (capture_ && sessionEnds_) captureConnection_ = capture_->beginConnection(*sessionEnds_);
}

void Link::sessionConnected(const SocketPtr& socket)
{
    {
        std::lock_guard order(traceOrder_);
        sessionEnds_ = socket->endpoints();
        beginCapturedConnection();
    }
    reportRecordingFailure();
}

void Link::sessionEnded(bool byModule)
{
    {
        std::lock_guard order(traceOrder_);
        if (captureConnection_)
            captureConnection_->close(byModule ? capture::CaptureConnection::Side::Module
                                               : capture::CaptureConnection::Side::Tool);
        captureConnection_.reset();
        sessionEnds_.reset();
    }
    reportRecordingFailure();
}

void Link::reportRecordingFailure()
{
    std::shared_ptr<capture::CaptureFile> failed;
    {
        std::lock_guard order(traceOrder_);
        if (!capture_ || !capture_->failed()) return;
        failed = std::move(capture_);
        captureConnection_.reset();
        recording_ = false;
    }
    if (const auto error = failed->takeFailure(); error && !stopping_.load())
        ui_.recordingFailed(failed->path(), *error);
}

void Link::traceBlock(TraceDirection direction, std::span<const std::uint8_t> bytes) const
{
    if (!trace_) return;
    std::string peer;
    {
        std::lock_guard lock(mutex_);
        peer = peer_;
    }
    trace_->record(peer, direction, bytes);
}

std::shared_ptr<TextRequest> Link::beginTextRequest()
{
    auto request = std::make_shared<TextRequest>();
    std::lock_guard lock(mutex_);
    if (textRequest_) textRequest_->cancel();
    textRequest_ = request;
    return request;
}

Link::SocketPtr Link::currentSocket() const
{
    std::lock_guard lock(mutex_);
    return socket_;
}

// Marks the session as closed by the tool before shutting the socket down,
// so the link thread, woken by either, never mistakes it for a lost link.
// The handle itself is released only when its last user lets go of it.
void Link::closeSocket()
{
    closedByTool_ = true;
    SocketPtr socket;
    std::shared_ptr<TextRequest> request;
    {
        std::lock_guard lock(mutex_);
        socket = std::move(socket_);
        request = std::move(textRequest_);
    }
    if (socket) socket->shutdown();
    sessionEnded(false);
    // No answer can come any more: whoever waits for one stops now.
    if (request) request->cancel();
    wake_.signal();
}

void Link::releaseSocket(const SocketPtr& socket)
{
    std::lock_guard lock(mutex_);
    if (socket_ == socket) socket_.reset();
}

void Link::run(std::wstring ipText, std::wstring portText)
{
    if (const SocketPtr socket = connectProcedure(ipText, portText)) receiveLoop(socket);
    {
        std::lock_guard lock(doneMutex_);
        running_ = false;
    }
    done_.notify_all();
}

Link::SocketPtr Link::connectProcedure(const std::wstring& ipText, const std::wstring& portText)
{
    std::optional<TcpSocket> created = TcpSocket::create();
    if (!created) {
        box(kSocketFailed, BoxIcon::None);
        return nullptr;
    }
    auto socket = std::make_shared<TcpSocket>(std::move(*created));
    const int port = readPortText(portText);
    {
        std::lock_guard lock(mutex_);
        socket_ = socket;
        peer_ = toNarrow(ipText) + ":" + std::to_string(port);
    }
    if (!connectInputAcceptable(ipText, port)) {
        box(kBadInput, BoxIcon::None);
        releaseSocket(socket);
        return nullptr;
    }
    log(kWaiting);
    socket->enableKeepAlive();
    enable(res::IDC_CONNECT, false);
    const std::optional<std::uint32_t> address = readAddressText(ipText);
    enable(res::IDC_DISCONNECT, true);
    if (!address || closedByTool_.load()
        || socket->connect(*address, static_cast<std::uint16_t>(port), &wake_)
               != TcpSocket::ConnectOutcome::Connected) {
        connectFailed(socket);
        return nullptr;
    }
    sessionConnected(socket);
    if (!stopping_.load()) ui_.clearLog();
    log(kConnected);
    enable(res::IDC_DISCONNECT, true);
    enable(res::IDC_CONNECT, false);
    connected_ = true;
    if (closedByTool_.load()) {
        // Disconnect was pressed while the connect was completing: its reset
        // ran before the controls above changed, so run it again.
        reset();
        return nullptr;
    }
    return socket;
}

void Link::connectFailed(const SocketPtr& socket)
{
    box(kConnectFailedBox, BoxIcon::Exclamation);
    log(kConnectFailedLog);
    enable(res::IDC_DISCONNECT, false);
    enable(res::IDC_CONNECT, true);
    releaseSocket(socket);
}

void Link::receiveLoop(const SocketPtr& socket)
{
    FrameReader reader;
    std::array<std::uint8_t, kReadSize> buffer{};
    for (;;) {
        int timeoutMs = -1;
        if (const auto deadline = reader.deadline()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                *deadline - FrameReader::Clock::now());
            timeoutMs = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
        }
        const auto outcome = socket->waitReadable(wake_, timeoutMs);
        if (closedByTool_.load()) return;
        if (outcome == TcpSocket::WaitOutcome::Woken) {
            wake_.drain();
            continue;
        }
        if (outcome == TcpSocket::WaitOutcome::TimedOut) {
            std::vector<ReceivedItem> items;
            if (auto item = reader.expire(FrameReader::Clock::now())) items.push_back(std::move(*item));
            if (!handleItems(std::move(items))) return;
            continue;
        }
        const long n = outcome == TcpSocket::WaitOutcome::Readable ? socket->receive(buffer) : -1;
        if (closedByTool_.load()) return;
        if (n <= 0) {
            // The module's own close comes first in the recording; a broken
            // link is closed by the tool's reset.
            if (n == 0) sessionEnded(true);
            log(kDisconnected);
            reset();
            return;
        }
        const auto block = std::span(buffer).first(static_cast<std::size_t>(n));
        if (trace_ || recording_.load()) {
            {
                std::lock_guard order(traceOrder_);
                recordBlock(TraceDirection::Received, block);
            }
            reportRecordingFailure();
        }
        auto items = reader.feed(block, FrameReader::Clock::now());
        if (!handleItems(std::move(items))) return;
    }
}

// False when the link has ended while handling the items.
bool Link::handleItems(std::vector<ReceivedItem> items)
{
    for (const ReceivedItem& item : items) {
        if (closedByTool_.load()) return false;
        if (item.kind == ReceivedItem::Kind::Text) {
            routeText(item.text);
        } else if (!applyEffects(handleReply(item.frame))) {
            return false;
        }
    }
    return !closedByTool_.load();
}

bool Link::applyEffects(const std::vector<Effect>& effects)
{
    for (const Effect& effect : effects) {
        switch (effect.kind) {
        case Effect::Kind::Log: log(effect.text); break;
        case Effect::Kind::MessageBox: box(effect.text, effect.icon); break;
        case Effect::Kind::FieldText: setText(effect.controlId, effect.text); break;
        case Effect::Kind::LinkReset: reset(); return false;
        }
    }
    return true;
}

void Link::routeText(const Bytes& block)
{
    std::shared_ptr<TextRequest> request;
    {
        std::lock_guard lock(mutex_);
        request = std::move(textRequest_);
    }
    // Nobody asked (or the asker gave up): the block is dropped.
    if (request) request->deliver(block);
}

void Link::log(const std::wstring& line)
{
    if (!stopping_.load()) ui_.appendLog(line);
}

void Link::box(const std::wstring& text, BoxIcon icon)
{
    if (!stopping_.load()) ui_.messageBox(text, icon);
}

void Link::enable(int id, bool on)
{
    if (!stopping_.load()) ui_.enableControl(id, on);
}

void Link::setText(int id, const std::wstring& text)
{
    if (!stopping_.load()) ui_.setControlText(id, text);
}

}  // namespace nolt
