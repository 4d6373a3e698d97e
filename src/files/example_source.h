// The program skeleton that "Quelle neu" puts into the editor.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace zorvin::files {

// "dd.mm.yyyy" of the given local time.
std::string date_text(const std::tm& local);

// The 42 lines of the example program. date() is asked once for each line
// that shows a date, so each line has the date of the moment it was made.
std::vector<std::string> example_source_lines(const std::function<std::string()>& date, const std::string& author);

// Today's date in the local time zone, and the login name of the real user
// ("" when the user database has no entry).
std::string today();
std::string login_name();

}  // namespace zorvin::files
