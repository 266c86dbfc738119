// The tool's own start-up with a scripted user: it connects to the module
// named on the command line and closes the window from the title bar once
// the connection is open ("open") or while the connect still pends
// ("pending"). Prints "closing" just before the close; the parent measures
// from there to the process's exit. With "idle" it first stays connected
// and idle for ten seconds and prints the CPU time it used meanwhile.
//     integration_close_child open|pending|idle PORT
#include <QApplication>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/nolt_pcclient_app.h"
#include "framework/dialog.h"
#include "framework/message_box.h"
#include "res/resource.h"

namespace {

constexpr int kIdleMs = 10000;

double cpuMillis()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    const bool idle = std::strcmp(argv[1], "idle") == 0;
    const bool waitForConnection = idle || std::strcmp(argv[1], "open") == 0;
    const std::wstring port = std::to_wstring(std::atoi(argv[2]));
    QApplication qapp(argc, argv);
    // A box would wait for a user; none is expected, so count it as a failure.
    nolt::fw::setMessageBoxSink([](const nolt::fw::MessageBoxRequest&) {
        std::puts("box");
        std::fflush(stdout);
        return nolt::fw::IDOK;
    });
    nolt::fw::setModalHook([&](nolt::fw::CDialogEx& dlg) {
        dlg.SetDlgItemText(nolt::res::IDC_LINK_IP, L"127.0.0.1");
        dlg.SetDlgItemText(nolt::res::IDC_LINK_PORT, port);
        dlg.SendNotification(nolt::res::IDC_CONNECT, nolt::fw::Notify::Click);
        auto* poll = new QTimer(&qapp);
        QObject::connect(poll, &QTimer::timeout, [&dlg, poll, waitForConnection, idle] {
            const bool ready = waitForConnection
                                   ? dlg.GetDlgItemText(nolt::res::IDC_LOG) == L"Connection to server succeeded.\r\n"
                                   : dlg.IsControlEnabled(nolt::res::IDC_DISCONNECT);
            if (!ready) return;
            poll->stop();
            const double cpuBefore = cpuMillis();
            QTimer::singleShot(idle ? kIdleMs : waitForConnection ? 0 : 200, [&dlg, cpuBefore, idle] {
                if (idle) std::printf("idle cpu %.1f ms over %d ms\n", cpuMillis() - cpuBefore, kIdleMs);
                std::puts("closing");
                std::fflush(stdout);
                dlg.SendSysCommand(nolt::fw::SC_CLOSE);
            });
        });
        poll->start(10);
    });
    nolt::Cnolt_PCClientApp app;
    return app.run();
}
