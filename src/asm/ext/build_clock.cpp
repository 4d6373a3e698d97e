#include "asm/ext/build_clock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace zorvin::asm48::ext {

BuildClock build_clock() {
  BuildClock clock;
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  // Set but empty counts as not set, as a shell's "SOURCE_DATE_EPOCH=" means.
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch && *epoch) {
    char* end = nullptr;
    errno = 0;
    const long long fixed = std::strtoll(epoch, &end, 10);
    now = static_cast<std::time_t>(fixed);
    const bool valid = end && *end == '\0' && errno == 0 && fixed >= 0 && *epoch >= '0' && *epoch <= '9' &&
                       static_cast<long long>(now) == fixed && gmtime_r(&now, &parts) != nullptr;
    if (!valid) {
      // A reproducible build must not get the day it ran instead.
      std::string shown(epoch);
      if (shown.size() > 24) shown = shown.substr(0, 24) + "...";
      clock.fault = " -> SOURCE_DATE_EPOCH ist ungültig ('" + shown +
                    "'; erwartet: Sekunden seit 1.1.1970 UTC als ganze Zahl), DATE und TIME sind daher nicht festgelegt";
      return clock;
    }
  } else {
    localtime_r(&now, &parts);
  }
  char date[32];
  char time[32];
  std::snprintf(date, sizeof date, "%02d/%02d/%02d", parts.tm_mon + 1, parts.tm_mday, parts.tm_year % 100);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
  clock.date = date;
  clock.time = time;
  return clock;
}

}  // namespace zorvin::asm48::ext
