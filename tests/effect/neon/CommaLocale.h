// A decimal comma with grouped thousands, set for the whole process as a host or another
// plug-in may; built here so no system locale needs to be installed.
#pragma once

#include <locale>
#include <string>

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Puts the previous global locale back when it ends.
class GlobalCommaLocale {
public:
    GlobalCommaLocale()
        : previous(std::locale::global(std::locale(std::locale::classic(), new CommaDecimal))) {}
    ~GlobalCommaLocale() { std::locale::global(previous); }
    GlobalCommaLocale(const GlobalCommaLocale&) = delete;
    GlobalCommaLocale& operator=(const GlobalCommaLocale&) = delete;

private:
    std::locale previous;
};
