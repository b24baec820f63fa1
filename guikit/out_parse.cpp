// Reading of drawing-command texts (see out_parse.h). Characters are classified by explicit
// ASCII ranges, never through <cctype>, so that 8-bit Windows-1252 bytes are plain unknown
// characters whatever the locale and the signedness of char.
#include "guikit/out_parse.h"

#include <cstring>

namespace guikit {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsOctal(char c) { return c >= '0' && c <= '7'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int DigitValue(char c)
{
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// Sum with 32-bit wrap-around, as the coordinates of the original 32-bit arithmetic.
std::int32_t WrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Copies the run of characters accepted by keep into out (at most max kept), consuming the
// whole run.
template <typename Keep>
void ReadRun(const char*& p, char* out, std::size_t max, Keep keep)
{
    std::size_t n = 0;
    for (; *p && keep(*p); ++p) {
        if (n < max) out[n++] = *p;
    }
    out[n] = '\0';
}

// Reads a quoted operand after its opening apostrophe: '' stands for one apostrophe when
// doubled is set; the closing apostrophe is consumed; the end of the string also ends it.
void ReadQuoted(const char*& p, char* out, std::size_t max, bool doubled)
{
    std::size_t n = 0;
    while (*p) {
        char c = *p++;
        if (c == '\'') {
            if (!doubled || *p != '\'') break;
            ++p;
        }
        if (n < max) out[n++] = c;
    }
    out[n] = '\0';
}

// Interpreter state of one command text.
class Reader {
public:
    Reader(int w, int h, OutDevice& device) : w_(w), h_(h), device_(device) {}

    void Run(const char* p)
    {
        while (*p) {
            char c = *p++;
            switch (c) {
            case ' ': break;
            case '@': Cursor(p); break;
            case 'C': colour_ = ReadOutColour(p); break;
            case 'R': Rectangle(p); break;
            case '\'': Text(p); break;
            case 'F': Font(p); break;
            case '#': Bitmap(p); break;
            case '/': Keyword(p); break;
            default: {
                OutOp op;
                op.kind = OutOpKind::Unknown;
                op.unknown = c;
                device_.Draw(op);
            }
            }
        }
    }

private:
    void Cursor(const char*& p)
    {
        OutOp op;
        op.kind = OutOpKind::Move;
        std::int32_t n = ReadOutNumber(p);
        op.x = n < 0 ? WrapAdd(w_, n) : n;
        if (*p == ':') {
            ++p;
            std::int32_t m = ReadOutNumber(p);
            op.y = m < 0 ? WrapAdd(h_, m) : m;
        }
        device_.Draw(op);
    }

    void Rectangle(const char*& p)
    {
        OutOp op;
        op.kind = OutOpKind::Rect;
        op.colour = colour_;
        op.w = ReadOutNumber(p);
        if (*p == ':') {
            ++p;
            op.h = ReadOutNumber(p);
            if (*p == ':') {
                ++p;
                op.fill = true;
                op.fill_colour = ReadOutColour(p);
            }
        }
        device_.Draw(op);
    }

    void Text(const char*& p)
    {
        ReadQuoted(p, text_, kOutTextMax, true);
        OutOp op;
        op.kind = OutOpKind::Text;
        op.text = text_;
        op.font = has_font_ ? &font_ : nullptr;
        device_.Draw(op);
    }

    void Font(const char*& p)
    {
        font_ = OutFont{};
        std::strcpy(font_.face, "MS Sans Serif");
        font_.height = -8;
        font_.weight = 400;
        has_font_ = true;
        if (*p == '\'') {
            ++p;
            ReadQuoted(p, font_.face, kOutFaceMax, false);
        } else if (IsLetter(*p)) {
            ReadRun(p, font_.face, kOutFaceMax, IsLetter);
        }
        if (IsDigit(*p)) {
            // Negated with wrap-around: the most negative size stays as it is.
            font_.height = static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(ReadOutNumber(p)));
        }
        if (*p == '+') { font_.weight = 700; ++p; }
        if (*p == '*') { font_.italic = true; ++p; }
        if (*p == '_') { font_.underline = true; ++p; }
    }

    void Bitmap(const char*& p)
    {
        char name[kOutBitmapNameMax + 1];
        ReadRun(p, name, kOutBitmapNameMax, [](char c) { return IsLetter(c) || IsDigit(c); });
        OutOp op;
        op.kind = OutOpKind::Bitmap;
        op.text = name;
        device_.Draw(op);
    }

    void Keyword(const char*& p)
    {
        char keyword[kOutKeywordMax + 1];
        ReadRun(p, keyword, kOutKeywordMax, IsLetter);
        if (std::strcmp(keyword, "BAR") != 0) return;
        OutOp op;
        op.kind = OutOpKind::Bar;
        op.w = ReadOutNumber(p);
        op.h = kOutBarHeight;
        op.colour = colour_;
        device_.Draw(op);
    }

    int w_, h_;
    OutDevice& device_;
    std::uint32_t colour_ = 0;
    bool has_font_ = false;
    OutFont font_;
    char text_[kOutTextMax + 1] = {};
};

} // namespace

std::int32_t ReadOutNumber(const char*& p)
{
    const char* s = p;
    while (IsSpace(*s)) ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') negative = *s++ == '-';

    int base = 10;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && IsHex(s[2])) {
        base = 16;
        s += 2;
    } else if (s[0] == '0') {
        base = 8;
    }
    auto fits = [base](char c) { return base == 16 ? IsHex(c) : base == 8 ? IsOctal(c) : IsDigit(c); };
    if (!fits(*s)) return 0; // no number: nothing consumed

    // Magnitude saturates just past the 32-bit range, then the sign picks the limit.
    constexpr std::uint64_t kLimit = 0x80000000u;
    std::uint64_t magnitude = 0;
    for (; fits(*s); ++s) {
        magnitude = magnitude * base + DigitValue(*s);
        if (magnitude > kLimit) magnitude = kLimit + 1;
    }
    p = s;
    if (negative) {
        return magnitude >= kLimit ? INT32_MIN : -static_cast<std::int32_t>(magnitude);
    }
    return magnitude >= kLimit ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

std::uint32_t ReadOutColour(const char*& p)
{
    std::uint32_t colour = 0;
    while (*p == 'r' || *p == 'g' || *p == 'b' || *p == 'w') {
        char component = *p++;
        std::uint32_t level = static_cast<std::uint32_t>(ReadOutNumber(p)) & 0xFFu;
        switch (component) {
        case 'r': colour |= level; break;
        case 'g': colour |= level << 8; break;
        case 'b': colour |= level << 16; break;
        default: colour |= level | level << 8 | level << 16; break;
        }
    }
    return colour;
}

void ParseOut(const char* commands, int w, int h, OutDevice& device)
{
    if (!commands) return;
    Reader reader(w, h, device);
    reader.Run(commands);
}

std::vector<OutCommand> ParseOutList(const char* commands, int w, int h)
{
    struct Recorder final : OutDevice {
        std::vector<OutCommand> list;
        void Draw(const OutOp& op) override
        {
            OutCommand command;
            command.op = op;
            if (op.text) command.text = op.text;
            if (op.font) {
                command.has_font = true;
                command.font = *op.font;
            }
            command.op.text = nullptr;
            command.op.font = nullptr;
            list.push_back(command);
        }
    } recorder;
    ParseOut(commands, w, h, recorder);
    return recorder.list;
}

} // namespace guikit
