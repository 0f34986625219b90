// Parse errors: error objects in the domain "ParseError" whose code is the
// error kind counted from 1 and whose message is the localized description. Returned through an
// error argument, never thrown; the first error of a parse wins.
#pragma once

#include <QString>

namespace zepla::math {

// The error kinds; the code is the raw value. 9 (missingEnv) is never produced. 15 is Zepla's own:
// the formula nests deeper than MTMathListBuilder::maxNestingDepth.
enum class MTParseErrors : int {
    mismatchBraces = 1,
    invalidCommand = 2,
    characterNotFound = 3,
    missingDelimiter = 4,
    invalidDelimiter = 5,
    missingRight = 6,
    missingLeft = 7,
    invalidEnv = 8,
    missingEnv = 9,
    missingBegin = 10,
    missingEnd = 11,
    invalidNumColumns = 12,
    internalError = 13,
    invalidLimits = 14,
    nestingTooDeep = 15,
};

struct MTParseError {
    static QString errorDomain() { return QStringLiteral("ParseError"); }

    QString domain = errorDomain();
    int code = 0;
    QString message;

    MTParseError() = default;
    MTParseError(MTParseErrors kind, const QString& msg) : code(static_cast<int>(kind)), message(msg) {}

    MTParseErrors kind() const { return static_cast<MTParseErrors>(code); }
    // The message (kept under the localized-description key in the platform's error object).
    const QString& localizedDescription() const { return message; }

    friend bool operator==(const MTParseError&, const MTParseError&) = default;
};

} // namespace zepla::math
