#pragma once
// How the core reports failure. A function that can fail returns a `Status` (success, or what
// went wrong) or a `Result<T>` (a value, or what went wrong); it neither shows a message nor
// throws. The failure says what kind of failure it is, why, and what it is about; the message the
// user sees (its lines, title and icon) is made from it in one place above the engine
// (app/failure_message.h), so that every front end shows the same text. Both types are
// [[nodiscard]], so a result that is dropped without a look is a compile-time warning (an error in
// CI builds).
#include <cassert>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace sorvek {

// What kind of failure: what a program or a script may act on (the C API's error codes and the
// Python module's exception kinds are these). The reason says it in words.
enum class FailureKind : std::uint8_t {
    Failed,             // nothing more specific is known
    NotFound,           // no such file or folder
    IsDirectory,        // a folder where a file is needed
    Permission,         // access refused (also a read-only file system)
    DeviceOrSocket,     // a device, FIFO or socket where it cannot serve, or no such device
    NoSpace,            // the disk or the file system is full (or the file too large for it)
    ReadError,          // reading failed (also a file cut short while it was read)
    WriteError,         // writing failed
    InvalidData,        // the data cannot be converted as the definition says
    InvalidDefinition,  // the record definition cannot be used
    NotDefinitionFile,  // the file is no record definition file
    RefusedArgument,    // a parameter or an option that cannot be taken
    Cancelled,          // stopped by the user or a signal
    NoMemory,           // memory ran out
};

// What a failure's message names before its reason: the step that failed on a job's file, or
// the parameter that was refused, with `Failure::subject` the path or the value.
enum class FailureSubject : std::uint8_t {
    None,          // the reason is the whole text
    InputMissing,  // the input does not exist
    InputOpen,     // the input could not be opened
    InputRead,     // the input could not be read
    OutputOpen,    // the output could not be opened (or may not be written)
    OutputWrite,   // the output could not be written
    RecordLength,  // the record length was refused
    LineEnding,    // the line ending was refused
    JobSwitch,     // the switch that names the job was refused
};

// What went wrong.
struct Failure {
    Failure() = default;
    explicit Failure(FailureKind k, std::string why = {}, FailureSubject on = FailureSubject::None,
                     std::string what = {})
        : kind(k), reason(std::move(why)), about(on), subject(std::move(what)) {}

    FailureKind kind = FailureKind::Failed;
    // Why, in the user's words (UTF-8): for a failure about something named (`about`), the line
    // after the names, which may be empty; otherwise the whole text, which may be empty when the
    // caller's own message says everything.
    std::string reason;
    FailureSubject about = FailureSubject::None;
    std::string subject;  // the path or the value `about` names

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

// A failure of kind `kind` whose text is `reason`.
inline Failure failure(std::string reason, FailureKind kind = FailureKind::Failed) {
    return Failure(kind, std::move(reason));
}

// A failure of `cause` (a failure of the platform: its kind and reason) in the step `about` on the
// file `path`. A cause of no particular kind becomes a read error for the input and a write error
// for the output.
inline Failure fileFailure(FailureSubject about, std::string path, Failure cause) {
    Failure f(cause.kind, std::move(cause.reason), about, std::move(path));
    if (f.kind == FailureKind::Failed) {
        const bool output =
            about == FailureSubject::OutputOpen || about == FailureSubject::OutputWrite;
        f.kind = output ? FailureKind::WriteError : FailureKind::ReadError;
    }
    return f;
}

}  // namespace sorvek
