# Builds capture_check (tests/game/checker/) into $work; `check ARGS...` runs it.
"${CXX:-c++}" -std=c++17 -O1 -o "$work/check" "$here/checker/capture_check.cpp"
check() { "$work/check" "$@"; }
