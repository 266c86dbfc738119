// A moment as calendar fields, through the C library's thread-safe
// conversions (each system names them differently).
#pragma once

#include <ctime>

namespace nolt {

std::tm localCalendar(std::time_t moment);  // the PC's time zone
std::tm utcCalendar(std::time_t moment);

}  // namespace nolt
