#include "port/src/core.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <vector>

#include "port/control.h"

namespace port {
namespace {

struct Failure {
    int from;   // call number of the first failing call
    int count;  // 0: every call from there on
};

struct CoreState {
    bool traceOn = false;
    std::vector<std::string> trace;
    FILE* traceFile = nullptr;
    std::map<std::string, int> calls;
    // Each name's counter in `calls`, by the address the name was last passed at:
    // entry points pass literals, so a call finds its counter without a string.
    std::unordered_map<const char*, std::map<std::string, int>::iterator> counters;
    std::map<std::string, std::vector<Failure>> failures;
    std::vector<ResetFunction> resets;
    LiveCounts live;
    bool envRead = false;
};

// Made on first use and never destroyed: exit destructors still trace.
CoreState& State() {
    static CoreState* state = new CoreState;
    return *state;
}

void ParseFailures(const std::string& list) {
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::string item = list.substr(start, end - start);
        start = end + 1;
        int nth = 1, count = 1;
        size_t at = item.find('@');
        std::string name = item.substr(0, at);
        if (at != std::string::npos) {
            std::string rest = item.substr(at + 1);
            size_t x = rest.find('x');
            nth = std::atoi(rest.substr(0, x).c_str());
            if (x != std::string::npos) count = std::atoi(rest.substr(x + 1).c_str());
        }
        if (!name.empty() && nth > 0 && count >= 0) FailCall(name, nth, count);
    }
}

// The environment is read once, on the first call into the port.
void ReadEnvironment() {
    CoreState& s = State();
    if (s.envRead) return;
    s.envRead = true;
    std::string tracePath = Env("VEXAR_TRACE");
    if (!tracePath.empty()) {
        s.traceFile = std::fopen(tracePath.c_str(), "w");
        if (s.traceFile) s.traceOn = true;
        else std::fprintf(stderr, "vexar: cannot write the trace file %s\n", tracePath.c_str());
    }
    ParseFailures(Env("VEXAR_FAIL"));
}

}  // namespace

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool TraceEnabled() {
    ReadEnvironment();
    return State().traceOn;
}

void Trace(const char* format, ...) {
    if (!TraceEnabled()) return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    CoreState& s = State();
    s.trace.emplace_back(line);
    if (s.traceFile) {
        std::fprintf(s.traceFile, "%s\n", line);
        std::fflush(s.traceFile);
    }
}

bool Injected(const char* function) {
    ReadEnvironment();
    CoreState& s = State();
    auto counter = s.counters.find(function);
    if (counter == s.counters.end() || counter->second->first != function)
        counter = s.counters.insert_or_assign(function, s.calls.emplace(function, 0).first).first;
    const int call = ++counter->second->second;
    if (s.failures.empty()) return false;
    auto it = s.failures.find(function);
    if (it == s.failures.end()) return false;
    for (const Failure& f : it->second)
        if (call >= f.from && (f.count == 0 || call < f.from + f.count)) return true;
    return false;
}

void RegisterReset(ResetFunction reset) { State().resets.push_back(reset); }

LiveCounts& Counters() { return State().live; }
LiveCounts Live() { return State().live; }

void ResetForTest() {
    ReadEnvironment();
    CoreState& s = State();
    for (ResetFunction reset : s.resets) reset();
    s.live = LiveCounts();
    s.trace.clear();
    s.counters.clear();
    s.calls.clear();
    s.failures.clear();
}

void EnableTrace(bool on) {
    ReadEnvironment();
    State().traceOn = on || State().traceFile;
}

std::vector<std::string> TraceLines() { return State().trace; }
void ClearTrace() { State().trace.clear(); }

void FailCall(const std::string& function, int nth, int count) {
    CoreState& s = State();
    s.failures[function].push_back({s.calls[function] + nth, count});
}

void ClearFailures() { State().failures.clear(); }

int CallCount(const std::string& function) {
    auto& calls = State().calls;
    auto it = calls.find(function);
    return it == calls.end() ? 0 : it->second;
}

}  // namespace port
