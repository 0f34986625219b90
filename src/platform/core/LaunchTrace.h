// Milestones of a launch (the first document window painted, its first page painted), logged under the
// category "zepla.launch" with the wall-clock time, so a benchmark can time them from the application's own
// paints. Silent unless that logging category is enabled (QT_LOGGING_RULES="zepla.launch.info=true").
#pragma once

namespace zepla::platform::LaunchTrace {

// Logs the milestone the first time it is reached in this process; later calls cost a lookup.
void reached(const char* milestone);

} // namespace zepla::platform::LaunchTrace
