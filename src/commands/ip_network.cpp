// IP and network settings handlers of the main dialog: "Save IP to Camera",
// the bandwidth and the DHCP radio buttons.

#include "app/nolt_pcclient_dlg.h"
#include "commands/command_frames.h"
#include "commands/command_ui.h"
#include "commands/ip_checks.h"
#include "res/resource.h"

#include <variant>

namespace nolt {
namespace {

int controlOf(IpField field)
{
    switch (field) {
    case IpField::UdpAddress: return res::IDC_UDP_DST_IP;
    case IpField::UdpPort: return res::IDC_UDP_PORT;
    case IpField::CameraAddress: return res::IDC_CAMERA_IP;
    case IpField::Gateway: return res::IDC_GATEWAY;
    case IpField::Dns: return res::IDC_DNS;
    case IpField::Mask: return res::IDC_SUBMASK;
    }
    return 0;
}

}  // namespace

// The UDP receiver is part of the settings only in "UDP Bare flow" mode;
// the checks read each field when they reach it, so nothing after the first
// failing check is looked at.
void Cnolt_PCClientDlg::OnBnClickedSaveIp()
{
    if (!connectedOrWarn(*this, kNotConnectedAscii)) return;
    const SaveIpOutcome outcome =
        checkSaveIp(m_mainPushMode.GetCurSel(), [this](IpField field) { return GetDlgItemText(controlOf(field)); });
    if (const auto* failure = std::get_if<IpCheckFailure>(&outcome)) {
        showTips(*this, failure->message);
        return;
    }
    SendCommandFrame(std::get<Bytes>(outcome));
}

// The radio buttons send on every click, whatever the connection: without
// one the send fails and the log says so.
void Cnolt_PCClientDlg::OnBnClickedBandwidth10M()
{
    SendCommandFrame(bandwidthFrame(Bandwidth::Mbit10));
}

void Cnolt_PCClientDlg::OnBnClickedBandwidth100M()
{
    SendCommandFrame(bandwidthFrame(Bandwidth::Mbit100));
}

void Cnolt_PCClientDlg::OnBnClickedDhcpOn()
{
    SendCommandFrame(dhcpFrame(true));
}

void Cnolt_PCClientDlg::OnBnClickedDhcpOff()
{
    SendCommandFrame(dhcpFrame(false));
}

}  // namespace nolt
