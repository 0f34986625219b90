// A content stream read as its operations: each operator with its operands and the bytes they span, so that
// an edit can rewrite a few operations and copy every other byte as it was.
#pragma once

#include <QByteArray>

#include <vector>

namespace zepla::pdf {

struct ContentOperand {
    enum class Kind { Number, Name, String, Array, Other };
    Kind kind = Kind::Other;
    double number = 0;
    QByteArray bytes;                  // a name without its slash, a string decoded
    std::vector<ContentOperand> items; // an array's
    qsizetype begin = 0;               // where it stands in the content
    qsizetype end = 0;
};

struct ContentOperation {
    QByteArray op; // "Tj", "cm", ...; an inline image is one operation "BI" up to its "EI"
    std::vector<ContentOperand> operands;
    qsizetype begin = 0; // its first operand, or the operator when it has none
    qsizetype end = 0;   // just after the operator
};

// Every operation of `content`, in order. Malformed bits are skipped as PDF readers skip them; operands left
// without an operator at the end are dropped.
std::vector<ContentOperation> contentOperations(const QByteArray& content);

// A number as content streams write it: at most `decimals` places, no exponent, no trailing zeros, no "-0".
QByteArray contentNumber(double value, int decimals);

} // namespace zepla::pdf
