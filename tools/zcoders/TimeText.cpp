#include "TimeText.h"

namespace zcoders {

namespace {

// Reads `count` decimal digits at `at`; -1 when they are not all there.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string twoDigits(int value) {
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

void appendDigits(std::string& text, int value, int count) {
    char digits[4];
    for (int i = count - 1; i >= 0; --i, value /= 10) digits[i] = static_cast<char>('0' + value % 10);
    text.append(digits, static_cast<std::size_t>(count));
}

bool validDate(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day <= 28 || leap;
}

// The time zone at `at` up to the end of the text: "Z", "+hhmm" or "-hhmm" as ISO gives them, ""
// for none when `optional`; nothing when it is something else.
std::optional<std::string> zone(std::string_view text, std::size_t at, bool optional) {
    if (at == text.size()) return optional ? std::optional<std::string>("") : std::nullopt;
    if (text[at] == 'Z') return at + 1 == text.size() ? std::optional<std::string>("Z") : std::nullopt;
    if (text[at] != '+' && text[at] != '-') return std::nullopt;
    const int hours = digits(text, at + 1, 2);
    const int minutes = digits(text, at + 3, 2);
    if (at + 5 != text.size() || hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
    return text[at] + twoDigits(hours) + ":" + twoDigits(minutes);
}

// Fields of a time that has been read so far.
struct Clock {
    int year = 0, month = 0, day = 0, hour = 0, minute = -1, second = -1;

    bool valid() const {
        return validDate(year, month, day) && hour >= 0 && hour <= 23 && minute <= 59 && second <= 60;
    }
    std::string iso() const {
        std::string text;
        text.reserve(32);
        appendDigits(text, year, 4);
        text += '-';
        appendDigits(text, month, 2);
        text += '-';
        appendDigits(text, day, 2);
        text += 'T';
        appendDigits(text, hour, 2);
        text += ':';
        appendDigits(text, minute < 0 ? 0 : minute, 2);
        if (second >= 0) {
            text += ':';
            appendDigits(text, second, 2);
        }
        return text;
    }
};

}  // namespace

std::optional<std::string> isoFromUTCTime(std::string_view text) {
    Clock clock;
    const int year = digits(text, 0, 2);
    clock.month = digits(text, 2, 2);
    clock.day = digits(text, 4, 2);
    clock.hour = digits(text, 6, 2);
    clock.minute = digits(text, 8, 2);
    if (year < 0 || clock.minute < 0) return std::nullopt;
    clock.year = year < 50 ? 2000 + year : 1900 + year;
    std::size_t at = 10;
    if (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        clock.second = digits(text, at, 2);
        at += 2;
    }
    const std::optional<std::string> suffix = zone(text, at, false);
    if (!suffix || !clock.valid() || (at == 12 && clock.second < 0)) return std::nullopt;
    return clock.iso() + *suffix;
}

std::optional<std::string> isoFromGeneralizedTime(std::string_view text) {
    Clock clock;
    clock.year = digits(text, 0, 4);
    clock.month = digits(text, 4, 2);
    clock.day = digits(text, 6, 2);
    clock.hour = digits(text, 8, 2);
    if (clock.year < 0 || clock.day < 0 || clock.hour < 0) return std::nullopt;
    std::size_t at = 10;
    if ((clock.minute = digits(text, at, 2)) >= 0) at += 2;
    if (clock.minute >= 0 && (clock.second = digits(text, at, 2)) >= 0) at += 2;
    std::string fraction;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        std::size_t end = at + 1;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (end == at + 1) return std::nullopt;
        fraction.assign(text.substr(at, end - at));
        fraction[0] = '.';
        at = end;
    }
    const std::optional<std::string> suffix = zone(text, at, true);
    if (!suffix || !clock.valid()) return std::nullopt;
    return clock.iso() + fraction + *suffix;
}

}  // namespace zcoders
