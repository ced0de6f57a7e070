// The standard library reports misuse of its containers and strings through these
// routines. Its own versions build the standard exception classes, which bring in
// a second, reference-counted string implementation and a formatter; these raise
// the program's own error type instead. Linked into each program as an object, so
// the library's versions are never pulled in.
#include <bits/functexcept.h>

#include <cstdlib>
#include <new>

#include "platform/Error.h"

namespace std {

void __throw_bad_alloc() {
  throw bad_alloc();
}
void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
void __throw_logic_error(const char* what) {
  throw platform::Error(what);
}
void __throw_length_error(const char* what) {
  throw platform::Error(what);
}
void __throw_out_of_range(const char* what) {
  throw platform::Error(what);
}
// The format's arguments are not expanded: the text names the routine that failed.
void __throw_out_of_range_fmt(const char* format, ...) {
  throw platform::Error(format);
}
void __throw_invalid_argument(const char* what) {
  throw platform::Error(what);
}

}  // namespace std

// Every handler's exceptions are caught before they reach Windows; should one
// escape all the same, end without the standard library's message, whose
// demangler alone is a sixth of the program's size.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
