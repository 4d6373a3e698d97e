// Places where the code does something other than it seems to: a
// conditional jump, movp or jmpp at a page's last byte (the page of its
// second byte, or of the next byte, counts), a table that its movp cannot
// reach, an interrupt routine that changes A, PSW or the interrupted
// program's registers without saving them, and code no path reaches.
#pragma once

#include <vector>

#include "analysis/finding.h"
#include "analysis/flow.h"

namespace zorvin::analysis {

std::vector<Finding> page_hazards(const Program& program, const Flow& flow);

std::vector<Finding> interrupt_hazards(const Program& program, const Flow& flow);

// Code lines of the source that no path reaches, one finding per run of them.
std::vector<Finding> unreached_code(const Program& program, const Flow& flow);

}  // namespace zorvin::analysis
