#include "engine/val.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tintwell::engine {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Walks a text skipping blanks, so that "1 2" reads as "12".
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) { SkipBlanks(); }
    char Peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    void Next() {
        ++m_pos;
        SkipBlanks();
    }

private:
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
    }
    std::string_view m_text;
    std::size_t m_pos = 0;
};

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper >= 'A' && upper <= 'F') return upper - 'A' + 10;
    return 99;
}

double ReadRadix(Cursor& cursor, int radix) {
    double value = 0;
    while (DigitValue(cursor.Peek()) < radix) {
        value = value * radix + DigitValue(cursor.Peek());
        cursor.Next();
    }
    return value;
}

void TakeDigits(Cursor& cursor, std::string& out) {
    while (std::isdigit(static_cast<unsigned char>(cursor.Peek()))) {
        out += cursor.Peek();
        cursor.Next();
    }
}

// Appends an exponent only when digits follow its letter and optional sign: "1e" reads as 1.
void TakeExponent(Cursor& cursor, std::string& out) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(cursor.Peek())));
    if (letter != 'E' && letter != 'D') return;
    cursor.Next();
    std::string exponent = "e";
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        exponent += cursor.Peek();
        cursor.Next();
    }
    const std::size_t before = exponent.size();
    TakeDigits(cursor, exponent);
    if (exponent.size() > before) out += exponent;
}

double ParseDecimal(const std::string& number, bool negative) {
    if (number.empty() || number == ".") return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Either an overflow or an underflow; the digits before the exponent tell which.
        const bool tiny = number.find("e-") != std::string::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

}  // namespace

double Val(std::string_view text) {
    Cursor cursor(text);
    if (cursor.Peek() == '&') {
        cursor.Next();
        const char prefix =
            static_cast<char>(std::toupper(static_cast<unsigned char>(cursor.Peek())));
        if (prefix != 'H' && prefix != 'O') return 0.0;
        cursor.Next();
        return ReadRadix(cursor, prefix == 'H' ? 16 : 8);
    }
    bool negative = false;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        negative = cursor.Peek() == '-';
        cursor.Next();
    }
    std::string number;
    TakeDigits(cursor, number);
    if (cursor.Peek() == '.') {
        number += '.';
        cursor.Next();
        TakeDigits(cursor, number);
    }
    if (number.empty() || number == ".") return 0.0;
    TakeExponent(cursor, number);
    return ParseDecimal(number, negative);
}

}  // namespace tintwell::engine
