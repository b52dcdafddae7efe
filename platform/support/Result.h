// SPDX-License-Identifier: MIT
#pragma once

// How the project's own code says that something failed: a Failure carries
// a status, for the program to act on, and a sentence, for a person to read;
// a Result<T> is either a value or a Failure. The Be API's own calls keep
// answering status_t or a pointer: they turn a Result into that at their
// edge.

#include <SupportDefs.h>

#include <string>
#include <utility>
#include <variant>

namespace BPrivate {

// Why something failed.
//
// `status` says what kind of failure it was (never B_OK). `detail`, when not
// empty, says what exactly was found, in one line without a newline: a
// predicate for the name of what failed ("is empty", "is a damaged PNG file:
// CRC error") or, where the caller adds nothing, the whole sentence.
//
// A failed system call keeps what it knew: the errno value (`error`, 0 for a
// failure that no system call reported), the call's name and the path it
// concerned, so that what a person reads is the system's own words for it.
struct Failure {
	status_t status = B_ERROR;
	std::string detail;
	int error = 0;
	const char* call = nullptr; // a string literal, or null
	std::string path;

	Failure() = default;
	explicit Failure(status_t failureStatus, std::string failureDetail = {})
		: status(failureStatus == B_OK ? B_ERROR : failureStatus), detail(std::move(failureDetail))
	{ }

	// The failure of system call `call` (a string literal) that left the
	// errno value `error`, concerning `path` when not null.
	static Failure FromSystem(int error, const char* call, const char* path = nullptr);

	// What a person reads after the name of what failed: the detail when
	// there is one, else the system's words for the errno value, else the
	// words for the status.
	std::string Reason() const;
};

// A value of type T, or the Failure that stopped it from being made.
template <typename T>
class [[nodiscard]] Result {
public:
	Result(T value) : fState(std::in_place_index<0>, std::move(value)) { }
	Result(Failure failure) : fState(std::in_place_index<1>, std::move(failure)) { }

	bool Ok() const { return fState.index() == 0; }
	explicit operator bool() const { return Ok(); }

	// The value; only when Ok().
	T& Value() & { return std::get<0>(fState); }
	const T& Value() const& { return std::get<0>(fState); }
	T&& Value() && { return std::get<0>(std::move(fState)); }

	// The failure; only when not Ok().
	const Failure& Error() const { return std::get<1>(fState); }
	Failure&& TakeError() { return std::get<1>(std::move(fState)); }

	// B_OK, or the failure's status: the edge where a status_t is answered.
	status_t Status() const { return Ok() ? B_OK : Error().status; }

private:
	std::variant<T, Failure> fState;
};

// Success that carries no value, or a Failure.
template <>
class [[nodiscard]] Result<void> {
public:
	Result() = default;
	Result(Failure failure) : fFailed(true), fFailure(std::move(failure)) { }

	// A status_t turned into a Result, with `detail` kept for a failure.
	static Result FromStatus(status_t status, std::string detail = {})
	{
		if (status == B_OK)
			return Result();
		return Result(Failure(status, std::move(detail)));
	}

	bool Ok() const { return !fFailed; }
	explicit operator bool() const { return Ok(); }

	const Failure& Error() const { return fFailure; }
	Failure&& TakeError() { return std::move(fFailure); }

	status_t Status() const { return fFailed ? fFailure.status : B_OK; }

private:
	bool fFailed = false;
	Failure fFailure;
};

} // namespace BPrivate
