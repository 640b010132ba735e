// What every part of the port shares: the call trace, injected failures and
// the reset that gives each test a fresh platform.
//
// The game calls the port before main() (static initialisation) and after it
// returns (exit destructors), so nothing here is a global with a constructor
// or destructor: state is made on first use and lives until the process ends.
#pragma once

#include <string>

namespace port {

// Appends one line to the trace, printf-style, when tracing is on.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool TraceEnabled();

// Every platform entry point starts with Injected("Name"): it counts the call
// and answers true when this call is to fail (see control.h); the function then
// fails with the error code that Windows gives for that kind of failure.
bool Injected(const char* function);

// Each part of the port that keeps state registers, when its state is first
// made, how to forget it:
//   Windows& State() {
//       static Windows* state = [] { RegisterReset(...); return new Windows; }();
//       return *state;
//   }
using ResetFunction = void (*)();
void RegisterReset(ResetFunction reset);

// Live object counts, kept up to date by the parts that make the objects.
struct LiveCounts;
LiveCounts& Counters();

// Reads an environment variable; empty when unset.
std::string Env(const char* name);

}  // namespace port
