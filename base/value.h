// Mixed values, for the places where the program really mixes types: field values, record
// buffers, grid cells. A value is NIL, a number, a text (Windows-1252 bytes), a logical,
// a date, a symbol, or an array of values.
#pragma once

#include "base/symbol.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace lysora {

// A calendar date as a day number (the Julian day number, as dBASE keeps dates); 0 is the
// empty date.
struct Date {
    std::int32_t day = 0;

    static Date FromYmd(int year, int month, int day); // empty date when not a real date
    // "YYYYMMDD", the text a DBF date field stores; eight blanks for the empty date.
    std::string ToDtos() const;
    static Date FromDtos(std::string_view text); // empty date when not a valid date text
    void ToYmd(int& year, int& month, int& day) const;
    bool IsEmpty() const { return day == 0; }
    friend bool operator==(Date, Date) = default;
};

class Value;
using ValueArray = std::vector<Value>;

class Value {
public:
    enum class Type { Nil, Number, Text, Logical, Date, Symbol, Array };

    Value() = default;
    Value(double n) : v_(n) {}
    Value(int n) : v_(double(n)) {}
    Value(long n) : v_(double(n)) {}
    Value(long long n) : v_(double(n)) {}
    Value(unsigned n) : v_(double(n)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(bool b) : v_(b) {}
    Value(Date d) : v_(d) {}
    Value(Symbol s) : v_(s) {}
    Value(ValueArray a) : v_(std::make_shared<ValueArray>(std::move(a))) {}
    // Out of line: inlined into vector growth, the variant's move makes GCC 12 warn of an
    // uninitialised string that is never read.
    Value(const Value& other);
    Value(Value&& other) noexcept;
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;
    ~Value();

    Type GetType() const { return Type(v_.index()); }
    bool IsNil() const { return GetType() == Type::Nil; }
    bool IsNumber() const { return GetType() == Type::Number; }
    bool IsText() const { return GetType() == Type::Text; }
    bool IsLogical() const { return GetType() == Type::Logical; }
    bool IsDate() const { return GetType() == Type::Date; }
    bool IsSymbol() const { return GetType() == Type::Symbol; }
    bool IsArray() const { return GetType() == Type::Array; }

    // Each accessor answers the neutral value of its type (0, "", false, empty date, null
    // symbol, empty array) when the value holds another type.
    double Number() const;
    const std::string& Text() const;
    bool Logical() const;
    lysora::Date GetDate() const;
    lysora::Symbol GetSymbol() const;
    const ValueArray& Array() const;
    ValueArray& Array(); // makes the value an empty array first when it is not one

    // Same type and same contents (arrays compared element by element).
    friend bool operator==(const Value& a, const Value& b);

private:
    std::variant<std::monostate, double, std::string, bool, lysora::Date, lysora::Symbol,
                 std::shared_ptr<ValueArray>>
        v_;
};

} // namespace lysora
