#pragma once

// The trace convention of the statistics generator, written once: an
// operation catches every failure at its end, traces "Error in
// <Class>.<operation>: " and the failure's text at severity 0, and gives its
// neutral result; a traced operation writes "I <Class>.<operation>" on entry
// and "O <Class>.<operation>" on exit.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "base/Failure.h"
#include "util/Debug.h"

namespace util {

// "<owner>.<operation>".
inline std::string operationName(std::string_view owner, std::string_view operation) {
  std::string name;
  name.reserve(owner.size() + 1 + operation.size());
  name.append(owner).append(1, '.').append(operation);
  return name;
}

// "Error in <owner>.<operation>: " and the failure's text (a few operations
// write " : ", or a blank, instead of ": ").
inline std::string failureLine(std::string_view owner, std::string_view operation,
                               const std::exception& e, std::string_view separator = ": ") {
  return "Error in " + operationName(owner, operation) + std::string(separator) +
         base::failureText(e);
}

// The failure line above, traced at severity 0.
inline void traceFailure(std::string_view owner, std::string_view operation,
                         const std::exception& e, std::string_view separator = ": ") {
  Debug::print(failureLine(owner, operation, e, separator), 0);
}

// "Error in <owner>.<operation>: " and `text`, at severity 0, for a failure
// found without an exception.
inline void traceError(std::string_view owner, std::string_view operation, std::string_view text) {
  Debug::print("Error in " + operationName(owner, operation) + ": " + std::string(text), 0);
}

// "Error in <where>: " and the failure's text, at severity 0, for the
// operations traced by one name alone (a constructor, a free function).
inline void traceFailure(std::string_view where, const std::exception& e) {
  Debug::print("Error in " + std::string(where) + ": " + base::failureText(e), 0);
}

// `prefix` ("I " or "O ") and "<owner>.<operation>" at `severity`; the text
// is only made when it is written.
inline void traceStep(const char* prefix, std::string_view owner, std::string_view operation,
                      int32_t severity) {
  if (Debug::level() >= severity) Debug::print(prefix + operationName(owner, operation), severity);
}

// Runs `body`, giving its result, or `neutral` when it fails (traced as
// above).
template <class R, class F>
R orNeutral(std::string_view owner, std::string_view operation, R neutral, F&& body) {
  try {
    return std::forward<F>(body)();
  } catch (const std::exception& e) {
    traceFailure(owner, operation, e);
    return neutral;
  }
}

// Runs `body` as an operation that gives nothing: a failure is traced with
// `separator` after the operation's name and ends it.
template <class F>
void guarded(std::string_view owner, std::string_view operation, std::string_view separator,
             F&& body) {
  try {
    std::forward<F>(body)();
  } catch (const std::exception& e) {
    traceFailure(owner, operation, e, separator);
  }
}

// The same with ": ".
template <class F>
void guarded(std::string_view owner, std::string_view operation, F&& body) {
  guarded(owner, operation, ": ", std::forward<F>(body));
}

// When a traced operation writes its exit line.
enum class ExitLine {
  kOnSuccess,  // only when it ends without a failure
  kAlways,     // after a failure too
};

// Runs `body` as a traced operation: the entry line, the body guarded as
// above, the exit line.
template <class F>
void traced(std::string_view owner, std::string_view operation, int32_t severity, ExitLine exit,
            F&& body) {
  traceStep("I ", owner, operation, severity);
  try {
    std::forward<F>(body)();
  } catch (const std::exception& e) {
    traceFailure(owner, operation, e);
    if (exit == ExitLine::kOnSuccess) return;
  }
  traceStep("O ", owner, operation, severity);
}

}  // namespace util
