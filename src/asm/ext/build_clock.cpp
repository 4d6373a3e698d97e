#include "asm/ext/build_clock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace zorvin::asm48::ext {

BuildClock build_clock() {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  char* end = nullptr;
  errno = 0;
  const long long fixed = epoch ? std::strtoll(epoch, &end, 10) : 0;
  if (epoch && *epoch && end && *end == '\0' && errno == 0 && fixed >= 0) {
    now = static_cast<std::time_t>(fixed);
    gmtime_r(&now, &parts);
  } else {
    localtime_r(&now, &parts);
  }
  char date[32];
  char time[32];
  std::snprintf(date, sizeof date, "%02d/%02d/%02d", parts.tm_mon + 1, parts.tm_mday, parts.tm_year % 100);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
  return {date, time};
}

}  // namespace zorvin::asm48::ext
