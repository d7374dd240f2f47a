// The plan of a renumbering: which entries of a system get which number so
// that the system reads 1, 2, 3, ... without a duplicate or a gap.
#include <algorithm>
#include <tuple>

#include "app/report.h"
#include "texts.h"

namespace plendra {

RenumberPlan PlanRenumber(const ReportDrawing& drawing, std::u16string_view system) {
  RenumberPlan plan;
  plan.system = std::u16string(system);
  std::vector<std::size_t> numbered;
  for (std::size_t i = 0; i < drawing.entries.size(); ++i) {
    const ReportEntry& e = drawing.entries[i];
    if (e.system != system) continue;
    (e.number ? numbered : plan.unnumbered).push_back(i);
  }
  // Entries that share a number are taken as one reads a plan, top to
  // bottom, then left to right; the file's order decides the rest, so the
  // plan is the same however often it is made.
  std::stable_sort(numbered.begin(), numbered.end(), [&](std::size_t a, std::size_t b) {
    const ReportEntry& ea = drawing.entries[a];
    const ReportEntry& eb = drawing.entries[b];
    return std::make_tuple(*ea.number, -ea.insert_y, ea.insert_x) <
           std::make_tuple(*eb.number, -eb.insert_y, eb.insert_x);
  });
  std::int32_t next = 1;
  for (const std::size_t i : numbered) {
    const ReportEntry& e = drawing.entries[i];
    const std::int32_t new_number = next++;
    if (*e.number == new_number)
      ++plan.kept;
    else
      plan.changes.push_back({i, e.number_text, *e.number, new_number});
  }
  return plan;
}

std::vector<std::size_t> RenumberTypingOrder(const RenumberPlan& plan) {
  // plan.changes is in the order of the new numbers.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < plan.changes.size(); ++i)
    if (plan.changes[i].new_number < plan.changes[i].old_number) order.push_back(i);
  for (std::size_t i = plan.changes.size(); i-- > 0;)
    if (plan.changes[i].new_number > plan.changes[i].old_number) order.push_back(i);
  return order;
}

std::u16string MissingSystemText(const ReportDrawing& drawing, std::u16string_view system) {
  // A drawing may hold many systems: the message names the first ones, in
  // the reports' order.
  constexpr std::size_t kMost = 20;
  std::vector<std::u16string> systems;
  for (const ReportEntry& e : drawing.entries) systems.push_back(e.system);
  std::sort(systems.begin(), systems.end());
  systems.erase(std::unique(systems.begin(), systems.end()), systems.end());
  std::u16string text = std::u16string(texts::kRenumberMissing) + std::u16string(system) +
                        std::u16string(texts::kRenumberMissingEnd);
  if (systems.empty()) return text;
  text += texts::kRenumberSystemsHere;
  for (std::size_t i = 0; i < systems.size() && i < kMost; ++i) text += u"「" + systems[i] + u"」";
  if (systems.size() > kMost) text += texts::kRenumberMoreSystems;
  return text;
}

}  // namespace plendra
