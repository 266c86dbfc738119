-- Wireshark dissector for the nolt module protocol: the binary frames
-- (AA, code, N, N payload bytes, checksum) and the unframed push-address
-- text that the tool and a camera module exchange on one TCP connection.
--
-- Install: the Debian package puts it in Wireshark's global Lua plugins
-- folder; otherwise copy this file into the personal plugins folder
-- (Linux: ~/.local/lib/wireshark/plugins/, Windows: %APPDATA%\Wireshark\plugins\)
-- or load it for one run:  tshark -X lua_script:nolt.lua -r capture.pcap
-- Loaded twice (a personal copy beside the installed one, or -X where the
-- package is installed), the second copy steps aside.
--
-- Traffic on TCP port 2000 (preference "nolt.tcp_port") is taken as ours;
-- on other ports a segment that starts with AA and a known code, or with
-- "get_addrrtmp", claims its connection. Frames to the module's port are
-- commands, frames from it are replies.
--
-- Written for the Lua API of Wireshark and tshark 3.x and 4.x.

-- BEGIN GENERATED TABLES (by make_lua_tables from the tool's tables; do not edit)
local command_names = {
    [0x01] = "Status query",
    [0x02] = "Main stream settings",
    [0x04] = "IP settings",
    [0x05] = "Version query",
    [0x10] = "Sub stream settings",
    [0x20] = "Network bandwidth",
    [0x21] = "DHCP switch",
}
local reply_names = {
    [0x01] = "Status report",
    [0x02] = "Main stream settings result",
    [0x04] = "IP settings result",
    [0x05] = "Version report",
    [0x06] = "Information storage result",
    [0x10] = "Sub stream settings result",
    [0x20] = "Network bandwidth result",
    [0x21] = "DHCP switch result",
}
-- The stream lists in payload order; a payload byte n is item n (0: none).
local main_lists = {
    { label = "Bit rate", field = "bit_rate", items = { "1M", "1.5M", "2M", "3M", "4M", "5M", "6M", "7M", "8M" } },
    { label = "Resolution", field = "resolution", items = { "720P", "1080P", "2160P" } },
    { label = "Net Push Mode", field = "push_mode", items = { "UDP Bare flow", "RTSP", "SPI 422", "RTMP", "onvif" } },
    { label = "Encoder format", field = "encoder", items = { "H264", "H265" } },
    { label = "Frame rate", field = "frame_rate", items = { "25 frame", "30 frame" } },
    { label = "Packet format", field = "packet", items = { "By Slice", "By Frame" } },
    { label = "Record format", field = "record", items = { "MP4", "H264", "H265" } },
}
local sub_lists = {
    { label = "Bit rate", field = "bit_rate", items = { "1M", "1.5M", "2M", "3M", "4M", "5M", "6M", "7M", "8M" } },
    { label = "Resolution", field = "resolution", items = { "1280*720", "1920*1080", "1024*768", "720*576", "640*480", "320*240" } },
    { label = "Net Push Mode", field = "push_mode", items = { "RTSP to network", "RTMP  to network" } },
    { label = "Encoder format", field = "encoder", items = { "H264", "H265" } },
    { label = "Frame rate", field = "frame_rate", items = { "25 frame", "30 frame" } },
    { label = "Packet format", field = "packet", items = { "By Slice", "By Frame" } },
}
-- Payload bytes 0-5 of the IP settings when the module gets no UDP target.
local no_udp_filler = "0000000E0000"
-- END GENERATED TABLES

-- Wireshark refuses a second protocol of the same name with an error; the
-- copy loaded first keeps it.
local registered, nolt = pcall(Proto, "nolt", "nolt module protocol")
if not registered then return end

local START = 0xAA
local OVERHEAD = 4 -- start, code, length, checksum
local ADDRESS_REQUEST = "get_addrrtmp"

local checksum_status = { [0] = "Bad", [1] = "Good" }
local bandwidth_names = { [0] = "100M", [1] = "10M" }
local dhcp_names = { [0] = "Off", [1] = "On" }

local f = {
    direction = ProtoField.string("nolt.direction", "Direction"),
    name = ProtoField.string("nolt.name", "Name"),
    start = ProtoField.uint8("nolt.start", "Start byte", base.HEX),
    code = ProtoField.uint8("nolt.code", "Code", base.HEX),
    length = ProtoField.uint8("nolt.length", "Payload length", base.DEC),
    payload = ProtoField.bytes("nolt.payload", "Payload"),
    checksum = ProtoField.uint8("nolt.checksum", "Checksum", base.HEX),
    checksum_status = ProtoField.uint8("nolt.checksum.status", "Checksum status", base.DEC, checksum_status),
    text = ProtoField.string("nolt.text", "Text"),
    output_freq = ProtoField.int8("nolt.status.output_freq", "Output Freq"),
    input_freq = ProtoField.int8("nolt.status.input_freq", "Input Freq"),
    src_size = ProtoField.string("nolt.status.src_size", "Src Img Size"),
    src_width = ProtoField.int16("nolt.status.src_width", "Width"),
    src_height = ProtoField.int16("nolt.status.src_height", "Height"),
    dest_size = ProtoField.string("nolt.status.dest_size", "Dest Img Size"),
    dest_width = ProtoField.int16("nolt.status.dest_width", "Width"),
    dest_height = ProtoField.int16("nolt.status.dest_height", "Height"),
    version = ProtoField.int32("nolt.version", "Version number"),
    udp_target = ProtoField.bool("nolt.ip.udp_target", "UDP target given"),
    udp_address = ProtoField.ipv4("nolt.ip.udp_address", "Udp Rec IP"),
    udp_port = ProtoField.uint16("nolt.ip.udp_port", "Udp Rec Port"),
    address = ProtoField.ipv4("nolt.ip.address", "Camera IP"),
    gateway = ProtoField.ipv4("nolt.ip.gateway", "Gateway"),
    dns = ProtoField.ipv4("nolt.ip.dns", "DNS"),
    mask = ProtoField.ipv4("nolt.ip.mask", "Submask"),
    bandwidth = ProtoField.uint8("nolt.bandwidth", "Network bandwidth", base.DEC, bandwidth_names),
    dhcp = ProtoField.uint8("nolt.dhcp", "DHCP", base.DEC, dhcp_names),
}

-- One string field per stream list, named after its payload byte.
local function list_fields(prefix, title, lists)
    for _, list in ipairs(lists) do
        list.pf = ProtoField.string(prefix .. list.field, title .. " " .. list.label)
        f[prefix .. list.field] = list.pf
    end
end
list_fields("nolt.main.", "Main", main_lists)
list_fields("nolt.sub.", "Sub", sub_lists)

local field_list = {}
for _, pf in pairs(f) do field_list[#field_list + 1] = pf end
nolt.fields = field_list

local ef_bad_checksum = ProtoExpert.new("nolt.checksum.bad", "Bad checksum",
    expert.group.CHECKSUM, expert.severity.WARN)
local ef_short = ProtoExpert.new("nolt.payload.short", "Payload too short for this code",
    expert.group.MALFORMED, expert.severity.WARN)
local ef_unknown = ProtoExpert.new("nolt.code.unknown", "Unknown code",
    expert.group.UNDECODED, expert.severity.NOTE)
nolt.experts = { ef_bad_checksum, ef_short, ef_unknown }

nolt.prefs.tcp_port = Pref.uint("TCP port", 2000, "The port the module listens on")

local tcp_stream = Field.new("tcp.stream")

-- The module's port per TCP connection, for connections found by the heuristic.
local module_ports = {}

function nolt.init()
    module_ports = {}
end

-- Frames no tool sends, or payloads no command has, come from the module.
local function looks_like_reply(tvb, offset)
    if tvb:len() - offset < 3 or tvb(offset, 1):uint() ~= START then return false end
    local code, n = tvb(offset + 1, 1):uint(), tvb(offset + 2, 1):uint()
    return command_names[code] == nil or ((code == 0x01 or code == 0x05) and n ~= 1)
end

-- True when the bytes travel to the module. On the configured port that is
-- known; elsewhere the first unit of a connection decides, since the tool
-- speaks first.
local function to_module(tvb, pinfo, offset)
    local port = nolt.prefs.tcp_port
    if pinfo.dst_port == port then return true end
    if pinfo.src_port == port then return false end
    local stream = tcp_stream()
    local key = stream and stream.value or -1
    if module_ports[key] == nil then
        module_ports[key] = looks_like_reply(tvb, offset) and pinfo.src_port or pinfo.dst_port
    end
    return pinfo.dst_port == module_ports[key]
end

local function item_text(list, value)
    if value == 0 then return "none" end
    return list.items[value] or ("unknown (" .. value .. ")")
end

local function add_lists(tree, payload, lists)
    for i, list in ipairs(lists) do
        local range = payload(i - 1, 1)
        tree:add(list.pf, range, item_text(list, range:uint())):append_text(" (" .. range:uint() .. ")")
    end
end

-- Width by height as the tool shows it: "0" when either side is 0.
local function size_text(width, height)
    if width == 0 or height == 0 then return "0" end
    return width .. "x" .. height
end

local function add_size(tree, payload, at, pf, pf_width, pf_height)
    local width, height = payload(at, 2):int(), payload(at + 2, 2):int()
    local sub = tree:add(pf, payload(at, 4), size_text(width, height))
    sub:add(pf_width, payload(at, 2))
    sub:add(pf_height, payload(at + 2, 2))
end

local function decode_status(tree, payload)
    tree:add(f.output_freq, payload(0, 1))
    tree:add(f.input_freq, payload(1, 1))
    add_size(tree, payload, 2, f.src_size, f.src_width, f.src_height)
    add_size(tree, payload, 6, f.dest_size, f.dest_width, f.dest_height)
end

local function decode_ip(tree, payload)
    local has_udp = tostring(payload(0, 6):bytes()):upper() ~= no_udp_filler
    tree:add(f.udp_target, payload(0, 6), has_udp)
    tree:add(f.udp_address, payload(0, 4))
    tree:add(f.udp_port, payload(4, 2))
    tree:add(f.address, payload(6, 4))
    tree:add(f.gateway, payload(10, 4))
    tree:add(f.dns, payload(14, 4))
    tree:add(f.mask, payload(18, 4))
end

-- Each decoder with the payload length it needs. Settings results echo the
-- command's payload, so they decode the same way.
local decoders = {
    [0x01] = { reply = { 10, decode_status } },
    [0x02] = { both = { 7, function(t, p) add_lists(t, p, main_lists) end } },
    [0x04] = { both = { 22, decode_ip } },
    [0x05] = { reply = { 4, function(t, p) t:add(f.version, p(0, 4)) end } },
    [0x10] = { both = { 6, function(t, p) add_lists(t, p, sub_lists) end } },
    [0x20] = { both = { 1, function(t, p) t:add(f.bandwidth, p(0, 1)) end } },
    [0x21] = { both = { 1, function(t, p) t:add(f.dhcp, p(0, 1)) end } },
}

local function decode_payload(tree, pinfo, payload_range, code, outgoing)
    local entry = decoders[code]
    if entry == nil then return end
    local decoder = entry.both
    if decoder == nil then
        if outgoing then decoder = entry.command else decoder = entry.reply end
    end
    if decoder == nil then return end
    if payload_range == nil or payload_range:len() < decoder[1] then
        tree:add_proto_expert_info(ef_short)
        return
    end
    decoder[2](tree, payload_range)
end

local function dissect_frame(tvb, pinfo, tree, offset, outgoing)
    local code = tvb(offset + 1, 1):uint()
    local n = tvb(offset + 2, 1):uint()
    local names = outgoing and command_names or reply_names
    local name = names[code] or ("Unknown code 0x" .. string.format("%02X", code))
    local item = tree:add(nolt, tvb(offset, n + OVERHEAD), "nolt " .. name)
    item:add(f.direction, outgoing and "command" or "reply"):set_generated()
    item:add(f.name, name):set_generated()
    item:add(f.start, tvb(offset, 1))
    local code_item = item:add(f.code, tvb(offset + 1, 1))
    code_item:append_text(" (" .. name .. ")")
    if names[code] == nil then code_item:add_proto_expert_info(ef_unknown) end
    item:add(f.length, tvb(offset + 2, 1))

    local payload = nil
    local sum = 0
    if n > 0 then
        payload = tvb(offset + 3, n)
        local payload_item = item:add(f.payload, payload)
        for i = 0, n - 1 do sum = sum + payload(i, 1):uint() end
        decode_payload(payload_item, pinfo, payload, code, outgoing)
    end
    local expected = sum % 256
    local checksum_range = tvb(offset + 3 + n, 1)
    local good = checksum_range:uint() == expected
    local checksum_item = item:add(f.checksum, checksum_range)
    if not good then checksum_item:append_text(string.format(" [expected 0x%02x]", expected)) end
    local status_item = checksum_item:add(f.checksum_status, checksum_range, good and 1 or 0)
    status_item:set_generated()
    if not good then status_item:add_proto_expert_info(ef_bad_checksum) end
    return good and name or (name .. " [bad checksum]")
end

local function dissect_text(tvb, pinfo, tree, offset, length, outgoing)
    local range = tvb(offset, length)
    local text = range:string()
    local name
    if text == ADDRESS_REQUEST then
        name = "Address request"
    elseif outgoing then
        name = "Address upload"
    else
        name = "Address answer"
    end
    local item = tree:add(nolt, range, "nolt " .. name)
    item:add(f.direction, outgoing and "command" or "reply"):set_generated()
    item:add(f.name, name):set_generated()
    item:add(f.text, range)
    return name .. ": " .. text
end

-- Length of the text unit at offset: the request is exactly 12 bytes; any
-- other text is one block that ends at a zero byte or with the segment.
local function text_length(tvb, offset)
    local rest = tvb:len() - offset
    if rest >= #ADDRESS_REQUEST and tvb(offset, #ADDRESS_REQUEST):string() == ADDRESS_REQUEST then
        return #ADDRESS_REQUEST
    end
    for i = 0, rest - 1 do
        local b = tvb(offset + i, 1):uint()
        if b == 0 then return math.max(i, 1) end
        if b == START and i > 0 then return i end
    end
    return rest
end

function nolt.dissector(tvb, pinfo, tree)
    local length = tvb:len()
    local offset = 0
    local summary = {}
    while offset < length do
        local outgoing = to_module(tvb, pinfo, offset)
        local rest = length - offset
        local consumed
        if tvb(offset, 1):uint() == START then
            if rest < 3 then
                pinfo.desegment_offset = offset
                pinfo.desegment_len = DESEGMENT_ONE_MORE_SEGMENT
                break
            end
            local total = tvb(offset + 2, 1):uint() + OVERHEAD
            if rest < total then
                pinfo.desegment_offset = offset
                pinfo.desegment_len = total - rest
                break
            end
            summary[#summary + 1] = dissect_frame(tvb, pinfo, tree, offset, outgoing)
            consumed = total
        else
            consumed = text_length(tvb, offset)
            summary[#summary + 1] = dissect_text(tvb, pinfo, tree, offset, consumed, outgoing)
        end
        offset = offset + consumed
    end
    if #summary > 0 then
        pinfo.cols.protocol = "nolt"
        pinfo.cols.info = table.concat(summary, ", ")
    end
    return length
end

local function known_code(code)
    return command_names[code] ~= nil or reply_names[code] ~= nil
end

local function heuristic(tvb, pinfo, tree)
    local length = tvb:len()
    local claims = false
    if length >= 2 and tvb(0, 1):uint() == START then
        claims = known_code(tvb(1, 1):uint())
    elseif length >= #ADDRESS_REQUEST then
        claims = tvb(0, #ADDRESS_REQUEST):string() == ADDRESS_REQUEST
    end
    if not claims then return false end
    pinfo.conversation = nolt
    nolt.dissector(tvb, pinfo, tree)
    return true
end

local registered_port = nil

local function register_port()
    local tcp_port = DissectorTable.get("tcp.port")
    if registered_port ~= nil then tcp_port:remove(registered_port, nolt) end
    registered_port = nolt.prefs.tcp_port
    if registered_port ~= 0 then tcp_port:add(registered_port, nolt) end
end

function nolt.prefs_changed()
    if registered_port ~= nolt.prefs.tcp_port then register_port() end
end

register_port()
nolt:register_heuristic("tcp", heuristic)
