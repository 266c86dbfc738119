// A minimal client of the core link for the dead-module test: connects to
// the given module address and prints what the link shows, one line each,
// flushed at once, until the link ends or the time is up.
//   netns_link_client ADDRESS PORT [SECONDS]
#include "link/link.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

class PrintingUi : public nolt::LinkUi {
public:
    void appendLog(const std::wstring& line) override { print("log", line); }
    void clearLog() override { print("clear", L""); }
    void messageBox(const std::wstring& text, nolt::BoxIcon) override { print("box", text); }
    void setControlText(int, const std::wstring&) override {}
    void enableControl(int, bool) override {}

private:
    static void print(const char* what, const std::wstring& text)
    {
        std::printf("%s %s\n", what, narrow(text).c_str());
        std::fflush(stdout);
    }
};

std::wstring widen(const char* text)
{
    std::wstring out;
    for (const char* c = text; *c; ++c) out += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ADDRESS PORT [SECONDS]\n", argv[0]);
        return 2;
    }
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
    PrintingUi ui;
    nolt::Link link(ui);
    link.connect(widen(argv[1]), widen(argv[2]));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (link.threadRunning() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool ended = !link.threadRunning();
    link.reset();
    link.stop([] {});
    return ended ? 0 : 1;
}
