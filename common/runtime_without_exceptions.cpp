// The 32-bit programs are built without exceptions: the C++ library's exception
// support and GCC's unwinder, which the first throw links in, are built for the
// Pentium Pro and would stop the programs on a Pentium. What the library would
// throw (an allocation failure, a string or vector grown past its maximum) ends
// the program here through abort(), as the uncaught exception ended it before.
// Linked as an object into each 32-bit program and plug-in, so that the
// library's own definitions are never pulled in.
#include <cstdlib>
#include <new>

// The library's operator new throws std::bad_alloc, and its nothrow forms
// catch that; the program sets no new-handler.
void* operator new(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (!block) std::abort();
    return block;
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

// Where the library's templates and its string code would throw: all of
// functexcept.o's set (so none of it is taken from the library), and the one
// of std::function.
namespace std {
void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
// An empty std::function called (functional.o).
void __throw_bad_function_call() { abort(); }
}  // namespace std
