// Runs a field reader in a child process, so that a library crashing or
// running out of memory on a damaged file costs an error message, not the
// program. The field comes back through a pipe.
#pragma once

#include <functional>
#include <string>

#include "field/vector_field.h"

namespace vortan::field {

// read() runs in a forked child; its result is returned as if it ran here.
// A child that dies gives an error naming file and how the child ended.
// library names what read() uses, for the message.
FieldResult ReadIsolated(const std::string& file, const std::string& library,
                         const std::function<FieldResult()>& read);

}  // namespace vortan::field
