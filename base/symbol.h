// Symbols: interned upper-case names (field, order, command and method names) with a small
// numeric value. The value doubles as a window command identifier (the low word of a
// WM_COMMAND wParam), so it stays clear of the fixed identifiers the program uses:
// 1 and 2 (OK, Cancel), 101-105, 198-200, and 10000 and up (MDI children).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lysora {

class Symbol {
public:
    static constexpr std::uint16_t kFirstId = 300;
    static constexpr std::uint16_t kLastId = 9999;

    Symbol() = default; // the null symbol: id 0, empty name
    // Interns name, compared without regard to case (symbols are upper case).
    explicit Symbol(std::string_view name);
    // The symbol of a command identifier; the null symbol when none has that value.
    static Symbol FromId(std::uint16_t id);

    std::uint16_t Id() const { return id_; }
    const std::string& Name() const;
    bool IsNull() const { return id_ == 0; }
    explicit operator bool() const { return id_ != 0; }

    friend bool operator==(Symbol a, Symbol b) { return a.id_ == b.id_; }
    friend bool operator<(Symbol a, Symbol b) { return a.id_ < b.id_; }

private:
    std::uint16_t id_ = 0;
};

} // namespace lysora
