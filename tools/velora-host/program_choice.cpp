// SPDX-License-Identifier: MIT
#include "program_choice.h"

#include <algorithm>
#include <cctype>

namespace velora::host {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool allDigits(const std::string& text) { return !text.empty() && std::all_of(text.begin(), text.end(), isDigit); }

}  // namespace

std::string numberPrefix(const std::string& name) {
    const std::string text = trimmed(name);
    std::size_t i = 0;
    while (i < text.size() && isDigit(text[i])) ++i;
    return (i > 0 && i < text.size() && text[i] == ':') ? text.substr(0, i) : std::string();
}

std::string withoutNumberPrefix(const std::string& name) {
    const std::string text = trimmed(name);
    const std::size_t digits = numberPrefix(text).size();
    return digits == 0 ? text : trimmed(text.substr(digits + 1));
}

std::optional<int> findProgram(const std::string& choice, const std::vector<std::string>& names, std::string& error) {
    const std::string wanted = trimmed(choice);
    if (allDigits(wanted)) {
        // Compared as text first so that huge numbers cannot overflow.
        const std::string digits = wanted.substr(std::min(wanted.find_first_not_of('0'), wanted.size() - 1));
        if (digits.size() <= 9) {
            const int number = std::stoi(digits);
            if (number < static_cast<int>(names.size())) return number;
        }
        error = "program number " + wanted + " out of range 0.." + std::to_string(names.size() ? names.size() - 1 : 0);
        return std::nullopt;
    }
    // A choice with a number prefix must name the same number too.
    const std::string wantedName = withoutNumberPrefix(wanted);
    const std::string wantedNumber = numberPrefix(wanted);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if ((wantedNumber.empty() || wantedNumber == numberPrefix(names[i])) &&
            sameIgnoringCase(wantedName, withoutNumberPrefix(names[i])))
            return static_cast<int>(i);
    }
    error = "no program named '" + choice + "'";
    return std::nullopt;
}

std::string programFileName(int index, const std::string& name) {
    std::string number = std::to_string(index + 1);
    if (number.size() < 2) number.insert(0, 1, '0');
    std::string slug;
    for (char c : withoutNumberPrefix(name)) {
        const char l = lower(c);
        if ((l >= 'a' && l <= 'z') || isDigit(l))
            slug += l;
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    if (slug.empty()) slug = "program";
    return number + "-" + slug + ".wav";
}

}  // namespace velora::host
