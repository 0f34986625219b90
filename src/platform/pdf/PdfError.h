// Errors of the PDF layer as values: a kind the caller can branch on and a message a user can read.
#pragma once

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace zepla::pdf {

struct Error {
    enum class Kind {
        Damaged,       // the bytes are not a PDF, or too broken to repair
        Undecryptable, // encrypted, and what decrypting its pages needs is lost with the damage
        NeedsPassword, // the document is locked; authenticate first
        WrongPassword,
        Unsupported, // a feature of the file this layer cannot handle
        Failed,      // anything else MuPDF reported
    };
    Kind kind = Kind::Failed;
    QString message;
};

// A value or an error. Small on purpose: the layer only needs "did it work, and if not, why".
template <class T> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_value(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_value); }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<T>(m_value); }
    const T& value() const { return std::get<T>(m_value); }
    T* operator->() { return &value(); }
    const Error& error() const { return std::get<Error>(m_value); }

private:
    std::variant<T, Error> m_value;
};

// A result without a value: success, or an error.
class Status {
public:
    Status() = default;
    Status(Error error) : m_error(std::move(error)) {}
    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace zepla::pdf
