#!/usr/bin/env python3
"""Checks the nolt dissector and the tool's own recordings with tshark.

--session PROGRAM  records a session of the tool's commands with four
    simulated modules on 127.0.0.1 (tcpdump on the loopback interface), has
    tshark decode it with the dissector, and checks every decoded frame:
    direction, code, name, length, checksum status and the payload fields,
    and how the frames lay in the TCP segments (coalesced replies in one
    segment, split replies reassembled from several).
--recorder PROGRAM  has PROGRAM (record_session) record exchanges with two
    modules into one file through the tool's recorder;
--dialog-test PROGRAM  runs the dialog test that records a session through
    "Record frames…" (integration_tests) and keeps its file;
--read FILE --expect dialog  reads a file that test made elsewhere (the
    Windows build's, under wine).
--cli NOLT_CLI NOLT_SIM  has nolt-cli record one query to two simulated
    modules at once (--hosts, --pcap), one answering in pieces, and checks
    that a search refuses --pcap.
A recording must decode with every frame named as expected on each
connection, good IP and TCP checksums and no TCP analysis flags; the dialog's
and nolt-cli's must still open in tshark when cut after any of its blocks.

Exit code 77 (skipped) when tshark or tcpdump is missing or the user may not
capture; anything else that goes wrong fails.

Standard library only."""

import argparse
import concurrent.futures
import json
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(SKIP)


def fail(why):
    print("FAILED: " + why)
    sys.exit(1)


def read_line(stream, timeout, what):
    ready, _, _ = select.select([stream], [], [], timeout)
    if not ready:
        fail("no %s within %d s" % (what, timeout))
    return stream.readline()


# ---- the session and what the dissector must make of it -------------------

def frame(direction, name, code, length, checksum="1", **fields):
    pdu = {"nolt.direction": direction, "nolt.name": name, "nolt.code": code,
           "nolt.length": length, "nolt.checksum.status": checksum}
    pdu.update({"nolt." + k.replace("__", "."): str(v) for k, v in fields.items()})
    return pdu


def text(direction, name, value):
    return {"nolt.direction": direction, "nolt.name": name, "nolt.text": value}


def status(direction, output, inp, src, dest, **sizes):
    return frame(direction, "Status report", 0x01, 10, status__output_freq=output,
                 status__input_freq=inp, status__src_size=src, status__dest_size=dest, **sizes)


def lists(prefix, names, values):
    return {prefix + "__" + n: v for n, v in zip(names, values)}


MAIN = ["bit_rate", "resolution", "push_mode", "encoder", "frame_rate", "packet", "record"]
SUB = MAIN[:6]
MAIN_SENT = lists("main", MAIN, ["4M", "1080P", "RTSP", "H264", "25 frame", "By Slice", "MP4"])
SUB_SENT = lists("sub", SUB, ["8M", "1920*1080", "RTMP  to network", "H265", "30 frame", "By Frame"])
SUB_OFF = lists("sub", SUB, ["none"] * 6)
IP_UDP = dict(ip__udp_target=1, ip__udp_address="127.0.0.9", ip__udp_port=23003, ip__address="127.0.0.2",
              ip__gateway="127.0.0.1", ip__dns="0.0.0.0", ip__mask="255.0.0.0")
IP_FILLER = dict(ip__udp_target=0, ip__udp_address="0.0.0.14", ip__udp_port=0, ip__address="127.0.0.3",
                 ip__gateway="127.0.0.1", ip__dns="127.0.0.53", ip__mask="255.255.0.0")
C, R = "command", "reply"

NORMAL = [
    frame(C, "Status query", 0x01, 1),
    status(R, 25, 25, "1920x1080", "1920x1080", status__src_width=1920, status__src_height=1080),
    frame(C, "Version query", 0x05, 1),
    frame(R, "Version report", 0x05, 4, version=7),
    frame(C, "Main stream settings", 0x02, 7, **MAIN_SENT),
    frame(R, "Main stream settings result", 0x02, 7, **MAIN_SENT),
    frame(C, "Sub stream settings", 0x10, 6, **SUB_SENT),
    frame(R, "Sub stream settings result", 0x10, 6, **SUB_SENT),
    frame(C, "IP settings", 0x04, 22, **IP_UDP),
    frame(R, "IP settings result", 0x04, 22, **IP_UDP),
    frame(C, "IP settings", 0x04, 22, **IP_FILLER),
    frame(R, "IP settings result", 0x04, 22, **IP_FILLER),
    frame(C, "Network bandwidth", 0x20, 1, bandwidth=1),
    frame(R, "Network bandwidth result", 0x20, 1, bandwidth=1),
    frame(C, "DHCP switch", 0x21, 1, dhcp=1),
    frame(R, "DHCP switch result", 0x21, 1, dhcp=1),
    frame(C, "Status query", 0x01, 1, checksum="0"),
    # The refusal echoes the one-byte query: too short for a report.
    dict(frame(R, "Status report", 0x01, 1, checksum="0"), **{"nolt.payload.short": ""}),
    text(C, "Address request", "get_addrrtmp"),
    text(R, "Address answer", "rtmp://127.0.0.1/live/stream"),
    text(C, "Address upload", "rtmp://127.0.0.1/live/cam2"),
    text(C, "Address request", "get_addrrtmp"),
    text(R, "Address answer", "rtmp://127.0.0.1/live/cam2"),
    frame(C, "Sub stream settings", 0x10, 6, **SUB_OFF),
    frame(R, "Sub stream settings result", 0x10, 6, **SUB_OFF),
]
ODD_STATUS = status(R, 25, 50, "1920x1080", "1280x720", status__dest_width=1280, status__dest_height=720)
COALESCE = [
    frame(C, "Status query", 0x01, 1),
    ODD_STATUS, ODD_STATUS, ODD_STATUS,
    frame(C, "Version query", 0x05, 1),
    frame(C, "DHCP switch", 0x21, 1, dhcp=0),
    frame(R, "Version report", 0x05, 4, version=258),
    frame(R, "DHCP switch result", 0x21, 1, dhcp=0),
]
NEGATIVE_STATUS = status(R, -56, -1, "-200x100", "0", status__src_width=-200, status__src_height=100,
                         status__dest_width=0, status__dest_height=720)
SPLIT = [
    frame(C, "Version query", 0x05, 1),
    frame(R, "Version report", 0x05, 4, version=-2147483648),
    frame(R, "Version report", 0x05, 4, version=-2147483648),
    frame(C, "Status query", 0x01, 1),
    NEGATIVE_STATUS, NEGATIVE_STATUS,
]
# The module speaks first; the heuristic must still tell the sides apart.
INFO = [
    frame(R, "Information storage result", 0x06, 0),
    frame(C, "Status query", 0x01, 1),
    status(R, 25, 25, "1920x1080", "1920x1080"),
]
# Module bytes on the split connection: 2 x 8 and 2 x 14, in pieces of 5.
SPLIT_PIECES = 4 + 6


# ---- reading tshark's JSON -------------------------------------------------

def flatten(node, out):
    """Every leaf under node, by field name (subtrees and expert items too)."""
    for key, value in node.items():
        if isinstance(value, dict):
            flatten(value, out)
        elif isinstance(value, list):
            for v in value:
                if isinstance(v, dict):
                    flatten(v, out)
            out.setdefault(key, value)
        else:
            out[key] = value
    return out


def as_list(value):
    return value if isinstance(value, list) else [value]


def decoded_units(packets):
    """(frame number, tcp layer, layers, flattened nolt unit) for every unit."""
    units = []
    for packet in packets:
        layers = packet["_source"]["layers"]
        for tree in as_list(layers.get("nolt", [])):
            units.append((int(layers["frame"]["frame.number"]), layers["tcp"], layers, flatten(tree, {})))
    return units


# The modules' and the tool's ports here are random, and tshark gives a few
# ports of that range to other protocols (34980, 44818, 48898, 57000, ...).
# A port's dissector goes before every heuristic, so on such a port the first
# unit of a capture that misses the handshake was read as another protocol.
# A real module listens on the dissector's own port, which needs no
# heuristic. The tool's own recordings are read with the heuristic first so
# that a port never decides; the live capture is recorded again instead, so
# that it is read with tshark's defaults.
HEURISTIC_FIRST = ["-o", "tcp.try_heuristic_first:TRUE"]


def tshark(args):
    run = subprocess.run(["tshark"] + args, capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        fail("tshark %s: %s" % (" ".join(args), run.stderr.strip()))
    if "Lua" in run.stderr or "lua" in run.stderr:
        fail("the dissector did not load cleanly:\n" + run.stderr)
    return run.stdout


# Warnings other than the bad checksum, which goes with the checksum status.
EXPERTS = ("nolt.payload.short", "nolt.code.unknown")


def compare(label, got, want, errors):
    for key, value in want.items():
        have = got.get(key)
        if key == "nolt.code" or key == "nolt.length":
            have = int(have, 0) if have is not None else None
        if have != value:
            errors.append("%s: %s is %r, expected %r" % (label, key, have, value))
    for expert in EXPERTS:
        if (expert in got) != (expert in want):
            errors.append("%s: the warning %s is %s" % (label, expert, "there" if expert in got else "missing"))
    bad = got.get("nolt.checksum.status") == "0"
    if "nolt.checksum.status" in want and bad != ("nolt.checksum.bad" in got):
        errors.append("%s: the bad-checksum warning does not match the checksum status" % label)


def check_units(units, ports, errors, expected):
    by_port = {port: [] for port in ports.values()}
    for number, tcp, layers, unit in units:
        port = int(tcp["tcp.srcport"]) if int(tcp["tcp.srcport"]) in by_port else int(tcp["tcp.dstport"])
        if port not in by_port:
            errors.append("frame %d: a nolt unit on an unexpected port %d" % (number, port))
            continue
        by_port[port].append((number, layers, unit))
    for role, port in ports.items():
        got, want = by_port[port], expected[role]
        if len(got) != len(want):
            errors.append("%s: %d units decoded, expected %d: %s"
                          % (role, len(got), len(want), [u.get("nolt.name") for _, _, u in got]))
        for i, ((number, _, unit), w) in enumerate(zip(got, want)):
            compare("%s unit %d (frame %d)" % (role, i + 1, number), unit, w, errors)
    return by_port


def check_segments(packets, by_port, ports, errors):
    """The dissector must see through coalesced and split replies."""
    coalesce = [number for number, _, _ in by_port[ports["coalesce"]]]
    # Status query | 3 reports | version query + DHCP | version report + DHCP result.
    groups = [coalesce.count(n) for n in sorted(set(coalesce), key=coalesce.index)]
    if groups != [1, 3, 2, 2]:
        errors.append("coalesce: units per segment are %s, expected [1, 3, 2, 2]" % groups)

    for number, layers, unit in by_port[ports["split"]]:
        if unit.get("nolt.direction") != "reply":
            continue
        segments = layers.get("tcp.segments", {})
        count = int(segments.get("tcp.segment.count", "1")) if isinstance(segments, dict) else 1
        if count < 2:
            errors.append("split: the %s in frame %d is not reassembled from segments"
                          % (unit.get("nolt.name"), number))


def record(session_program, pcap):
    """Plays the session while tcpdump captures it. Returns the modules'
    ports and, when the capture lost packets, why."""
    if os.path.exists(pcap):
        os.remove(pcap)
    session = subprocess.Popen([session_program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    dump = None
    lost = None
    try:
        line = read_line(session.stdout, 10, "ports from the session").split()
        if len(line) != 5 or line[0] != "ports":
            fail("the session printed %r" % line)
        ports = dict(zip(["normal", "coalesce", "split", "info"], map(int, line[1:])))
        capture_filter = "tcp and (%s)" % " or ".join("port %d" % p for p in ports.values())
        # A small snapshot length: in immediate mode every slot of the
        # capture ring is snapshot-sized, and the default fits only a few
        # packets, so a burst of replies overflowed it.
        dump = subprocess.Popen(["tcpdump", "-i", "lo", "-U", "--immediate-mode", "-s", "512", "-B", "4096",
                                 "-n", "-w", pcap, capture_filter],
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        started = read_line(dump.stderr, 10, "word from tcpdump")
        if "listening on" not in started:
            dump.wait(5)
            skip("tcpdump cannot capture on lo here: " + started.strip())
        session.stdin.write("go\n")
        session.stdin.flush()
        done = read_line(session.stdout, 30, "end of the session").strip()
        if done != "done" or session.wait(10) != 0:
            fail("the session did not complete (%r)" % done)
        time.sleep(0.3)  # the last acknowledgements
    finally:
        if dump is not None and dump.poll() is None:
            dump.send_signal(signal.SIGINT)
            dump.wait(10)
            stats = " ".join(dump.stderr.read().split())
            print("tcpdump: " + stats)
            if " 0 packets dropped by kernel" not in " " + stats:
                lost = "the capture lost packets: " + stats
        if session.poll() is None:
            session.kill()
            session.wait()
    return ports, lost


def port_problem(pcap):
    """A port of the capture that tshark gives to another protocol."""
    taken = {int(port): name for table, port, name in
             (l.split("\t")[:3] for l in tshark(["-G", "decodes"]).splitlines() if l.count("\t") >= 2)
             if table == "tcp.port" and port.isdigit()}
    fields = tshark(["-r", pcap, "-T", "fields", "-e", "tcp.srcport", "-e", "tcp.dstport"])
    used = {int(p) for line in fields.splitlines() for p in line.split("\t") if p}
    clash = sorted(p for p in used if p in taken)
    return "port %d is %s's in tshark" % (clash[0], taken[clash[0]]) if clash else None


def split_problem(pcap, ports):
    """The split module's bytes must have left in pieces of at most 5 bytes.
    On a loaded machine a late acknowledgement can make the kernel join two
    pieces; that is the machine, not the dissector."""
    fields = tshark(["-r", pcap, "-T", "fields", "-e", "tcp.srcport", "-e", "tcp.len"])
    pieces = [int(n) for port, n in (l.split("\t") for l in fields.splitlines())
              if int(port) == ports["split"] and int(n) > 0]
    if len(pieces) != SPLIT_PIECES or max(pieces) > 5:
        return "the split module's segments are %s bytes, expected %d pieces of at most 5" % (pieces, SPLIT_PIECES)
    return None


# ---- recordings made by the tool itself -----------------------------------

# The dialog test's session: recording starts on the first module's open
# connection; the second module answers in pieces.
DIALOG = [
    ["Status query", "Status report", "Version query", "Version report", "Main stream settings",
     "Main stream settings result", "Address request", "Address answer", "Address upload"],
    ["Status query", "Status report"],
]
# record_session's exchanges, by module: each list is one connection.
SETTINGS = 200
RECORDER = {
    "normal": [["Status query", "Version query", "Status report", "Version report"],
               ["Main stream settings"] * SETTINGS + ["Main stream settings result"] * SETTINGS,
               ["Version query", "Version report"]],
    "split": [["Status query", "Version query", "Status report", "Version report"]],
}
# nolt-cli's run over two modules (one answering in pieces), by module.
CLI = {"normal": [["Version query", "Version report"]], "split": [["Version query", "Version report"]]}
GOOD = "1"  # tshark's checksum status "Good"


def pcapng_block_ends(pcap):
    """The offset after each block of a pcapng file."""
    with open(pcap, "rb") as f:
        data = f.read()
    ends, at = [], 0
    while at + 12 <= len(data):
        length = struct.unpack_from("<I", data, at + 4)[0]
        if length < 12 or at + length > len(data):
            fail("%s: a block at offset %d is cut short" % (pcap, at))
        at += length
        ends.append(at)
    if at != len(data):
        fail("%s: %d bytes after the last whole block" % (pcap, len(data) - at))
    return data, ends


def check_cuts(pcap):
    """A recording cut after any of its blocks, as a crash would leave it,
    still opens in tshark: each cut is read, two at a time."""
    data, ends = pcapng_block_ends(pcap)
    # The section header and the interface come first; a file cut before the
    # interface holds no packets to read, but it must open too.
    with tempfile.TemporaryDirectory() as folder:
        def read(end):
            cut = os.path.join(folder, "cut-%d.pcapng" % end)
            with open(cut, "wb") as f:
                f.write(data[:end])
            run = subprocess.run(["tshark", "-n", "-r", cut], capture_output=True, text=True, timeout=60)
            errors = [l for l in run.stderr.splitlines() if "Running as user" not in l]
            return None if run.returncode == 0 and not errors else "cut at %d bytes: %s" % (end, " ".join(errors))
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            problems = [p for p in pool.map(read, ends) if p]
    print("%s: %d cuts at block boundaries open in tshark" % (os.path.basename(pcap), len(ends) - len(problems)))
    return problems


def check_recording(pcap, plugin, connections, module_of=None, cuts=True):
    """Every connection's frames by name, in order; good checksums and no
    TCP analysis flags on any packet; with cuts, every cut at a block
    boundary opens. `connections` is a list of name lists in the order the
    connections began, or with module_of (stream -> module) a dict of such
    lists by module."""
    if not os.path.exists(pcap):
        fail("no recording at %s" % pcap)
    packets = json.loads(tshark(["-r", pcap, "-X", "lua_script:" + plugin, "-T", "json", "--no-duplicate-keys",
                                 "-o", "ip.check_checksum:TRUE", "-o", "tcp.check_checksum:TRUE"] + HEURISTIC_FIRST))
    errors = []
    names = {}  # tcp.stream -> names of its units
    for packet in packets:
        layers = packet["_source"]["layers"]
        number = layers["frame"]["frame.number"]
        flat = flatten(layers, {})
        for field in ("ip.checksum.status", "tcp.checksum.status"):
            if flat.get(field) != GOOD:
                errors.append("frame %s: %s is %r" % (number, field, flat.get(field)))
        analysis = layers["tcp"].get("tcp.analysis", {})
        if "tcp.analysis.flags" in analysis:
            errors.append("frame %s: TCP analysis flags %s" % (number, json.dumps(analysis["tcp.analysis.flags"])))
        stream = int(layers["tcp"]["tcp.stream"])
        for tree in as_list(layers.get("nolt", [])):
            unit = flatten(tree, {})
            names.setdefault(stream, []).append(unit.get("nolt.name"))
            if unit.get("nolt.checksum.status", GOOD) != GOOD:
                errors.append("frame %s: the %s has a bad checksum" % (number, unit.get("nolt.name")))
    got = [names.get(stream, []) for stream in sorted({int(p["_source"]["layers"]["tcp"]["tcp.stream"])
                                                       for p in packets})]
    if module_of is not None:
        by_module = {}
        for stream, units in enumerate(got):
            by_module.setdefault(module_of.get(stream), []).append(units)
        got = by_module
    # The same as the display filter sees it.
    flagged = tshark(["-r", pcap, "-Y", "tcp.analysis.flags", "-T", "fields", "-e", "frame.number"]).split()
    if flagged:
        errors.append("tshark's filter tcp.analysis.flags matches frames %s" % ", ".join(flagged))
    if got != connections:
        errors.append("the frames by connection are %s, expected %s" % (summary(got), summary(connections)))
    if cuts:
        errors += check_cuts(pcap)
    if errors:
        fail("%s: %d problems:\n  %s" % (pcap, len(errors), "\n  ".join(errors)))
    print("%s: %d packets, every frame named as expected, checksums good, no TCP analysis flags"
          % (os.path.basename(pcap), len(packets)))


def summary(connections):
    """Long runs of one name shortened, for messages."""
    def runs(names):
        out = []
        for name in names:
            if out and out[-1][0] == name:
                out[-1][1] += 1
            else:
                out.append([name, 1])
        return ", ".join(n if c == 1 else "%d x %s" % (c, n) for n, c in out)
    if isinstance(connections, dict):
        return {k: summary(v) for k, v in connections.items()}
    return ["[" + runs(c) + "]" for c in connections]


def module_ports(pcap):
    """tcp.stream -> the port the stream's SYN went to."""
    fields = tshark(["-r", pcap, "-Y", "tcp.flags.syn == 1 && tcp.flags.ack == 0", "-T", "fields",
                     "-e", "tcp.stream", "-e", "tcp.dstport"])
    return {int(stream): int(port) for stream, port in (l.split("\t") for l in fields.splitlines())}


def run_program(command, env=None, timeout=120):
    run = subprocess.run(command, capture_output=True, text=True, timeout=timeout,
                         env=dict(os.environ, NOLT_SCAN_LOOPBACK_ONLY="1", **(env or {})))
    if run.returncode != 0:
        fail("%s failed:\n%s%s" % (" ".join(command), run.stdout[-3000:], run.stderr[-3000:]))
    return run.stdout


def check_recorder(program, plugin, work):
    pcap = os.path.join(work, "recorder.pcapng")
    line = run_program([program, pcap]).split()
    if len(line) != 3 or line[0] != "ports":
        fail("%s printed %r" % (program, line))
    role = {int(line[1]): "normal", int(line[2]): "split"}
    module_of = {stream: role.get(port) for stream, port in module_ports(pcap).items()}
    # The same writer as the dialog's, whose recordings are cut at every
    # block; a tshark run per cut is time better spent once.
    check_recording(pcap, plugin, RECORDER, module_of, cuts=False)
    # A second copy of the dissector (a personal one beside the installed
    # one) loads without an error, and the first one still decodes.
    copy = os.path.join(work, "nolt-copy.lua")
    shutil.copyfile(plugin, copy)
    names = tshark(["-r", pcap, "-X", "lua_script:" + plugin, "-X", "lua_script:" + copy, "-Y", "nolt",
                    "-T", "fields", "-e", "nolt.name"] + HEURISTIC_FIRST)
    if "Status query" not in names:
        fail("with two copies of the dissector loaded, nothing was decoded")
    print("two copies of the dissector load, and it decodes")


def check_cli(programs, plugin, work):
    """nolt-cli --pcap over two modules at once: one connection each in one
    file, every frame named; refused for a search."""
    cli, sim = programs
    pcap = os.path.join(work, "cli.pcapng")
    env = dict(os.environ, NOLT_SCAN_LOOPBACK_ONLY="1")
    modules = {}
    try:
        for role, extra in (("normal", []), ("split", ["--split", "3", "--split-pause", "30"])):
            p = subprocess.Popen([sim, "--port", "0", "--quiet"] + extra, stdout=subprocess.PIPE, text=True, env=env)
            modules[role] = p
            line = read_line(p.stdout, 10, "nolt-sim's first line")
            modules[role].port = int(line.rsplit(":", 1)[1])
        hosts = os.path.join(work, "hosts.txt")
        with open(hosts, "w") as f:
            f.write("".join("127.0.0.1:%d\n" % m.port for m in modules.values()))
        run_program([cli, "--hosts", hosts, "--pcap", pcap, "version"])
    finally:
        for p in modules.values():
            p.kill()
            p.wait()
    role = {m.port: name for name, m in modules.items()}
    module_of = {stream: role.get(port) for stream, port in module_ports(pcap).items()}
    check_recording(pcap, plugin, CLI, module_of)
    refused = subprocess.run([cli, "--pcap", pcap, "scan", "127.0.0.1/32"], capture_output=True, text=True, env=env)
    if refused.returncode != 2 or "--pcap does not apply to a scan" not in refused.stderr:
        fail("a search with --pcap gave %d: %s" % (refused.returncode, refused.stderr))


def check_dialog_test(program, plugin, work):
    pcap = os.path.join(work, "dialog.pcapng")
    if os.path.exists(pcap):
        os.remove(pcap)
    run_program([program, "--gtest_filter=RecordFramesTest.ASessionIsRecordedUntilTheToolCloses"],
                env={"NOLT_TEST_RECORDING": pcap, "QT_QPA_PLATFORM": "offscreen"})
    check_recording(pcap, plugin, DIALOG)


def main():
    parser = argparse.ArgumentParser()
    what = parser.add_mutually_exclusive_group(required=True)
    what.add_argument("--session", help="the tcpdump session's program (capture_session)")
    what.add_argument("--recorder", help="the recorder's program (record_session)")
    what.add_argument("--dialog-test", help="the dialog tests' program (integration_tests)")
    what.add_argument("--read", help="a recording the dialog test made")
    what.add_argument("--cli", nargs=2, metavar=("NOLT_CLI", "NOLT_SIM"), help="nolt-cli --pcap over two modules")
    parser.add_argument("--expect", choices=["dialog"], default="dialog")
    parser.add_argument("--plugin", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()

    tools = ("tshark", "tcpdump") if args.session else ("tshark",)
    for tool in tools:
        if shutil.which(tool) is None:
            skip("%s is not installed (scripts/test.sh installs it from Debian)" % tool)
    os.makedirs(args.work, exist_ok=True)
    if args.recorder:
        return check_recorder(args.recorder, args.plugin, args.work)
    if args.dialog_test:
        return check_dialog_test(args.dialog_test, args.plugin, args.work)
    if args.read:
        return check_recording(args.read, args.plugin, DIALOG)
    if args.cli:
        return check_cli(args.cli, args.plugin, args.work)
    pcap = os.path.join(args.work, "session.pcap")
    for attempt in range(3):
        ports, problem = record(args.session, pcap)
        problem = problem or split_problem(pcap, ports) or port_problem(pcap)
        if problem is None:
            break
        print("recording again: " + problem)
    else:
        fail("no clean recording in three attempts: " + problem)

    plugin = "lua_script:" + args.plugin
    prefs = tshark(["-G", "currentprefs", "-X", plugin])
    if "#nolt.tcp_port: 2000" not in prefs.splitlines():
        fail("the dissector's port preference does not default to 2000")

    errors = []
    expected = {"normal": NORMAL, "coalesce": COALESCE, "split": SPLIT, "info": INFO}
    # First with the normal module's port as the preference; then with the
    # default, so that the heuristic has to find every connection.
    for how, extra in (("by port", ["-o", "nolt.tcp_port:%d" % ports["normal"]]), ("by heuristic", [])):
        packets = json.loads(tshark(["-r", pcap, "-X", plugin, "-T", "json", "--no-duplicate-keys"] + extra))
        before = len(errors)
        by_port = check_units(decoded_units(packets), ports, errors, expected)
        check_segments(packets, by_port, ports, errors)
        errors[before:] = ["%s: %s" % (how, e) for e in errors[before:]]
        print("%s: %d packets, %d units decoded" % (how, len(packets), sum(len(v) for v in by_port.values())))

    # A capture that starts with the module's first reply: the heuristic must
    # still see which side is the module.
    first_reply = by_port[ports["normal"]][1][0]
    late = os.path.join(args.work, "late.pcap")
    subprocess.run(["editcap", pcap, late, "1-%d" % (first_reply - 1)], check=True, capture_output=True)
    packets = json.loads(tshark(["-r", late, "-X", plugin, "-T", "json", "--no-duplicate-keys"]))
    before = len(errors)
    check_units(decoded_units(packets), ports, errors, dict(expected, normal=NORMAL[1:]))
    errors[before:] = ["late start: %s" % e for e in errors[before:]]
    if errors:
        fail("%d mismatches:\n  %s\ncapture kept in %s" % (len(errors), "\n  ".join(errors), pcap))
    print("every unit decoded as expected")


if __name__ == "__main__":
    main()
