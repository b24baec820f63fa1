// Command names. A button, menu item or key sends the value of a symbol; the method of that
// name runs. Each command is declared once as a Command constant and used on both sides (the
// element that sends it, the method table that answers it), so a misspelt command is a
// compile error instead of a command that falls silently to ONCMD.
#pragma once

#include "base/symbol.h"

#include <string_view>

namespace lysora {

class Command {
public:
    constexpr explicit Command(std::string_view name) : name_(name) {}
    constexpr std::string_view Name() const { return name_; }
    Symbol Sym() const { return Symbol(name_); }
    operator Symbol() const { return Sym(); } // where a command is an element's symbol

private:
    std::string_view name_;
};

// The commands the framework itself answers or sends.
namespace cmd {
inline constexpr Command OK{"OK"};           // validates, stores, commits and closes
inline constexpr Command CLOSE{"CLOSE"};     // closes (Cancel, Quit)
inline constexpr Command ONTIMER{"ONTIMER"}; // the window's timer elapsed
inline constexpr Command ONHELP{"ONHELP"};   // help asked for the window
} // namespace cmd

} // namespace lysora
