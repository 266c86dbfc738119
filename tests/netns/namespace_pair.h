// Two network namespaces joined by a veth pair with a /30 between them, for
// tests that need a network where packets can vanish without a reset.
// Neither forwards packets (a new namespace copies the host's setting), and
// the pair is their one link, so nothing sent in them leaves the machine.
// Needs root and iproute2; a test asks skipReason() and skips when it is
// not empty. The namespaces (and with them the pair) go with the object.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace nolt::test {

// Runs a shell command quietly; true when it succeeded.
inline bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Run inside a namespace: it passes no packet on.
inline constexpr const char* kForwardingOff = "sh -c 'echo 0 >/proc/sys/net/ipv4/ip_forward'";

class NamespacePair {
public:
    // Names "<a>-<pid>" and "<b>-<pid>"; addresses are given without the /30.
    NamespacePair(const std::string& a, const std::string& b, std::string addressA, std::string addressB)
        : addressA(std::move(addressA)), addressB(std::move(addressB))
    {
        if (geteuid() != 0) {
            skip_ = "network namespaces need root; this test runs as uid " + std::to_string(geteuid());
            return;
        }
        if (!run("command -v ip")) {
            skip_ = "iproute2 (ip) is not installed";
            return;
        }
        removeStale(a);
        removeStale(b);
        const std::string id = std::to_string(getpid());
        nameA = a + "-" + id;
        nameB = b + "-" + id;
        vethA = "n" + a.substr(a.find('-') + 1, 3) + id;
        vethB = "n" + b.substr(b.find('-') + 1, 3) + id;
        if (!run("ip netns add " + nameA)) {
            skip_ = "cannot create a network namespace (ip netns add failed)";
            return;
        }
        created_ = true;
        up_ = run("ip netns add " + nameB) && run(inA(kForwardingOff)) && run(inB(kForwardingOff)) &&
              run("ip link add " + vethA + " netns " + nameA + " type veth peer name " + vethB + " netns " + nameB) &&
              run(inA("ip addr add " + this->addressA + "/30 dev " + vethA)) &&
              run(inB("ip addr add " + this->addressB + "/30 dev " + vethB)) && run(inA("ip link set lo up")) &&
              run(inA("ip link set " + vethA + " up")) && run(inB("ip link set lo up")) &&
              run(inB("ip link set " + vethB + " up"));
    }
    ~NamespacePair()
    {
        if (!created_) return;
        run("ip netns del " + nameA);
        run("ip netns del " + nameB);
    }
    NamespacePair(const NamespacePair&) = delete;
    NamespacePair& operator=(const NamespacePair&) = delete;

    const std::string& skipReason() const { return skip_; }
    // True when both namespaces and the pair between them are up.
    bool up() const { return up_; }

    std::string inA(const std::string& command) const { return "ip netns exec " + nameA + " " + command; }
    std::string inB(const std::string& command) const { return "ip netns exec " + nameB + " " + command; }

    std::string nameA, nameB, vethA, vethB;
    const std::string addressA, addressB;

private:
    // Namespaces left by an earlier run that was killed before its clean-up
    // (their names end in the id of a process that no longer exists).
    static void removeStale(const std::string& prefix)
    {
        FILE* list = popen("ip netns list 2>/dev/null", "r");
        if (!list) return;
        char line[256];
        while (std::fgets(line, sizeof line, list)) {
            const std::string name = std::string(line).substr(0, std::string(line).find_first_of(" \n"));
            if (name.rfind(prefix + "-", 0) != 0) continue;
            const long pid = std::atol(name.c_str() + prefix.size() + 1);
            if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0) run("ip netns del " + name);
        }
        pclose(list);
    }

    std::string skip_;
    bool created_ = false;
    bool up_ = false;
};

}  // namespace nolt::test
