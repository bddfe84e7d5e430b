#include "app/typed_date.h"

#include <vector>

namespace zr::app {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c == '/' || c == '.' || c == '-'; }

int Number(const std::string& digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

TypedDate Refused(std::string problem) {
  TypedDate t;
  t.Problem = std::move(problem);
  return t;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

constexpr const char* kMonthNames[] = {"janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
                                       "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};

// A year of four digits as written, one of two digits in 1950 to 2049; the problem, or empty.
std::string ReadYear(const std::string& digits, int& year) {
  if (digits.size() == 4) {
    year = Number(digits);
    return year < 100 ? "o ano " + digits + " é antigo demais" : "";
  }
  if (digits.size() == 2) {
    const int yy = Number(digits);
    year = yy < 50 ? 2000 + yy : 1900 + yy;
    return "";
  }
  return "o ano \"" + digits + "\" deve ter 2 ou 4 dígitos";
}

}  // namespace

TypedDate ReadTypedDate(const std::string& text, int currentYear) {
  size_t first = 0, last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  const std::string t = text.substr(first, last - first);
  if (t.empty()) {
    TypedDate empty;
    empty.kind = TypedDate::Empty;
    return empty;
  }
  bool separated = false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (IsSeparator(t[i])) {
      separated = true;
    } else if (!IsDigit(t[i])) {
      // The whole character, not one byte of it.
      size_t length = 1;
      while (i + length < t.size() && (static_cast<unsigned char>(t[i + length]) & 0xC0) == 0x80) ++length;
      return Refused("\"" + t.substr(i, length) +
                     "\" não vale numa data: use só números e \"/\", \".\" ou \"-\"");
    }
  }
  int day = 0, month = 0, year = 0;
  if (!separated) {
    if (t.size() != 8 && t.size() != 6) {
      return Refused("sem separadores, a data tem 8 dígitos (DDMMAAAA) ou 6 (DDMMAA), não " +
                     std::to_string(t.size()));
    }
    day = Number(t.substr(0, 2));
    month = Number(t.substr(2, 2));
    if (std::string why = ReadYear(t.substr(4), year); !why.empty()) return Refused(why);
  } else {
    std::vector<std::string> parts(1);
    for (char c : t) {
      if (IsSeparator(c)) {
        parts.emplace_back();
      } else {
        parts.back() += c;
      }
    }
    if (parts.size() > 3) return Refused("há partes demais: a data é dia, mês e ano");
    if (parts[0].empty()) return Refused("falta o dia");
    if (parts[1].empty()) return Refused("falta o mês");
    if (parts.size() == 3 && parts[2].empty()) return Refused("falta o ano");
    if (parts[0].size() == 4) return Refused("o dia vem primeiro, depois o mês e o ano");
    if (parts[0].size() > 2) return Refused("o dia \"" + parts[0] + "\" tem dígitos demais");
    if (parts[1].size() > 2) return Refused("o mês \"" + parts[1] + "\" tem dígitos demais");
    day = Number(parts[0]);
    month = Number(parts[1]);
    if (parts.size() == 3) {
      if (std::string why = ReadYear(parts[2], year); !why.empty()) return Refused(why);
    } else {
      year = currentYear;
    }
  }
  if (month < 1 || month > 12) return Refused("não existe o mês " + std::to_string(month));
  if (day < 1 || day > DaysInMonth(year, month)) {
    return Refused(std::string(kMonthNames[month - 1]) + " de " + std::to_string(year) + " não tem dia " +
                   std::to_string(day));
  }
  TypedDate date;
  date.kind = TypedDate::Date;
  date.Year = year;
  date.Month = month;
  date.Day = day;
  return date;
}

}  // namespace zr::app
