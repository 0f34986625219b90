#include "LaunchTrace.h"

#include <QLoggingCategory>

#include <chrono>
#include <set>
#include <string>

namespace zepla::platform::LaunchTrace {

namespace {

Q_LOGGING_CATEGORY(launchCategory, "zepla.launch", QtWarningMsg)

} // namespace

void reached(const char* milestone) {
    if (!launchCategory().isInfoEnabled())
        return;
    static std::set<std::string> reachedAlready;
    if (!reachedAlready.insert(milestone).second)
        return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const double milliseconds = std::chrono::duration<double, std::milli>(now).count();
    qCInfo(launchCategory, "%s at %.3f", milestone, milliseconds);
}

} // namespace zepla::platform::LaunchTrace
