#pragma once
// How the core reports failure. A function that can fail returns a `Status` (success, or what
// went wrong) or a `Result<T>` (a value, or what went wrong); it neither shows a message nor
// throws. The failure carries the text for the user and the icon to show it with; the caller
// decides whether and where it is shown. Both types are [[nodiscard]], so a result that is
// dropped without a look is a compile-time warning (an error in CI builds).
#include <cassert>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "ports/messages.h"

namespace sorvek {

// What went wrong. `message` is complete text for the user (UTF-8); it is empty when the caller's
// own message says all there is to say.
struct Failure {
    std::string message;
    MessageIcon icon = MessageIcon::Exclamation;

    bool operator==(const Failure&) const = default;
};

// A value of type T, or an error of type E. Built implicitly from either.
template <typename T, typename E = Failure>
class [[nodiscard]] Result {
    static_assert(!std::is_same_v<std::decay_t<T>, std::decay_t<E>>, "value and error must differ");

  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
    Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT: implicit

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // REQUIRES: ok().
    T& value() & {
        assert(ok());
        return std::get<0>(state_);
    }
    const T& value() const& {
        assert(ok());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(state_));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // REQUIRES: !ok().
    const E& error() const {
        assert(!ok());
        return std::get<1>(state_);
    }

  private:
    std::variant<T, E> state_;
};

// Success, or an error of type E.
template <typename E>
class [[nodiscard]] Result<void, E> {
  public:
    Result() = default;
    Result(E error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }

    // REQUIRES: !ok().
    const E& error() const {
        assert(failed_);
        return error_;
    }

  private:
    E error_{};
    bool failed_ = false;
};

using Status = Result<void, Failure>;

// A failure with `message` and the exclamation icon.
inline Failure failure(std::string message, MessageIcon icon = MessageIcon::Exclamation) {
    return Failure{std::move(message), icon};
}

}  // namespace sorvek
