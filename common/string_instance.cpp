// std::string's members are instantiated once in the C++ library's archive,
// which is built for the Pentium Pro; instantiated here, in the 32-bit programs'
// own code, they are built for the Pentium like the rest, and the library's copy
// is never linked.
#include <string>

template class std::basic_string<char>;
