// DATE ("MM/DD/YY") and TIME ("HH:MM:SS") of an assembly run. When
// SOURCE_DATE_EPOCH is set they come from it (in UTC), so that the same
// source gives the same image on every machine and day.
#pragma once

#include <string>

namespace zorvin::asm48::ext {

struct BuildClock {
  std::string date;
  std::string time;
};

BuildClock build_clock();

}  // namespace zorvin::asm48::ext
