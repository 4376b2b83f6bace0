// The one place where exceptions stop. Every procedure Excel (or the loader) calls by name runs
// its body through Guarded: whatever the body throws ends there, is traced to the debugger
// channel, and the caller gets the procedure's failure answer instead. An exception that
// crossed into Excel would take the user's Excel, and their unsaved work, down with it.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

namespace firewall {
// Called with the procedure's name as each guarded body starts. Null in the add-in; tests set
// it to make every exported procedure fail at its door and watch what comes out.
extern void (*OnEntry)(const char* procedure);

// "Erro! Exceção em <procedure>: <what>" on the debugger channel; never throws.
void TraceEscape(const char* procedure, const char* what) noexcept;

template <class Body> auto RunTracing(const char* procedure, bool& failed, Body& body) noexcept {
  using Result = std::invoke_result_t<Body&>;
  try {
    if (OnEntry != nullptr) OnEntry(procedure);
    return body();
  } catch (const std::exception& e) {
    TraceEscape(procedure, e.what());
  } catch (...) {
    TraceEscape(procedure, nullptr);
  }
  failed = true;
  if constexpr (!std::is_void_v<Result>) return Result{};
}
} // namespace firewall

// Runs `body` for the exported `procedure`; on any exception answers `failure`: a value, or a
// callable that makes it (a worksheet function's error record).
template <class Failure, class Body>
auto Guarded(const char* procedure, Failure&& failure, Body&& body) noexcept {
  bool failed = false;
  auto result = firewall::RunTracing(procedure, failed, body);
  if (!failed) return result;
  if constexpr (std::is_invocable_v<Failure&>)
    return static_cast<decltype(result)>(failure());
  else
    return static_cast<decltype(result)>(failure);
}

// The same for a procedure that returns nothing.
template <class Body> void Guarded(const char* procedure, Body&& body) noexcept {
  bool failed = false;
  firewall::RunTracing(procedure, failed, body);
}
