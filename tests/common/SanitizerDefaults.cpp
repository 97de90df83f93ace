// The sanitizers' options for every test program of a sanitizer build,
// compiled in so that they hold however the test is started (CTest, a
// script, a debugger). Leaks inside system libraries we do not own are
// suppressed by the list in tests/common/lsan.supp.
extern "C" {

const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=0"; }

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

const char* __lsan_default_options() { return "suppressions=" NBTV_LSAN_SUPPRESSIONS ":print_suppressions=0"; }

}  // extern "C"
