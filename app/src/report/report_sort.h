// The order of the reports: by system, then number; entries whose number is
// no number come after the numbered ones of their system, by their text.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "app/report.h"

namespace plendra {

struct EntryOrder {
  // The system's UTF-16 text compared code unit by code unit: no locale, so
  // the order is the same on every machine and keeps "給水" and "給水 " apart.
  std::u16string system;
  std::optional<std::int32_t> number;  // nothing sorts after every number
  std::u16string text;                 // the number as written, for entries without one

  friend bool operator<(const EntryOrder& a, const EntryOrder& b) {
    if (a.system != b.system) return a.system < b.system;
    if (a.number.has_value() != b.number.has_value()) return a.number.has_value();
    if (a.number) return *a.number < *b.number;
    return a.text < b.text;
  }
};

inline EntryOrder OrderOf(const ReportEntry& e) {
  return {e.system, e.number, e.number ? std::u16string() : e.number_text};
}

}  // namespace plendra
