// Sanitizer options built into the sanitized test programs, so ctest and a hand run agree.
//
// Mesa's llvmpipe loads libLLVM, whose thread_local data lives in dynamic TLS. Up to GCC 13 the
// runtime's __tls_get_addr hook takes any such block that happens to start 16 bytes into a page
// for a glibc 2.19 block header and scans the garbage size it reads there; the leak checker's
// tracer then dies with SIGSEGV at exit, at random, after every test has passed. Without the
// hook dynamic TLS is not scanned, so memory only LLVM's thread_local data still points at must
// not be reported as ours.

extern "C" {

const char* __asan_default_options() {
  return "intercept_tls_get_addr=0";
}

const char* __lsan_default_suppressions() {
  return "leak:libLLVM\n";
}
}
