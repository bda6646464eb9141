// Linked into every program of the sanitizer build (QZ_SANITIZE): the sanitizers' defaults, so that the
// programs the build itself runs (the template builder, the test discovery) and every test see the same.
//
// A leak inside a library we load but do not build is that library's: the Firebird client and its
// embedded engine (with the ICU the engine loads for its collations) keep allocations of their own until
// the process ends, fontconfig keeps its caches. Our own leaks are still reported, also when such a library is further up the stack.

extern "C" {

// The leak check does not follow the dynamic thread-local storage of libraries loaded at run time: the
// embedded engine leaves a range there that the checker's scan crashes on at exit.
const char* __asan_default_options()
{
    return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0";
}

const char* __lsan_default_options()
{
    return "print_suppressions=0";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

const char* __lsan_default_suppressions()
{
    return "leak:libtommath.so\n"
           "leak:libfbclient.so\n"
           "leak:libEngine12.so\n"
           "leak:libicuuc.so\n"
           "leak:libicui18n.so\n"
           "leak:libfontconfig.so\n";
}

}  // extern "C"
