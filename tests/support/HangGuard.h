// Tests wait for events, never for a time: a limit on a wait only guards against a hang, and must hold on a
// busy two-core machine where an event may come tens of seconds late. This header is put ahead of every test
// source, so Qt's QTRY_* checks without a timeout of their own wait up to the guard rather than five seconds.
#pragma once

#include <QtTest/qtestcase.h>

namespace testsupport {

// How long a test waits for an event before calling it lost.
inline constexpr int hangGuardMs = 120000;
// The same for the end of long work (a hundred pages drawn), which two busy cores may take minutes over.
inline constexpr int longWorkGuardMs = 900000;

} // namespace testsupport

#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, ::testsupport::hangGuardMs)
#undef QTRY_VERIFY2
#define QTRY_VERIFY2(expr, messageExpression)                                                                \
    QTRY_VERIFY2_WITH_TIMEOUT(expr, messageExpression, ::testsupport::hangGuardMs)
#undef QTRY_COMPARE
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, ::testsupport::hangGuardMs)
