// Texts that the system manager sends live in fixed fields that need not hold a terminator;
// the client reads them only through a bounded, terminated copy.
#pragma once

#include <cstddef>
#include <cstring>

namespace sysman {

// A terminated copy of a text field of N bytes (at most N characters). No heap.
template <size_t N>
class BoundedText {
  public:
    explicit BoundedText(const char* field) {
        const size_t length = field != nullptr ? strnlen(field, N) : 0;
        std::memcpy(myText, field != nullptr ? field : "", length);
        myText[length] = '\0';
    }
    template <size_t M>
    explicit BoundedText(const char (&field)[M]) : BoundedText(static_cast<const char*>(field)) {
        static_assert(M == N, "the bound is the field's size");
    }

    const char* c_str() const { return myText; }
    size_t size() const { return strlen(myText); }

  private:
    char myText[N + 1];
};

}  // namespace sysman
