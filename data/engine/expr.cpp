// Key expressions and FOR conditions (forms in expr.h): a small recursive-descent parser
// to a tree; keys are then flattened into a list of fixed-width terms so that computing a
// key is a few copies, as reindexing hundreds of thousands of records needs.
#include "data/engine/expr.h"

#include "base/text.h"

#include <cassert>
#include <cctype>
#include <cstring>

namespace lysora::engine {

struct ExprNode {
    enum Kind { FieldRef, StrFn, DtosFn, Iif, Text, Number, Bool, Concat, Cmp, And, Or, Not } kind;
    int field = -1;        // FieldRef
    int len = 10, dec = 0; // StrFn
    std::string text;      // Text; Cmp: the operator
    double number = 0;     // Number
    bool flag = false;     // Bool
    std::unique_ptr<ExprNode> a, b, c;
};

namespace {

struct V {
    enum Kind { T, N, B } kind = T;
    std::string s;
    double n = 0;
    bool b = false;
};

class Parser {
public:
    Parser(std::string_view text, const std::vector<Field>& fields) : s_(text), fields_(fields) {}

    std::unique_ptr<ExprNode> ParseAll(std::string& error) {
        auto node = ParseOr();
        SkipBlanks();
        if (node && pos_ != s_.size()) Fail("unexpected text at \"" + std::string(s_.substr(pos_)) + "\"");
        if (!error_.empty()) {
            error = error_;
            return nullptr;
        }
        return node;
    }

private:
    using P = std::unique_ptr<ExprNode>;

    void Fail(std::string why) {
        if (error_.empty()) error_ = std::move(why);
    }
    void SkipBlanks() {
        while (pos_ < s_.size() && std::isspace((unsigned char)s_[pos_])) ++pos_;
    }
    bool Eat(std::string_view token) { // punctuation or a .WORD., case-insensitive
        SkipBlanks();
        if (s_.size() - pos_ < token.size()) return false;
        for (std::size_t i = 0; i < token.size(); ++i)
            if (std::toupper((unsigned char)s_[pos_ + i]) != token[i]) return false;
        pos_ += token.size();
        return true;
    }
    P Node(ExprNode::Kind kind) {
        auto n = std::make_unique<ExprNode>();
        n->kind = kind;
        return n;
    }
    P Binary(ExprNode::Kind kind, P a, P b) {
        auto n = Node(kind);
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    P ParseOr() {
        P left = ParseAnd();
        while (error_.empty() && Eat(".OR.")) left = Binary(ExprNode::Or, std::move(left), ParseAnd());
        return left;
    }
    P ParseAnd() {
        P left = ParseNot();
        while (error_.empty() && Eat(".AND.")) left = Binary(ExprNode::And, std::move(left), ParseNot());
        return left;
    }
    P ParseNot() {
        if (++depth_ > 100) {
            Fail("expression nested too deeply");
            return nullptr;
        }
        P result;
        SkipBlanks();
        if (Eat(".NOT.") || (pos_ + 1 < s_.size() && s_[pos_] == '!' && s_[pos_ + 1] != '=' && Eat("!"))) {
            result = Node(ExprNode::Not);
            result->a = ParseNot();
        } else {
            result = ParseCmp();
        }
        --depth_;
        return result;
    }
    P ParseCmp() {
        P left = ParseSum();
        static const char* ops[] = {"==", "<>", "!=", "<=", ">=", "=", "#", "<", ">"};
        for (const char* op : ops) {
            if (Eat(op)) {
                auto n = Binary(ExprNode::Cmp, std::move(left), ParseSum());
                n->text = op;
                return n;
            }
        }
        return left;
    }
    P ParseSum() {
        P left = ParsePrimary();
        while (error_.empty() && Eat("+")) left = Binary(ExprNode::Concat, std::move(left), ParsePrimary());
        return left;
    }
    int ParseInt() {
        SkipBlanks();
        std::size_t start = pos_;
        while (pos_ < s_.size() && std::isdigit((unsigned char)s_[pos_])) ++pos_;
        if (start == pos_ || pos_ - start > 3) {
            Fail("a small whole number is expected");
            return 0;
        }
        return std::stoi(std::string(s_.substr(start, pos_ - start)));
    }
    P ParsePrimary() {
        if (!error_.empty()) return nullptr;
        SkipBlanks();
        if (pos_ >= s_.size()) {
            Fail("expression ends too early");
            return nullptr;
        }
        char ch = s_[pos_];
        if (ch == '(') {
            ++pos_;
            ++depth_;
            P inner = depth_ > 100 ? nullptr : ParseOr();
            --depth_;
            if (depth_ >= 100) Fail("expression nested too deeply");
            if (!Eat(")")) Fail("missing )");
            return inner;
        }
        if (ch == '\'' || ch == '"') {
            std::size_t end = s_.find(ch, pos_ + 1);
            if (end == std::string_view::npos) {
                Fail("unterminated text");
                return nullptr;
            }
            auto n = Node(ExprNode::Text);
            n->text = std::string(s_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            return n;
        }
        if (Eat(".T.") || Eat(".Y.")) {
            auto n = Node(ExprNode::Bool);
            n->flag = true;
            return n;
        }
        if (Eat(".F.") || Eat(".N.")) return Node(ExprNode::Bool);
        if (std::isdigit((unsigned char)ch) || ch == '.' || ch == '-') {
            std::size_t start = pos_++;
            while (pos_ < s_.size() && (std::isdigit((unsigned char)s_[pos_]) || s_[pos_] == '.')) ++pos_;
            auto n = Node(ExprNode::Number);
            n->number = ParseNumber(s_.data() + start, pos_ - start);
            return n;
        }
        if (!std::isalpha((unsigned char)ch) && ch != '_') {
            Fail(std::string("unexpected character '") + ch + "'");
            return nullptr;
        }
        std::size_t start = pos_;
        while (pos_ < s_.size() && (std::isalnum((unsigned char)s_[pos_]) || s_[pos_] == '_')) ++pos_;
        std::string name = UpperCase(s_.substr(start, pos_ - start));
        if (Eat("(")) return ParseCall(name);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (fields_[i].name == name) {
                if (fields_[i].type == 'M') {
                    Fail("memo field " + name + " cannot be used in an expression");
                    return nullptr;
                }
                auto n = Node(ExprNode::FieldRef);
                n->field = int(i);
                return n;
            }
        }
        Fail("no field named " + name);
        return nullptr;
    }
    P ParseCall(const std::string& name) {
        if (name == "STR") {
            auto n = Node(ExprNode::StrFn);
            n->a = ParseSum();
            if (Eat(",")) {
                n->len = ParseInt();
                if (Eat(",")) n->dec = ParseInt();
            }
            if (n->len < 1 || n->len > 240 || n->dec < 0 || n->dec >= n->len) Fail("bad str() width");
            if (!Eat(")")) Fail("missing ) after str(");
            return n;
        }
        if (name == "DTOS") {
            auto n = Node(ExprNode::DtosFn);
            n->a = ParseSum();
            if (!Eat(")")) Fail("missing ) after dtos(");
            return n;
        }
        if (name == "IF" || name == "IIF") {
            auto n = Node(ExprNode::Iif);
            n->a = ParseOr();
            if (!Eat(",")) Fail("if() needs three arguments");
            n->b = ParseOr();
            if (!Eat(",")) Fail("if() needs three arguments");
            n->c = ParseOr();
            if (!Eat(")")) Fail("missing ) after if(");
            return n;
        }
        Fail("unknown function " + name + "()");
        return nullptr;
    }

    std::string_view s_;
    const std::vector<Field>& fields_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    std::string error_;
};

V FieldValue(const Field& f, const char* record) {
    V v;
    const char* p = record + f.offset;
    switch (f.type) {
    case 'N':
        v.kind = V::N;
        v.n = ParseNumber(p, std::size_t(f.len));
        break;
    case 'L':
        v.kind = V::B;
        v.b = ParseLogical(*p);
        break;
    default:
        v.s.assign(p, std::size_t(f.len));
    }
    return v;
}

V Evaluate(const ExprNode& e, const std::vector<Field>& fields, const char* record) {
    V v;
    switch (e.kind) {
    case ExprNode::FieldRef:
        return FieldValue(fields[std::size_t(e.field)], record);
    case ExprNode::StrFn:
        v.s = FormatNumber(Evaluate(*e.a, fields, record).n, e.len, e.dec);
        return v;
    case ExprNode::DtosFn:
        return Evaluate(*e.a, fields, record);
    case ExprNode::Iif:
        return Evaluate(*e.a, fields, record).b ? Evaluate(*e.b, fields, record)
                                                 : Evaluate(*e.c, fields, record);
    case ExprNode::Text:
        v.s = e.text;
        return v;
    case ExprNode::Number:
        v.kind = V::N;
        v.n = e.number;
        return v;
    case ExprNode::Bool:
        v.kind = V::B;
        v.b = e.flag;
        return v;
    case ExprNode::Concat: {
        V a = Evaluate(*e.a, fields, record), b = Evaluate(*e.b, fields, record);
        if (a.kind == V::N && b.kind == V::N) {
            a.n += b.n;
            return a;
        }
        a.s += b.s;
        return a;
    }
    case ExprNode::Cmp: {
        V a = Evaluate(*e.a, fields, record), b = Evaluate(*e.b, fields, record);
        int c = 0;
        if (a.kind == V::N || b.kind == V::N) {
            c = a.n < b.n ? -1 : a.n > b.n ? 1 : 0;
        } else if (a.kind == V::B || b.kind == V::B) {
            c = int(a.b) - int(b.b);
        } else if (e.text == "==") {
            c = a.s.compare(b.s);
        } else {
            // "=" on texts compares on the right-hand text's length, as dBASE does.
            std::string_view l(a.s);
            c = l.substr(0, std::min(l.size(), b.s.size())).compare(b.s);
            if (c == 0 && l.size() < b.s.size()) c = -1;
        }
        const std::string& op = e.text;
        v.kind = V::B;
        v.b = (op == "=" || op == "==") ? c == 0
            : (op == "<>" || op == "#" || op == "!=") ? c != 0
            : op == "<" ? c < 0 : op == ">" ? c > 0 : op == "<=" ? c <= 0 : c >= 0;
        return v;
    }
    case ExprNode::And:
        v.kind = V::B;
        v.b = Evaluate(*e.a, fields, record).b && Evaluate(*e.b, fields, record).b;
        return v;
    case ExprNode::Or:
        v.kind = V::B;
        v.b = Evaluate(*e.a, fields, record).b || Evaluate(*e.b, fields, record).b;
        return v;
    case ExprNode::Not:
        v.kind = V::B;
        v.b = !Evaluate(*e.a, fields, record).b;
        return v;
    }
    return v;
}

} // namespace

bool KeyExpr::Compile(std::string_view text, const std::vector<Field>& fields, std::string& error) {
    terms_.clear();
    length_ = 0;
    Parser parser(text, fields);
    auto root = parser.ParseAll(error);
    if (!root) {
        if (error.empty()) error = "empty key expression";
        return false;
    }
    // Flatten the "+" chain, left to right.
    std::vector<const ExprNode*> stack{root.get()}, order;
    while (!stack.empty()) {
        const ExprNode* n = stack.back();
        stack.pop_back();
        if (n->kind == ExprNode::Concat) {
            stack.push_back(n->b.get());
            stack.push_back(n->a.get());
        } else {
            order.push_back(n);
        }
    }
    for (const ExprNode* n : order) {
        const ExprNode* f = n->kind == ExprNode::FieldRef ? n : n->a.get();
        if (!f || f->kind != ExprNode::FieldRef) {
            error = "unsupported key term in \"" + std::string(text) + "\"";
            return false;
        }
        const Field& field = fields[std::size_t(f->field)];
        Term t{Term::Raw, field.offset, field.len, field.len, 0, 'T', 'F'};
        if (n->kind == ExprNode::FieldRef) {
            if (field.type == 'N') t = {Term::Str, field.offset, field.len, field.len, field.dec, 0, 0};
            if (field.type == 'L') t = {Term::Logical, field.offset, 1, 1, 0, 'T', 'F'};
        } else if (n->kind == ExprNode::StrFn && field.type == 'N') {
            t = {Term::Str, field.offset, field.len, n->len, n->dec, 0, 0};
        } else if (n->kind == ExprNode::DtosFn && field.type == 'D') {
            // the stored text is already the dtos form
        } else if (n->kind == ExprNode::Iif && field.type == 'L' && n->b && n->c &&
                   n->b->kind == ExprNode::Text && n->c->kind == ExprNode::Text &&
                   n->b->text.size() == 1 && n->c->text.size() == 1) {
            t = {Term::Logical, field.offset, 1, 1, 0, n->b->text[0], n->c->text[0]};
        } else {
            error = "unsupported key term in \"" + std::string(text) + "\"";
            return false;
        }
        length_ += t.len;
        terms_.push_back(t);
    }
    if (length_ < 1 || length_ > 240) {
        error = "key of " + std::to_string(length_) + " bytes (1 to 240 allowed)";
        terms_.clear();
        length_ = 0;
        return false;
    }
    return true;
}

void KeyExpr::Eval(const char* record, char* out) const {
    for (const Term& t : terms_) {
        const char* p = record + t.offset;
        switch (t.kind) {
        case Term::Raw:
            std::memcpy(out, p, std::size_t(t.len));
            break;
        case Term::Str: {
            std::string s = FormatNumber(ParseNumber(p, std::size_t(t.fieldLen)), t.len, t.dec);
            assert(s.size() == std::size_t(t.len));
            std::memcpy(out, s.data(), s.size());
            break;
        }
        case Term::Logical:
            *out = ParseLogical(*p) ? t.yes : t.no;
            break;
        }
        out += t.len;
    }
}

Condition::Condition() = default;
Condition::~Condition() = default;
Condition::Condition(Condition&&) noexcept = default;
Condition& Condition::operator=(Condition&&) noexcept = default;

bool Condition::Compile(std::string_view text, const std::vector<Field>& fields, std::string& error) {
    root_.reset();
    fields_ = &fields;
    bool blank = true;
    for (char ch : text) blank = blank && std::isspace((unsigned char)ch);
    if (blank) return true;
    Parser parser(text, fields);
    root_ = parser.ParseAll(error);
    return root_ != nullptr;
}

bool Condition::Eval(const char* record) const {
    return !root_ || Evaluate(*root_, *fields_, record).b;
}

} // namespace lysora::engine
