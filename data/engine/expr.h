// Index key expressions and FOR conditions over a record's bytes.
//
// Key expressions: terms joined by "+", each a field name, str(f[,len[,dec]]), dtos(f) or
// if(f,'Y','N') / iif(...) over a logical field. A text field yields its stored bytes, a
// date field its "YYYYMMDD" text (as dtos), a numeric field used alone its Str() text with
// the field's own width and decimals, a logical field alone "T" or "F". The key is the
// concatenation, of a fixed length known when compiled.
// FOR conditions: comparisons (= == <> # != < > <= >=) of those terms, text literals in
// quotes, numbers, .T./.F., logical fields, joined by .AND./.OR., negated by .NOT./!,
// with parentheses. Names and functions are not case-sensitive.
#pragma once

#include "data/engine/dbf_format.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lysora::engine {

struct ExprNode;

class KeyExpr {
public:
    // false + error when the text is not a supported key expression.
    bool Compile(std::string_view text, const std::vector<Field>& fields, std::string& error);
    int Length() const { return length_; }
    // Writes Length() bytes of the key of record (its bytes, deletion flag first).
    void Eval(const char* record, char* out) const;

private:
    struct Term {
        enum Kind { Raw, Str, Logical } kind;
        int offset, fieldLen, len, dec;
        char yes, no;
    };
    std::vector<Term> terms_;
    int length_ = 0;
};

class Condition {
public:
    Condition();
    ~Condition();
    Condition(Condition&&) noexcept;
    Condition& operator=(Condition&&) noexcept;
    // Empty text: always true.
    bool Compile(std::string_view text, const std::vector<Field>& fields, std::string& error);
    bool Eval(const char* record) const;
    bool Empty() const { return !root_; }

private:
    std::unique_ptr<ExprNode> root_;
    const std::vector<Field>* fields_ = nullptr; // the table's, which outlive it
};

} // namespace lysora::engine
