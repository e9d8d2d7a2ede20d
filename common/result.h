// How an operation that can fail says so: a Result holds its value, or the reason it failed in words
// for the user. The reason travels up unchanged to the one place that shows a message.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace aquine {

// Why an operation failed: UTF-8 text meant for the message the user sees.
struct Failure {
    std::string reason;
};

inline Failure fail(std::string reason) { return Failure{std::move(reason)}; }

template <class T = void> class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() {
        assert(ok());
        return std::get<0>(m_state);
    }
    const T& value() const {
        assert(ok());
        return std::get<0>(m_state);
    }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    T value_or(T fallback) const { return ok() ? std::get<0>(m_state) : std::move(fallback); }

    // Empty when the operation succeeded.
    const std::string& reason() const {
        static const std::string none;
        return ok() ? none : std::get<1>(m_state).reason;
    }

private:
    std::variant<T, Failure> m_state;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_failed(true), m_reason(std::move(failure.reason)) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const std::string& reason() const { return m_reason; }

private:
    bool m_failed = false;
    std::string m_reason;
};

// The end of a save the user can call off half way (it may ask for a name first). A failure has been
// shown to the user already by the time this is returned.
enum class SaveOutcome { Saved, Cancelled, Failed };

} // namespace aquine
