// A value or the error that took its place: how every layer hands failures back without exceptions. Each
// layer brings its own error type: a kind callers branch on and a message a user can read, or the message
// alone where nobody branches.
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace zepla {

template <class T, class E> class Result {
public:
    Result(T value) : m_value(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_value(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_value.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_value); }
    const T& value() const& { return std::get<0>(m_value); }
    T&& value() && { return std::get<0>(std::move(m_value)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const E& error() const& { return std::get<1>(m_value); }
    E&& error() && { return std::get<1>(std::move(m_value)); }

private:
    std::variant<T, E> m_value;
};

// Success without a value, or an error.
template <class E> class Result<void, E> {
public:
    Result() = default;
    Result(E error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }

    const E& error() const& { return *m_error; }
    E&& error() && { return *std::move(m_error); }

private:
    std::optional<E> m_error;
};

} // namespace zepla
