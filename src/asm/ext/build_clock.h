// DATE ("MM/DD/YY") and TIME ("HH:MM:SS") of an assembly run. When
// SOURCE_DATE_EPOCH is set they come from it (in UTC), so that the same
// source gives the same image on every machine and day; a value that is no
// such time leaves them unset, and a run that uses them fails.
#pragma once

#include <string>

namespace zorvin::asm48::ext {

struct BuildClock {
  std::string date;
  std::string time;
  std::string fault;  // " -> ..." when SOURCE_DATE_EPOCH is set but no time; then no date and time
};

BuildClock build_clock();

}  // namespace zorvin::asm48::ext
