#pragma once

#include "ui/Error.h"

#include <optional>
#include <utility>
#include <variant>

namespace ui {

// The error a Result is made from: `return ui::failed(why);`.
template <typename E>
struct Failed {
    E error;
};
template <typename E>
Failed<E> failed(E error)
{
    return Failed<E>{std::move(error)};
}

// What work that can fail gives back: its value, or why it failed. Pure
// work returns one; the platform services raise their Error instead.
template <typename T, typename E = Error>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failed<E> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only with ok().
    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }

    // Only without ok().
    const E& error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

// Work that gives nothing back but may fail.
template <typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(Failed<E> failure) : error_(std::move(failure.error)) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    // Only without ok().
    const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

}  // namespace ui
