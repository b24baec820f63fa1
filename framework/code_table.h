// Where a table-code control (CTL_TBL) finds its codes: the description of a code padded
// to the code length, or nothing when the table has no such code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lysora {

class CodeTable {
public:
    virtual ~CodeTable() = default;
    virtual std::optional<std::string> Describe(std::string_view paddedCode) = 0;
};

} // namespace lysora
