#include "app/app_error.h"

#include <utility>

#include "app/number_text.h"
#include "link/errors.h"
#include "texts.h"

namespace plendra {

AppError::AppError(std::int32_t number)
    : number(number),
      description(korvel::RuntimeErrorText(number)),
      what_("run-time error " + std::to_string(number)) {}

AppError::AppError(std::int32_t number, std::u16string description)
    : number(number), description(std::move(description)), what_("error " + std::to_string(number)) {}

std::u16string RunTimeErrorMessage(const AppError& error) {
  return std::u16string(texts::kRunTimeError) + IntegerText(error.number) + u"':\r\n\r\n" + error.description;
}

void RaiseAppError(std::int32_t number) { throw AppError(number); }

}  // namespace plendra
