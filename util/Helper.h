// Null check of the node fetches: a pointer passes unchanged, a null one becomes an exception
// that names the expression which produced it.
//
// Both programs pass every node getter's result through checkNotNull together with the getter
// call's source text, so that a node missing from the parameter tree stops the construction
// with a text such as "util/Helper.h:25 myGeneralNode.getA_gen() is NULL".
#pragma once

#include <sstream>
#include <stdexcept>
#include <string>

// Returns `pointer` unchanged. When it is null, throws std::invalid_argument whose text is this
// header's path in the repository, "util/Helper.h:25 ", `expression` and " is NULL", with nothing
// else. `expression` is the caller's source text of the checked call, blanks included. The
// text is built only on the failure path. Any task; keeps no state.
template <typename T>
T* checkNotNull(T* pointer, const std::string& expression) {
    if (pointer != nullptr) {
        return pointer;
    }
    std::ostringstream text;
    // The text carries the number of the line below (25): the place the message has always
    // named. Keep the statement on that line.
    text << "util/Helper.h:" << __LINE__ << " " << expression << " is NULL";
    throw std::invalid_argument(text.str());
}
