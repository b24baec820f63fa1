#include "base/symbol.h"

#include "base/text.h"

#include <cctype>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace lysora {
namespace {

struct SymbolTable {
    std::mutex lock;
    std::unordered_map<std::string, std::uint16_t> ids;
    std::deque<std::string> names; // names[id - kFirstId]; a deque keeps references stable
};

SymbolTable& Table()
{
    static SymbolTable table;
    return table;
}

} // namespace

Symbol::Symbol(std::string_view name)
{
    if (name.empty())
        return;
    std::string key = UpperCase(name);
    SymbolTable& table = Table();
    std::lock_guard guard(table.lock);
    auto found = table.ids.find(key);
    if (found != table.ids.end()) {
        id_ = found->second;
        return;
    }
    if (table.names.size() > std::size_t(kLastId - kFirstId))
        throw std::length_error("symbol table full");
    id_ = std::uint16_t(kFirstId + table.names.size());
    table.names.push_back(key);
    table.ids.emplace(std::move(key), id_);
}

Symbol Symbol::FromId(std::uint16_t id)
{
    SymbolTable& table = Table();
    std::lock_guard guard(table.lock);
    Symbol symbol;
    if (id >= kFirstId && std::size_t(id - kFirstId) < table.names.size())
        symbol.id_ = id;
    return symbol;
}

const std::string& Symbol::Name() const
{
    static const std::string empty;
    if (id_ == 0)
        return empty;
    SymbolTable& table = Table();
    std::lock_guard guard(table.lock);
    return table.names[id_ - kFirstId];
}

} // namespace lysora
