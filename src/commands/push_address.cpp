// Push-address handler of the main dialog: asks the module for its stream
// push address and opens the push-address dialog with the answer.

#include "app/nolt_pcclient_dlg.h"
#include "commands/push_address_dialog.h"
#include "commands/push_address_text.h"
#include "framework/ui_thread.h"

#include <chrono>
#include <cstdint>

namespace nolt {
namespace {

// How long the module has to answer. The windows keep painting meanwhile
// but take no input, so nothing can be started while the answer is awaited.
constexpr std::chrono::milliseconds kAnswerWait{3000};

}  // namespace

// The link thread stays the only reader of the socket: the request
// registers with it before anything is sent, so the answer cannot slip past.
// No answer, or one that is not an "rtmp://" address, ends the request
// without a word.
void Cnolt_PCClientDlg::OnBnClickedUploadAddr()
{
    const auto request = link_->beginTextRequest();
    // One send, whose failure is logged as any command's; with no link open
    // there is nothing to wait for.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(kPushAddressRequest.data());
    if (!SendCommandFrame(std::span(bytes, kPushAddressRequest.size()))) {
        request->cancel();
        return;
    }
    // The link's end cancels the request: nothing can come after that.
    fw::waitWithInputBlocked([&request] { return request->ready() || request->cancelled(); }, kAnswerWait);
    const auto answer = request->take();
    request->cancel();  // an answer that comes later is dropped
    if (!answer) return;
    const auto address = acceptPushAddressAnswer(*answer);
    if (!address) return;
    g_strPushAddr = *address;
    g_bPushAddrReceived = true;
    OpenPushAddressDialog(*link_);
}

}  // namespace nolt
