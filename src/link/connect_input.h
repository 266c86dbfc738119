// Reading the address and port the user typed for a connection.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nolt {

// The port field read as a signed integer the way the dialog's numeric
// fields are read: surrounding blanks allowed, an optional minus sign, then
// digits only. Anything else, or a value outside 32 bits, reads as 0.
int readPortText(const std::wstring& text);

// Whether the pair may be used at all: the address is not "0.0.0.0" and the
// port lies in 1..65534.
bool connectInputAcceptable(const std::wstring& address, int port);

// The address in network byte order, from four decimal numbers of 0 to 255
// with dots between (up to three digits each) and nothing else; nullopt for
// any other text, and for 0.0.0.0 and 255.255.255.255, which are no module's.
std::optional<std::uint32_t> readAddressText(const std::wstring& text);

}  // namespace nolt
