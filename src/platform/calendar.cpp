#include "platform/calendar.h"

namespace nolt {

std::tm localCalendar(std::time_t moment)
{
    std::tm fields{};
#ifdef _WIN32
    localtime_s(&fields, &moment);
#else
    localtime_r(&moment, &fields);
#endif
    return fields;
}

std::tm utcCalendar(std::time_t moment)
{
    std::tm fields{};
#ifdef _WIN32
    gmtime_s(&fields, &moment);
#else
    gmtime_r(&moment, &fields);
#endif
    return fields;
}

}  // namespace nolt
