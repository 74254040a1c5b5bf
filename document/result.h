#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tintwell::document {

// Why a file could not be read or written, in words fit for a person.
struct Error {
    std::string reason;
};

// A value, or the reason there is none.
template <typename T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}  // NOLINT: implicit on purpose
    Result(Error error) : m_state(std::move(error)) {}

    bool Ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return Ok(); }
    T& Value() { return std::get<T>(m_state); }
    const T& Value() const { return std::get<T>(m_state); }
    const Error& Failure() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

struct Done {};
using Status = Result<Done>;

inline Error Fail(std::string reason) {
    return Error{std::move(reason)};
}

}  // namespace tintwell::document
