// A value or the error that took its place: how the engine hands failures back without exceptions.
#pragma once

#include <utility>
#include <variant>

namespace zepla::ai {

template <typename T, typename E> class Result {
public:
    Result(T value) : m_value(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_value(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_value.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<0>(m_value); }
    T&& value() && { return std::get<0>(std::move(m_value)); }
    const E& error() const& { return std::get<1>(m_value); }
    E&& error() && { return std::get<1>(std::move(m_value)); }

private:
    std::variant<T, E> m_value;
};

} // namespace zepla::ai
