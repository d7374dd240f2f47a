// Plendra's application-wide state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/settings.h"
#include "link/pw_interfaces.h"

namespace plendra {

// How long the link library waits for AutoCAD's prompt, in milliseconds.
inline constexpr std::int32_t kCommandTimeOut = 60000;

// The application-wide state.
struct Grobal_Dim {
  std::shared_ptr<korvel::_PwAcad> Acad_Obj;
  std::u16string Acad_Ver;         // the release row tried, "0" to "8"
  std::int16_t Kakikomi_Tyuu = 0;  // -1 while a numbering run writes
  std::int32_t Kidou_Flag = 0;     // 1 from the first activation of the main window
  Settings settings;               // the fourteen settings
};

// Stores the release row Acad_Ver names into Acad_Obj before a search.
void Acad_Title_Set(Grobal_Dim& g);

}  // namespace plendra
