#include "ElementTimes.h"

#include <datetime.h>

namespace zentrik_py {

namespace {

// Digits at text[at, at + count) as a number; -1 when any is not a digit or the text is too short.
int digits(const char* text, std::size_t size, std::size_t at, std::size_t count) {
    if (at + count > size) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Two optional digits at `at`, 0 when absent; `at` moves past them when present.
int optionalPair(const char* text, std::size_t size, std::size_t& at) {
    const int value = digits(text, size, at, 2);
    if (value < 0) return 0;
    at += 2;
    return value;
}

// Fractions of a second after '.' or ',' in microseconds; `at` moves past them.
long microseconds(const char* text, std::size_t size, std::size_t& at) {
    if (at >= size || (text[at] != '.' && text[at] != ',')) return 0;
    long micro = 0;
    long scale = 100000;
    for (++at; at < size && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10)
        micro += scale * (text[at] - '0');
    return micro;
}

// The zone at text[at...] as a new reference (None for none); `ok` false when it is no zone.
PyObject* zoneOf(const char* text, std::size_t size, std::size_t at, bool& ok) {
    ok = at <= size;
    if (at == size || !ok) Py_RETURN_NONE;
    if (text[at] == 'Z' && at + 1 == size) {
        Py_INCREF(PyDateTime_TimeZone_UTC);
        return PyDateTime_TimeZone_UTC;
    }
    const int hours = digits(text, size, at + 1, 2);
    const int minutes = digits(text, size, at + 3, 2);
    ok = (text[at] == '+' || text[at] == '-') && hours >= 0 && minutes >= 0 && at + 5 == size;
    if (!ok) Py_RETURN_NONE;
    const int sign = text[at] == '-' ? -1 : 1;
    PyObject* delta = PyDelta_FromDSU(0, sign * (hours * 60 + minutes) * 60, 0);
    if (!delta) return nullptr;
    PyObject* zone = PyTimeZone_FromOffset(delta);
    Py_DECREF(delta);
    return zone;
}

}  // namespace

PyObject* timeOf(const char* text, std::size_t size, bool generalized) {
    if (!PyDateTimeAPI) PyDateTime_IMPORT;
    if (!PyDateTimeAPI) return nullptr;
    const std::size_t yearDigits = generalized ? 4 : 2;
    int year = digits(text, size, 0, yearDigits);
    if (!generalized && year >= 0) year += year < 50 ? 2000 : 1900;
    const int month = digits(text, size, yearDigits, 2);
    const int day = digits(text, size, yearDigits + 2, 2);
    const int hour = digits(text, size, yearDigits + 4, 2);
    std::size_t at = yearDigits + 6;
    const int minute = optionalPair(text, size, at);
    const int second = optionalPair(text, size, at);
    const long micro = generalized ? microseconds(text, size, at) : 0;
    bool ok = true;
    PyObject* zone = zoneOf(text, size, at, ok);
    if (!zone) return nullptr;
    PyObject* moment = nullptr;
    if (ok && year >= 0 && month >= 0 && day >= 0 && hour >= 0) {
        moment = PyDateTimeAPI->DateTime_FromDateAndTime(year, month, day, hour, minute, second,
                                                         static_cast<int>(micro), zone,
                                                         PyDateTimeAPI->DateTimeType);
        if (!moment) PyErr_Clear();  // a date that does not exist, such as month 13
    }
    Py_DECREF(zone);
    return moment ? moment : PyUnicode_FromStringAndSize(text, static_cast<Py_ssize_t>(size));
}

}  // namespace zentrik_py
